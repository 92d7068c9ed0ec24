#include "platform/Sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <vector>

#include "platform/windows/Utf16.h"

namespace dialforge_platform {

namespace {

SOCKET Native(SocketHandle socket) {
  return static_cast<SOCKET>(socket);
}

SocketHandle Handle(SOCKET socket) {
  return static_cast<SocketHandle>(socket);
}

// Captures the error at once: the caller's next call may change it.
SocketError Failed(const char* call) {
  return SocketError{call, WSAGetLastError()};
}

SocketError TurnOn(SocketHandle socket, int level, int option) {
  const BOOL on = TRUE;
  if (setsockopt(Native(socket), level, option, reinterpret_cast<const char*>(&on), sizeof on) ==
      SOCKET_ERROR) {
    return Failed("setsockopt");
  }
  return {};
}

sockaddr_in LoopbackAddress(int port, std::uint32_t host = INADDR_LOOPBACK) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(host);
  return address;
}

SHORT PollEvents(unsigned wanted) {
  return static_cast<SHORT>(((wanted & kReadable) != 0 ? POLLRDNORM : 0) |
                            ((wanted & kWritable) != 0 ? POLLWRNORM : 0));
}

unsigned Ready(SHORT revents) {
  return ((revents & (POLLRDNORM | POLLRDBAND)) != 0 ? kReadable : 0u) |
         ((revents & POLLWRNORM) != 0 ? kWritable : 0u) |
         ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 ? kHangUp : 0u);
}

// The module's users of Winsock, counted so that it is started once and cleaned up after the
// last of them.
std::mutex& UsersMutex() {
  static std::mutex mutex;
  return mutex;
}
int sUsers = 0;
int sStartError = 0;

}  // namespace

SocketErrorKind KindOf(int number) {
  switch (number) {
    case WSAEINTR:
      return SocketErrorKind::Interrupted;
    case WSAEWOULDBLOCK:
      return SocketErrorKind::WouldBlock;
    // A connection reset before accept() took it comes back as WSAECONNRESET on Windows.
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENETDOWN:
    case WSAENETUNREACH:
    case WSAEHOSTDOWN:
    case WSAEHOSTUNREACH:
    case WSAENOPROTOOPT:
      return SocketErrorKind::PassingFault;
    case WSAEMFILE:
    case WSAENOBUFS:
    case WSA_NOT_ENOUGH_MEMORY:
      return SocketErrorKind::Shortage;
    case WSAECONNREFUSED:
      return SocketErrorKind::Refused;
    // A bind refused by another socket's SO_EXCLUSIVEADDRUSE says WSAEACCES.
    case WSAEADDRINUSE:
    case WSAEACCES:
      return SocketErrorKind::AddressInUse;
    default:
      return SocketErrorKind::Other;
  }
}

std::string SocketErrorText(int number) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(number), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) {
    return "error " + std::to_string(number);
  }
  std::wstring message(text, length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  return ToUtf8(message);
}

SocketsInUse::SocketsInUse() {
  std::lock_guard<std::mutex> lock(UsersMutex());
  if (sUsers == 0) {
    WSADATA data;
    sStartError = WSAStartup(MAKEWORD(2, 2), &data);
  }
  ++sUsers;
  if (sStartError != 0) {
    failure = SocketError{"WSAStartup", sStartError};
  }
}

SocketsInUse::~SocketsInUse() {
  std::lock_guard<std::mutex> lock(UsersMutex());
  if (--sUsers == 0 && sStartError == 0) {
    WSACleanup();
  }
}

SocketError OpenStreamSocket(SocketHandle* opened) {
  // Overlapped as socket() makes it; never inherited, from its first moment on.
  const SOCKET socket = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                   WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (socket == INVALID_SOCKET) {
    *opened = kNoSocket;
    return Failed("WSASocketW");
  }
  *opened = Handle(socket);
  return {};
}

SocketError KeepFromChildren(SocketHandle socket) {
  if (!SetHandleInformation(reinterpret_cast<HANDLE>(Native(socket)), HANDLE_FLAG_INHERIT, 0)) {
    return SocketError{"SetHandleInformation", static_cast<int>(GetLastError())};
  }
  return {};
}

SocketError SetNonBlocking(SocketHandle socket) {
  u_long on = 1;
  if (ioctlsocket(Native(socket), FIONBIO, &on) == SOCKET_ERROR) {
    return Failed("ioctlsocket");
  }
  return {};
}

SocketError SetNoDelay(SocketHandle socket) {
  return TurnOn(socket, IPPROTO_TCP, TCP_NODELAY);
}

SocketError SetReceiveBufferSize(SocketHandle socket, int bytes) {
  if (setsockopt(Native(socket), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                 sizeof bytes) == SOCKET_ERROR) {
    return Failed("setsockopt");
  }
  return {};
}

