#include "socket/ClientConnection.h"

#include "socket/DescriptorOptions.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

using dialforge_platform::kNoSocket;
using dialforge_platform::SocketError;
using dialforge_platform::SocketErrorKind;
using dialforge_platform::SocketHandle;
using dialforge_platform::WatchedSocket;

ClientConnection::ClientConnection(SocketHandle descriptor, WakePipe& wakePipe)
    : descriptor(descriptor), wakePipe(wakePipe) {}

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

ClientConnection::Input ClientConnection::Receive(char* buffer, size_t capacity,
                                                  SocketHandle listenSocket, size_t* received,
                                                  SocketHandle outputSignal) {
  for (;;) {
    WatchedSocket watched[3] = {{descriptor, dialforge_platform::kReadable, 0},
                                {listenSocket, dialforge_platform::kReadable, 0},
                                {outputSignal, dialforge_platform::kReadable, 0}};
    const WakePipe::Wait wait = wakePipe.WaitFor(watched);
    if (wait == WakePipe::Wait::Woken) {
      return Input::Woken;
    }
    if (wait == WakePipe::Wait::Failed) {
      return Input::Failed;
    }
    if (watched[2].ready != 0) {
      return Input::OutputWanted;
    }
    if (watched[0].ready == 0) {
      if (watched[1].ready != 0) {
        return Input::AnotherClient;
      }
      continue;
    }
    size_t count = 0;
    const SocketError error = dialforge_platform::Receive(descriptor, buffer, capacity, &count);
    if (!error && count > 0) {
      *received = count;
      return Input::Received;
    }
    if (!error) {
      return Input::Ended;
    }
    const SocketErrorKind kind = dialforge_platform::KindOf(error.number);
    if (kind == SocketErrorKind::Interrupted || kind == SocketErrorKind::WouldBlock) {
      continue;
    }
    Succeeded(error);
    return Input::Failed;
  }
}

ClientConnection::Sent ClientConnection::SendAll(const std::string& reply) {
  const char* data = reply.data();
  size_t remaining = reply.size();
  while (remaining > 0) {
    size_t sent = 0;
    const SocketError error = dialforge_platform::Send(descriptor, data, remaining, &sent);
    if (!error) {
      data += sent;
      remaining -= sent;
      continue;
    }
    const SocketErrorKind kind = dialforge_platform::KindOf(error.number);
    if (kind == SocketErrorKind::Interrupted) {
      continue;
    }
    if (kind != SocketErrorKind::WouldBlock) {
      Succeeded(error);
      return Sent::Failed;
    }
    WatchedSocket watched[1] = {{descriptor, dialforge_platform::kWritable, 0}};
    const WakePipe::Wait wait = wakePipe.WaitFor(watched);
    if (wait == WakePipe::Wait::Woken) {
      return Sent::Woken;
    }
    if (wait == WakePipe::Wait::Failed) {
      return Sent::Failed;
    }
  }
  return Sent::All;
}

void ClientConnection::Close() {
  if (descriptor == kNoSocket) {
    return;
  }
  dialforge_platform::ShutDownAndClose(descriptor);
  descriptor = kNoSocket;
}

}  // namespace VazezeveDudOzizezUziriv
