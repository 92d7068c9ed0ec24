// The companion application's side of a connection, and the process's descriptors and threads,
// for tests that talk to a listener over loopback.
#ifndef DIALFORGE_TESTS_SUPPORT_LOOPBACK_H
#define DIALFORGE_TESTS_SUPPORT_LOOPBACK_H

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Sockets.h"

namespace dialforge_test {

class LoopbackClient {
 public:
  // A small receive buffer makes a slow reader: the listener's sends must then come in parts.
  explicit LoopbackClient(int port, int receiveBufferSize = 0);
  ~LoopbackClient();
  LoopbackClient(const LoopbackClient&) = delete;
  LoopbackClient& operator=(const LoopbackClient&) = delete;

  bool Connected() const { return descriptor != dialforge_platform::kNoSocket; }

  // Fails the test when the bytes cannot all be sent.
  void Send(const std::string& bytes);
  // For a peer that may be gone: false when not all bytes could be sent.
  bool TrySend(const std::string& bytes);
  // Each send leaves at once instead of waiting for the acknowledgement of the previous one
  // (TCP_NODELAY), as a client that sends requests in small pieces would want.
  void SendWithoutDelay();
  // Ends this side's stream; the listener sees the end of input and may still reply.
  void CloseSending();
  // Up to count bytes, in pieces of at most pieceSize; fewer when the stream ends or nothing
  // arrives for ten seconds.
  std::string Receive(size_t count, size_t pieceSize = 65536);
  // True when the listener ends the connection (end of stream or reset) within ten seconds.
  bool ClosedByListener();
  void Close();

 private:
  bool WaitReadable();

  dialforge_platform::SocketsInUse socketsInUse;
  dialforge_platform::SocketHandle descriptor = dialforge_platform::kNoSocket;
};

// What a rival program gets when it binds the address (dotted) on the port with SO_REUSEADDR,
// as it would to take the port: 0 when it could, else the system's error number.
int RivalBindError(int port, const std::string& address);

// A sanitizer may start a thread of its own; the first call lets that happen before counting.
size_t ThreadCount();
// A joined thread can still be listed for a moment.
bool ThreadCountReturnsTo(size_t count);
// Descriptors or handles; 0 where the system does not tell.
size_t DescriptorCount();

}  // namespace dialforge_test

#endif