SocketError SetReceiveTimeout(SocketHandle socket, int milliseconds) {
  const DWORD timeout = static_cast<DWORD>(milliseconds);
  if (setsockopt(Native(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                 sizeof timeout) == SOCKET_ERROR) {
    return Failed("setsockopt");
  }
  return {};
}

SocketError KeepSendsFromSignalling(SocketHandle) {
  return {};
}

SocketError GuardListeningPort(SocketHandle socket) {
  return TurnOn(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE);
}

SocketError BindLoopback(SocketHandle socket, int port) {
  const sockaddr_in address = LoopbackAddress(port);
  if (bind(Native(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
      SOCKET_ERROR) {
    return Failed("bind");
  }
  return {};
}

SocketError BindAnyAddress(SocketHandle socket, int port) {
  const sockaddr_in address = LoopbackAddress(port, INADDR_ANY);
  if (bind(Native(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
      SOCKET_ERROR) {
    return Failed("bind");
  }
  return {};
}

SocketError SetReuseAddress(SocketHandle socket) {
  return TurnOn(socket, SOL_SOCKET, SO_REUSEADDR);
}

SocketError LocalAddress(SocketHandle socket, int* port, std::string* address) {
  sockaddr_in local{};
  int length = sizeof local;
  if (getsockname(Native(socket), reinterpret_cast<sockaddr*>(&local), &length) == SOCKET_ERROR) {
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
  int length = sizeof peer;
  if (getpeername(Native(socket), reinterpret_cast<sockaddr*>(&peer), &length) == SOCKET_ERROR) {
    return Failed("getpeername");
  }
  *port = ntohs(peer.sin_port);
  return {};
}

SocketError Listen(SocketHandle socket, int backlog) {
  if (listen(Native(socket), backlog) == SOCKET_ERROR) {
    return Failed("listen");
  }
  return {};
}

SocketError Accept(SocketHandle listening, SocketHandle* accepted) {
  const SOCKET socket = accept(Native(listening), nullptr, nullptr);
  if (socket == INVALID_SOCKET) {
    *accepted = kNoSocket;
    return Failed("accept");
  }
  *accepted = Handle(socket);
  // Accepted sockets have no creation flag: the flag is cleared at once, and the caller clears it
  // again and says a failure.
  KeepFromChildren(*accepted);
  return {};
}

SocketError ConnectLoopback(SocketHandle socket, int port) {
  const sockaddr_in address = LoopbackAddress(port);
  if (connect(Native(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
      SOCKET_ERROR) {
    return Failed("connect");
  }
  return {};
}

SocketError Receive(SocketHandle socket, char* buffer, std::size_t capacity,
                    std::size_t* received) {
  const int most = capacity > 0x7fffffff ? 0x7fffffff : static_cast<int>(capacity);
  const int count = recv(Native(socket), buffer, most, 0);
  if (count == SOCKET_ERROR) {
    *received = 0;
    return Failed("recv");
  }
  *received = static_cast<std::size_t>(count);
  return {};
}

SocketError Send(SocketHandle socket, const char* bytes, std::size_t size, std::size_t* sent) {
  const int most = size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size);
  const int count = send(Native(socket), bytes, most, 0);
  if (count == SOCKET_ERROR) {
    *sent = 0;
    return Failed("send");
  }
  *sent = static_cast<std::size_t>(count);
  return {};
}

void ShutDownSending(SocketHandle socket) {
  shutdown(Native(socket), SD_SEND);
}

void ShutDown(SocketHandle socket) {
  shutdown(Native(socket), SD_BOTH);
}

void Close(SocketHandle socket) {
  closesocket(Native(socket));
}

void ShutDownAndClose(SocketHandle socket) {
  ShutDown(socket);
  Close(socket);
}

// WSAPoll is given only the handles there are: what it does with INVALID_SOCKET varies.
int WaitForSockets(WatchedSocket* sockets, std::size_t count, int timeoutMs, SocketError* error) {
  WSAPOLLFD watched[8];
  std::vector<WSAPOLLFD> many;
  WSAPOLLFD* all = watched;
  if (count > sizeof watched / sizeof watched[0]) {
    many.resize(count);
    all = many.data();
  }
  ULONG used = 0;
  for (std::size_t i = 0; i < count; ++i) {
    sockets[i].ready = 0;
    if (sockets[i].socket != kNoSocket) {
      all[used++] = {Native(sockets[i].socket), PollEvents(sockets[i].wanted), 0};
    }
  }
  const int ready = WSAPoll(all, used, timeoutMs);
  if (ready == SOCKET_ERROR) {
    *error = Failed("WSAPoll");
    return -1;
  }
  ULONG next = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (sockets[i].socket != kNoSocket) {
      sockets[i].ready = Ready(all[next++].revents);
    }
  }
  return ready;
}

// Handles are small multiples of four; asking each whether it is a socket that listens is
// harmless, since getsockopt() on anything else only fails.
SocketHandle FindListeningSocket(int port) {
  for (std::uintptr_t value = 4; value < (1u << 16); value += 4) {
    const SocketHandle socket = static_cast<SocketHandle>(value);
    BOOL listening = FALSE;
    int size = sizeof listening;
    int bound = 0;
    std::string address;
    if (getsockopt(Native(socket), SOL_SOCKET, SO_ACCEPTCONN, reinterpret_cast<char*>(&listening),
                   &size) == 0 &&
        listening && !LocalAddress(socket, &bound, &address) && bound == port) {
      return socket;
    }
  }
  return kNoSocket;
}

}  // namespace dialforge_platform
