#include "platform/WakeUp.h"

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

SocketError Prepare(SocketHandle end) {
  if (const SocketError error = KeepFromChildren(end)) {
    return error;
  }
  return SetNonBlocking(end);
}

}  // namespace

SocketError WakeUp::Open() {
  int ends[2];
  if (pipe(ends) == -1) {
    return SocketError{"pipe", errno};
  }
  SocketError error = Prepare(Handle(ends[0]));
  if (!error) {
    error = Prepare(Handle(ends[1]));
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
