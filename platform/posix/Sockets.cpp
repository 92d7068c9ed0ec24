#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace dialforge_platform {

namespace {

// A client that goes away must never raise SIGPIPE in the host's process: Linux is told so at
// every send, macOS once for the socket (SO_NOSIGPIPE). macOS headers define MSG_NOSIGNAL too,
// so the choice is made by system, not by what happens to be defined.
#if defined(__APPLE__)
constexpr int kSendFlags = 0;
#elif defined(MSG_NOSIGNAL)
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
#error "no way to keep a send from raising SIGPIPE"
#endif

int Descriptor(SocketHandle socket) {
  return static_cast<int>(static_cast<std::intptr_t>(socket));
}

SocketHandle Handle(int descriptor) {
  return static_cast<SocketHandle>(
      static_cast<std::uintptr_t>(static_cast<std::intptr_t>(descriptor)));
}

// Captures errno at once: the caller's next call may change it.
SocketError Failed(const char* call) {
  return SocketError{call, errno};
}

SocketError TurnOn(SocketHandle socket, int level, int option) {
  const int on = 1;
  if (setsockopt(Descriptor(socket), level, option, &on, sizeof on) == -1) {
    return Failed("setsockopt");
  }
  return {};
}

sockaddr_in LoopbackAddress(int port, std::uint32_t host = INADDR_LOOPBACK) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(host);
  return address;
}

short PollEvents(unsigned wanted) {
  return static_cast<short>(((wanted & kReadable) != 0 ? POLLIN : 0) |
                            ((wanted & kWritable) != 0 ? POLLOUT : 0));
}

unsigned Ready(short revents) {
  return ((revents & POLLIN) != 0 ? kReadable : 0u) | ((revents & POLLOUT) != 0 ? kWritable : 0u) |
         ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 ? kHangUp : 0u);
}

}  // namespace

SocketErrorKind KindOf(int number) {
  switch (number) {
    case EINTR:
      return SocketErrorKind::Interrupted;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return SocketErrorKind::WouldBlock;
    case ECONNABORTED:
    case EPROTO:
    case EPERM:
    case ENETDOWN:
    case ENETUNREACH:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOPROTOOPT:
      return SocketErrorKind::PassingFault;
    case EMFILE:
    case ENFILE:
    case ENOBUFS:
    case ENOMEM:
      return SocketErrorKind::Shortage;
    case ECONNREFUSED:
      return SocketErrorKind::Refused;
    case EADDRINUSE:
      return SocketErrorKind::AddressInUse;
    default:
      return SocketErrorKind::Other;
  }
}

std::string SocketErrorText(int number) {
  return std::strerror(number);
}

SocketsInUse::SocketsInUse() = default;
SocketsInUse::~SocketsInUse() = default;

SocketError KeepFromChildren(SocketHandle socket) {
  const int flags = fcntl(Descriptor(socket), F_GETFD);
  if (flags == -1 || fcntl(Descriptor(socket), F_SETFD, flags | FD_CLOEXEC) == -1) {
    return Failed("fcntl");
  }
  return {};
}

SocketError OpenStreamSocket(SocketHandle* opened) {
#if defined(SOCK_CLOEXEC)
  const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
#else
  const int descriptor = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
#endif
  if (descriptor == -1) {
    *opened = kNoSocket;
    return Failed("socket");
  }
  *opened = Handle(descriptor);
#if !defined(SOCK_CLOEXEC)
  // At once, where the system has no flag for it: the caller sets it again and says a failure.
  KeepFromChildren(*opened);
#endif
  return {};
}

SocketError SetNonBlocking(SocketHandle socket) {
  const int flags = fcntl(Descriptor(socket), F_GETFL);
  if (flags == -1 || fcntl(Descriptor(socket), F_SETFL, flags | O_NONBLOCK) == -1) {
    return Failed("fcntl");
  }
  return {};
}

SocketError SetNoDelay(SocketHandle socket) {
  return TurnOn(socket, IPPROTO_TCP, TCP_NODELAY);
}

SocketError SetReceiveBufferSize(SocketHandle socket, int bytes) {
  if (setsockopt(Descriptor(socket), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) == -1) {
    return Failed("setsockopt");
  }
  return {};
}

SocketError SetReceiveTimeout(SocketHandle socket, int milliseconds) {
  timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000};
  if (setsockopt(Descriptor(socket), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == -1) {
    return Failed("setsockopt");
  }
  return {};
}

SocketError KeepSendsFromSignalling(SocketHandle socket) {
#if defined(__APPLE__)
  return TurnOn(socket, SOL_SOCKET, SO_NOSIGPIPE);
#else
  (void)socket;
  return {};
#endif
}

SocketError GuardListeningPort(SocketHandle socket) {
  // Linux lets no socket bind an address and port that a socket listens on, whatever its
  // options. macOS lets a socket with SO_REUSEADDR bind the wildcard address on our port, but a
  // connection to 127.0.0.1 still reaches the most specific binding, ours; binding 127.0.0.1
  // itself would need SO_REUSEPORT on both sockets, which we never set.
  return TurnOn(socket, SOL_SOCKET, SO_REUSEADDR);
}

