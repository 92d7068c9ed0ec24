#include "socket/ClientConnection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "socket/DescriptorOptions.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

// A client that goes away must never raise SIGPIPE in the host's process: Linux is told so at
// every send, macOS once for the socket (SO_NOSIGPIPE, in Prepare). macOS headers define
// MSG_NOSIGNAL too, so the choice is made by system, not by what happens to be defined.
#if defined(__APPLE__)
constexpr int kSendFlags = 0;
#elif defined(MSG_NOSIGNAL)
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
#error "no way to keep a send from raising SIGPIPE"
#endif

bool WouldBlock(int error) {
  return error == EAGAIN || error == EWOULDBLOCK;
}

}  // namespace

ClientConnection::ClientConnection(int descriptor, WakePipe& wakePipe)
    : descriptor(descriptor), wakePipe(wakePipe) {}

ClientConnection::~ClientConnection() {
  Close();
}

bool ClientConnection::Prepare() {
  if (!PrepareDescriptor(descriptor, true)) {
    return false;
  }
  // A reply must not wait for the client's acknowledgement of the previous one.
  SetOption(descriptor, IPPROTO_TCP, TCP_NODELAY);
#if defined(__APPLE__)
  // Without it a send to a client that has gone would end the host's process.
  const int on = 1;
  if (setsockopt(descriptor, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on) == -1) {
    Tracer::TRACE("setsockopt() failed with error %d", errno);
    return false;
  }
#endif
  return true;
}

ClientConnection::Input ClientConnection::Receive(char* buffer, size_t capacity, int listenSocket,
                                                  size_t* received, int outputSignal) {
  for (;;) {
    pollfd watched[3] = {
        {descriptor, POLLIN, 0}, {listenSocket, POLLIN, 0}, {outputSignal, POLLIN, 0}};
    const WakePipe::Wait wait = wakePipe.WaitFor(watched);
    if (wait == WakePipe::Wait::Woken) {
      return Input::Woken;
    }
    if (wait == WakePipe::Wait::Failed) {
      return Input::Failed;
    }
    if (watched[2].revents != 0) {
      return Input::OutputWanted;
    }
    if (watched[0].revents == 0) {
      if (watched[1].revents != 0) {
        return Input::AnotherClient;
      }
      continue;
    }
    const ssize_t count = recv(descriptor, buffer, capacity, 0);
    if (count > 0) {
      *received = static_cast<size_t>(count);
      return Input::Received;
    }
    if (count == 0) {
      return Input::Ended;
    }
    const int error = errno;
    if (error == EINTR || WouldBlock(error)) {
      continue;
    }
    Tracer::TRACE("recv() failed with error %d", error);
    return Input::Failed;
  }
}

ClientConnection::Sent ClientConnection::SendAll(const std::string& reply) {
  const char* data = reply.data();
  size_t remaining = reply.size();
  while (remaining > 0) {
    const ssize_t sent = send(descriptor, data, remaining, kSendFlags);
    if (sent >= 0) {
      data += sent;
      remaining -= static_cast<size_t>(sent);
      continue;
    }
    const int error = errno;
    if (error == EINTR) {
      continue;
    }
    if (!WouldBlock(error)) {
      Tracer::TRACE("send() failed with error %d", error);
      return Sent::Failed;
    }
    pollfd watched[1] = {{descriptor, POLLOUT, 0}};
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
  if (descriptor == -1) {
    return;
  }
  shutdown(descriptor, SHUT_RDWR);
  close(descriptor);
  descriptor = -1;
}

}  // namespace VazezeveDudOzizezUziriv
