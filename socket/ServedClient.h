// One connection the listener serves beside others, on the listener thread: its socket, its line
// framing and what it has still to be sent. A reply is queued whole and sent as fast as the
// client reads; while a megabyte or more waits, the client is not read, so that a client that
// does not read makes only its own requests wait.
#ifndef DIALFORGE_SOCKET_SERVEDCLIENT_H
#define DIALFORGE_SOCKET_SERVEDCLIENT_H

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "socket/ClientConnection.h"
#include "socket/LineAssembler.h"

namespace VazezeveDudOzizezUziriv {

struct ServedClient {
  using Clock = std::chrono::steady_clock;
  static constexpr size_t kBufferSize = 131072;
  static constexpr size_t kMostQueuedBytes = size_t{1} << 20;
  // The slot of a connection that has still to prove itself with its first line.
  static constexpr size_t kCandidate = ~size_t{0};

  ServedClient(dialforge_platform::SocketHandle descriptor, size_t slot);

  // Appends to what is to be sent and sends what the socket takes now; false when the client
  // has gone (what was queued is dropped).
  bool Queue(const std::string& bytes);
  // Sends what the socket takes now; false when the client has gone.
  bool Flush();
  size_t Queued() const { return output.size() - sentBytes; }
  bool Full() const { return Queued() >= kMostQueuedBytes; }
  bool IsCandidate() const { return slot == kCandidate; }
  // Gone, or said all it will and has been sent all it was due.
  bool Finished() const {
    return closed || (!reading && !inputPending && !replyContinues && Queued() == 0);
  }

  ClientConnection connection;
  LineAssembler assembler;
  std::unique_ptr<char[]> buffer{new char[kBufferSize]};
  size_t slot;
  Clock::time_point since = Clock::now();  // the connection, or the last bytes the client took
  bool reading = true;                     // its input has not ended and is not refused
  bool inputPending = false;               // the assembler holds a chunk not yet used up
  bool chunkReceived = false;              // that chunk came from a receive, not the end
  bool sentAnything = false;
  bool sentBeforeChunk = false;
  bool saidGoodbye = false;
  bool replyContinues = false;  // a reply has more parts to come
  bool closed = false;

 private:
  std::string output;
  size_t sentBytes = 0;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
