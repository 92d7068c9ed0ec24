#include "platform/WakeUp.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace dialforge_platform {

namespace {

int Descriptor(SocketHandle handle) {
  return static_cast<int>(static_cast<std::intptr_t>(handle));
}

SocketHandle Handle(int descriptor) {
  return static_cast<SocketHandle>(
      static_cast<std::uintptr_t>(static_cast<std::intptr_t>(descriptor)));
}

// Never inherited: Linux makes the pipe so; macOS is told at once, and a failure only leaves
// the pipe inheritable.
int OpenPipe(int ends[2]) {
#if defined(__linux__)
  return pipe2(ends, O_CLOEXEC);
#else
  return pipe(ends);
#endif
}

}  // namespace

SocketError WakeUp::Open() {
  int ends[2];
  if (OpenPipe(ends) == -1) {
    return SocketError{"pipe", errno};
  }
  notKeptFromChildren = {};
  for (const int end : ends) {
    if (const SocketError failed = KeepFromChildren(Handle(end))) {
      notKeptFromChildren = failed;
    }
  }
  SocketError error = SetNonBlocking(Handle(ends[0]));
  if (!error) {
    error = SetNonBlocking(Handle(ends[1]));
  }
  if (error) {
    close(ends[0]);
    close(ends[1]);
    return error;
  }
  watched = Handle(ends[0]);
  raised = Handle(ends[1]);
  return {};
}

void WakeUp::Close() {
  if (watched != kNoSocket) {
    close(Descriptor(watched));
    close(Descriptor(raised));
  }
  watched = raised = kNoSocket;
}

void WakeUp::Raise() {
  if (raised == kNoSocket) {
    return;
  }
  const char byte = 1;
  while (write(Descriptor(raised), &byte, 1) == -1 && errno == EINTR) {
  }
}

void WakeUp::Drain() {
  char bytes[64];
  for (;;) {
    const ssize_t count = read(Descriptor(watched), bytes, sizeof bytes);
    if (count > 0 || (count == -1 && errno == EINTR)) {
      continue;
    }
    return;
  }
}

}  // namespace dialforge_platform
