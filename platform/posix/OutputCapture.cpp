#include "platform/OutputCapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <initializer_list>

namespace dialforge_platform {

struct OutputCapture::Ends {
  // Kept open until the end, since a reader may still be copying to it after Release.
  int real = -1;
  int reader = -1;
  bool captured = false;
};

OutputCapture::OutputCapture() : ends(new Ends) {}

OutputCapture::~OutputCapture() {
  Release();
  for (const int end : {ends->real, ends->reader}) {
    if (end != -1) {
      close(end);
    }
  }
}

bool OutputCapture::Capture(Into where) {
  if (ends->real != -1) {
    return false;
  }
  std::fflush(stdout);
  int pipeEnds[2] = {-1, -1};
  int writer = -1;
  if (where == Into::Pipe) {
    if (pipe(pipeEnds) != 0) {
      return false;
    }
    writer = pipeEnds[1];
  } else {
    writer = open("/dev/null", O_WRONLY | O_CLOEXEC);
  }
  // Above the standard descriptors, and not left to the programs this one starts.
  const int real = writer == -1 ? -1 : fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  if (real == -1 || dup2(writer, STDOUT_FILENO) == -1) {
    for (const int end : {pipeEnds[0], writer, real}) {
      if (end != -1) {
        close(end);
      }
    }
    return false;
  }
  close(writer);
  if (pipeEnds[0] != -1) {
    fcntl(pipeEnds[0], F_SETFD, FD_CLOEXEC);
  }
  ends->real = real;
  ends->reader = pipeEnds[0];
  ends->captured = true;
  return true;
}

std::size_t OutputCapture::Read(char* bytes, std::size_t size) {
  for (;;) {
    const ssize_t count = read(ends->reader, bytes, size);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    return count < 0 ? 0 : static_cast<std::size_t>(count);
  }
}

bool OutputCapture::WriteToRealOutput(const char* bytes, std::size_t size) {
  const int output = ends->real == -1 ? STDOUT_FILENO : ends->real;
  while (size > 0) {
    const ssize_t written = write(output, bytes, size);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

void OutputCapture::Release() {
  if (!ends->captured) {
    return;
  }
  std::fflush(stdout);
  // The pipe's last writer goes with the descriptor it replaced.
  dup2(ends->real, STDOUT_FILENO);
  ends->captured = false;
}

}  // namespace dialforge_platform
