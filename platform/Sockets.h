// TCP over the loopback address, as thin as the calls themselves: descriptors on Linux and macOS,
// Winsock's SOCKET handles on Windows. Every failure comes back with the name of the call that
// failed and the number the system gave right after it (errno, or WSAGetLastError() on Windows),
// so that callers trace "bind() failed with error %d" as the system said it.
#ifndef DIALFORGE_PLATFORM_SOCKETS_H
#define DIALFORGE_PLATFORM_SOCKETS_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace dialforge_platform {

// Pointer-sized, as SOCKET is: a handle is never narrowed to an int. On Linux and macOS it is the
// descriptor, and a pipe's descriptor may stand in a wait beside sockets.
enum class SocketHandle : std::uintptr_t {};
constexpr SocketHandle kNoSocket = static_cast<SocketHandle>(~std::uintptr_t{0});

// A null call means success.
struct SocketError {
  const char* call = nullptr;
  int number = 0;

  explicit operator bool() const { return call != nullptr; }
};

// What a caller does about an error number.
enum class SocketErrorKind {
  Interrupted,   // a signal came: call again
  WouldBlock,    // a non-blocking socket has nothing now
  PassingFault,  // the peer's connection went away, or the network had a passing fault
  Shortage,      // the process or the system is short of descriptors or memory
  Refused,       // nobody listens on the port
  AddressInUse,  // another socket holds the address and port
  Other,
};
SocketErrorKind KindOf(int number);
// The system's own words for the number, for people.
std::string SocketErrorText(int number);

// Winsock must be started in each module before its first socket and cleaned up after its
// last. Every owner of sockets holds one of these; the first in the module starts the system's
// sockets, the last one gone cleans them up. Nothing to do on Linux and macOS.
class SocketsInUse {
 public:
  SocketsInUse();
  ~SocketsInUse();
  SocketsInUse(const SocketsInUse&) = delete;
  SocketsInUse& operator=(const SocketsInUse&) = delete;

  // What failed when the system's sockets could not be started.
  SocketError Failure() const { return failure; }

 private:
  SocketError failure;
};

// An IPv4 TCP socket, never inherited by child processes: made so where the system has a flag
// for it (Linux, Windows), else made so at once (macOS).
SocketError OpenStreamSocket(SocketHandle* opened);
// Not inherited by processes the host starts: for a socket made elsewhere, or to know that the
// flag holds.
SocketError KeepFromChildren(SocketHandle socket);
SocketError SetNonBlocking(SocketHandle socket);
// Each send leaves at once, without waiting for the acknowledgement of the previous one.
SocketError SetNoDelay(SocketHandle socket);
SocketError SetReceiveBufferSize(SocketHandle socket, int bytes);
// A blocking receive fails with a would-block error after that long.
SocketError SetReceiveTimeout(SocketHandle socket, int milliseconds);
// A send to a peer that has gone never raises SIGPIPE: macOS is told so once for the socket
// here; Linux at every send; Windows has no such signal.
SocketError KeepSendsFromSignalling(SocketHandle socket);
// For a listening socket, before it binds. On Linux and macOS, SO_REUSEADDR: past clients'
// connections in TIME_WAIT must not keep us from binding our port again, and neither system
// lets that option take a port another socket listens on. On Windows that option would let any
// program take our bound port, so there it is SO_EXCLUSIVEADDRUSE instead.
SocketError GuardListeningPort(SocketHandle socket);

// SO_REUSEADDR alone, as any program may set it.
SocketError SetReuseAddress(SocketHandle socket);

// 127.0.0.1 on the port; 0 lets the system choose.
SocketError BindLoopback(SocketHandle socket, int port);
// 0.0.0.0, every interface.
SocketError BindAnyAddress(SocketHandle socket, int port);
// The bound port and the dotted text of the bound address.
SocketError LocalAddress(SocketHandle socket, int* port, std::string* address);
// The port of the peer a connected socket is connected to.
SocketError PeerPort(SocketHandle socket, int* port);
SocketError Listen(SocketHandle socket, int backlog);
// Takes one connection, without asking for the peer's address; not inherited, as above (Linux
// accepts it so; macOS and Windows clear the flag at once).
SocketError Accept(SocketHandle listening, SocketHandle* accepted);
SocketError ConnectLoopback(SocketHandle socket, int port);

// At most capacity bytes; *received is 0 at the end of the stream.
SocketError Receive(SocketHandle socket, char* buffer, std::size_t capacity, std::size_t* received);
// May send fewer bytes than given.
SocketError Send(SocketHandle socket, const char* bytes, std::size_t size, std::size_t* sent);

// Ends this side's stream; the peer sees the end of input.
void ShutDownSending(SocketHandle socket);
// Both directions: wakes a thread blocked on the socket, which stays open.
void ShutDown(SocketHandle socket);
void Close(SocketHandle socket);
// Both directions, then closed: every socket the plug-in closes is closed so.
void ShutDownAndClose(SocketHandle socket);

// The socket of this process that listens on the loopback port, whoever owns it; kNoSocket when
// there is none. For checks from outside its owner.
SocketHandle FindListeningSocket(int port);

// Readiness: what a wait is for and what it found.
enum SocketEvents : unsigned {
  kReadable = 1,
  kWritable = 2,
  kHangUp = 4,  // the peer hung up, the socket failed, or the handle is not open
};
struct WatchedSocket {
  SocketHandle socket = kNoSocket;  // kNoSocket is skipped
  unsigned wanted = 0;
  unsigned ready = 0;  // filled in by WaitForSockets
};
// Waits until one of the sockets is ready or the time (milliseconds, -1 for none) has passed.
// Returns how many are ready: 0 when the time has passed, -1 with *error when the wait failed
// (an interrupted wait included; the caller decides).
int WaitForSockets(WatchedSocket* sockets, std::size_t count, int timeoutMs, SocketError* error);

}  // namespace dialforge_platform

#endif
