#include "host/ClientTraces.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace dialforge_host {

namespace {

bool WriteAll(int descriptor, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(descriptor, bytes, size);
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

bool Starts(const std::string& line, const char* start) {
  return line.compare(0, std::char_traits<char>::length(start), start) == 0;
}

}  // namespace

ClientTraces::ClientTraces(std::function<void(const std::string&, int)> show)
    : show(std::move(show)) {
  int ends[2];
  std::fflush(stdout);
  if (pipe(ends) != 0) {
    return;
  }
  output = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  if (output == -1 || dup2(ends[1], STDOUT_FILENO) == -1) {
    close(ends[0]);
    close(ends[1]);
    if (output != -1) {
      close(output);
      output = -1;
    }
    return;
  }
  close(ends[1]);
  fcntl(ends[0], F_SETFD, FD_CLOEXEC);
  copier = std::thread([this, reader = ends[0]] { Copy(reader); });
}

ClientTraces::~ClientTraces() {
  if (output == -1) {
    return;
  }
  std::fflush(stdout);
  // The pipe's last writer goes, so the copier reads to the end and stops.
  dup2(output, STDOUT_FILENO);
  copier.join();
  close(output);
}

void ClientTraces::Copy(int reader) {
  char chunk[4096];
  for (;;) {
    const ssize_t count = read(reader, chunk, sizeof chunk);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      break;
    }
    WriteAll(output, chunk, static_cast<std::size_t>(count));
    partial.append(chunk, static_cast<std::size_t>(count));
    std::size_t start = 0;
    for (std::size_t end = partial.find('\n'); end != std::string::npos;
         end = partial.find('\n', start)) {
      Look(partial.substr(start, end - start));
      start = end + 1;
    }
    partial.erase(0, start);
  }
  close(reader);
}

void ClientTraces::Look(const std::string& line) {
  // A client is served from its first bytes, or shows itself by leaving without any.
  const bool received = line.find(" bytes received ") != std::string::npos;
  const bool closed = Starts(line, "Connection closed");
  if (!serving && (received || closed)) {
    serving = true;
    show("client connected", output);
  }
  if (Starts(line, "Another client refused")) {
    show("client refused: another client is being served", output);
  } else if (closed || Starts(line, "Client socket closed")) {
    serving = false;
    show("client left", output);
  }
}

}  // namespace dialforge_host