SocketError BindLoopback(SocketHandle socket, int port) {
  const sockaddr_in address = LoopbackAddress(port);
  if (bind(Descriptor(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) == -1) {
    return Failed("bind");
  }
  return {};
}

SocketError BindAnyAddress(SocketHandle socket, int port) {
  const sockaddr_in address = LoopbackAddress(port, INADDR_ANY);
  if (bind(Descriptor(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) == -1) {
    return Failed("bind");
  }
  return {};
}

SocketError SetReuseAddress(SocketHandle socket) {
  return TurnOn(socket, SOL_SOCKET, SO_REUSEADDR);
}

SocketError LocalAddress(SocketHandle socket, int* port, std::string* address) {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (getsockname(Descriptor(socket), reinterpret_cast<sockaddr*>(&local), &length) == -1) {
    return Failed("getsockname");
  }
  *port = ntohs(local.sin_port);
  char text[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &local.sin_addr, text, sizeof text);
  *address = text;
  return {};
}

SocketError PeerPort(SocketHandle socket, int* port) {
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  if (getpeername(Descriptor(socket), reinterpret_cast<sockaddr*>(&peer), &length) == -1) {
    return Failed("getpeername");
  }
  *port = ntohs(peer.sin_port);
  return {};
}

SocketError Listen(SocketHandle socket, int backlog) {
  if (listen(Descriptor(socket), backlog) == -1) {
    return Failed("listen");
  }
  return {};
}

SocketError Accept(SocketHandle listening, SocketHandle* accepted) {
#if defined(SOCK_CLOEXEC)
  const int descriptor = accept4(Descriptor(listening), nullptr, nullptr, SOCK_CLOEXEC);
#else
  const int descriptor = accept(Descriptor(listening), nullptr, nullptr);
#endif
  if (descriptor == -1) {
    *accepted = kNoSocket;
    return Failed("accept");
  }
  *accepted = Handle(descriptor);
#if !defined(SOCK_CLOEXEC)
  KeepFromChildren(*accepted);
#endif
  return {};
}

SocketError ConnectLoopback(SocketHandle socket, int port) {
  const sockaddr_in address = LoopbackAddress(port);
  if (connect(Descriptor(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
      -1) {
    return Failed("connect");
  }
  return {};
}

SocketError Receive(SocketHandle socket, char* buffer, std::size_t capacity,
                    std::size_t* received) {
  const ssize_t count = recv(Descriptor(socket), buffer, capacity, 0);
  if (count == -1) {
    *received = 0;
    return Failed("recv");
  }
  *received = static_cast<std::size_t>(count);
  return {};
}

SocketError Send(SocketHandle socket, const char* bytes, std::size_t size, std::size_t* sent) {
  const ssize_t count = send(Descriptor(socket), bytes, size, kSendFlags);
  if (count == -1) {
    *sent = 0;
    return Failed("send");
  }
  *sent = static_cast<std::size_t>(count);
  return {};
}

void ShutDownSending(SocketHandle socket) {
  shutdown(Descriptor(socket), SHUT_WR);
}

void ShutDown(SocketHandle socket) {
  shutdown(Descriptor(socket), SHUT_RDWR);
}

void Close(SocketHandle socket) {
  close(Descriptor(socket));
}

void ShutDownAndClose(SocketHandle socket) {
  ShutDown(socket);
  Close(socket);
}

int WaitForSockets(WatchedSocket* sockets, std::size_t count, int timeoutMs, SocketError* error) {
  pollfd watched[8];
  std::vector<pollfd> many;
  pollfd* all = watched;
  if (count > sizeof watched / sizeof watched[0]) {
    many.resize(count);
    all = many.data();
  }
  for (std::size_t i = 0; i < count; ++i) {
    // poll() skips negative descriptors, which kNoSocket is.
    all[i] = {Descriptor(sockets[i].socket), PollEvents(sockets[i].wanted), 0};
  }
  const int ready = poll(all, static_cast<nfds_t>(count), timeoutMs);
  if (ready == -1) {
    *error = Failed("poll");
    return -1;
  }
  for (std::size_t i = 0; i < count; ++i) {
    sockets[i].ready = Ready(all[i].revents);
  }
  return ready;
}

SocketHandle FindListeningSocket(int port) {
  std::error_code error;
  for (std::filesystem::directory_iterator entry("/proc/self/fd", error), end;
       !error && entry != end; entry.increment(error)) {
    const SocketHandle socket = Handle(std::stoi(entry->path().filename().string()));
    int listening = 0;
    socklen_t size = sizeof listening;
    int bound = 0;
    std::string address;
    if (getsockopt(Descriptor(socket), SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) == 0 &&
        listening != 0 && !LocalAddress(socket, &bound, &address) && bound == port) {
      return socket;
    }
  }
  return kNoSocket;
}

}  // namespace dialforge_platform
