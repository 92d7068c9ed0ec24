#include "socket/ClientConnection.h"

#include "socket/DescriptorOptions.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

using dialforge_platform::kNoSocket;
using dialforge_platform::SocketError;
using dialforge_platform::SocketErrorKind;
using dialforge_platform::SocketHandle;

ClientConnection::ClientConnection(SocketHandle descriptor) : descriptor(descriptor) {}

ClientConnection::~ClientConnection() {
  Close();
}

bool ClientConnection::Prepare() {
  if (!PrepareDescriptor(descriptor, true)) {
    return false;
  }
  // A reply must not wait for the client's acknowledgement of the previous one.
  Succeeded(dialforge_platform::SetNoDelay(descriptor));
  // Without it a send to a client that has gone could end the host's process.
  return Succeeded(dialforge_platform::KeepSendsFromSignalling(descriptor));
}

ClientConnection::Input ClientConnection::Receive(char* buffer, size_t capacity, size_t* received) {
  for (;;) {
    size_t count = 0;
    const SocketError error = dialforge_platform::Receive(descriptor, buffer, capacity, &count);
    if (!error) {
      *received = count;
      return count > 0 ? Input::Received : Input::Ended;
    }
    const SocketErrorKind kind = dialforge_platform::KindOf(error.number);
    if (kind == SocketErrorKind::Interrupted) {
      continue;
    }
    if (kind == SocketErrorKind::WouldBlock) {
      return Input::Nothing;
    }
    Succeeded(error);
    return Input::Failed;
  }
}

ClientConnection::Sent ClientConnection::Send(const char* bytes, size_t size, size_t* sent) {
  for (;;) {
    const SocketError error = dialforge_platform::Send(descriptor, bytes, size, sent);
    if (!error) {
      return Sent::Some;
    }
    const SocketErrorKind kind = dialforge_platform::KindOf(error.number);
    if (kind == SocketErrorKind::Interrupted) {
      continue;
    }
    if (kind == SocketErrorKind::WouldBlock) {
      return Sent::Nothing;
    }
    Succeeded(error);
    return Sent::Failed;
  }
}

void ClientConnection::Close() {
  if (descriptor == kNoSocket) {
    return;
  }
  dialforge_platform::ShutDownAndClose(descriptor);
  descriptor = kNoSocket;
}

}  // namespace VazezeveDudOzizezUziriv
