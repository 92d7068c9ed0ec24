// The two ends of the bench's loopback connections: the client that plays the companion
// application, and the bare servers that give the floor the plug-in is measured against.
#ifndef DIALFORGE_BENCH_LOOPBACKPEERS_H
#define DIALFORGE_BENCH_LOOPBACKPEERS_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sockets.h"

namespace dialforge_bench {

// A blocking client with TCP_NODELAY, the same for the plug-in and for every baseline. Every
// failure, a receive that waits more than ten seconds included, throws std::runtime_error.
class BenchClient {
 public:
  // Retries a refused connection for a while: a listener may publish its port just before it
  // listens.
  explicit BenchClient(int port);
  ~BenchClient();
  BenchClient(const BenchClient&) = delete;
  BenchClient& operator=(const BenchClient&) = delete;

  void Send(const char* data, size_t size);
  void Send(const std::string& bytes) { Send(bytes.data(), bytes.size()); }
  // Reads and drops exactly count bytes; allocates nothing.
  void ReceiveExactly(size_t count);
  // Everything up to and including the first occurrence of the suffix at the end of what has
  // arrived.
  std::string ReceiveUntilSuffix(const std::string& suffix);
  // What the client's own receive buffer holds on the heap.
  size_t BufferBytes() const { return buffer.size(); }

 private:
  size_t ReceiveSome(size_t most);

  dialforge_platform::SocketsInUse socketsInUse;
  dialforge_platform::SocketHandle descriptor = dialforge_platform::kNoSocket;
  std::vector<char> buffer;
};

// A server on 127.0.0.1 that serves one connection on its own thread.
class LoopbackServer {
 public:
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return port; }

 protected:
  LoopbackServer();
  // Subclasses call Stop in their own destructor, before their part of the object goes.
  virtual ~LoopbackServer();
  void Start();
  void Stop();
  // Runs on the server's thread until the client closes or Stop shuts the connection down.
  virtual void Serve(dialforge_platform::SocketHandle client) = 0;

 private:
  void Run();

  dialforge_platform::SocketsInUse socketsInUse;
  dialforge_platform::SocketHandle listenSocket = dialforge_platform::kNoSocket;
  std::atomic<dialforge_platform::SocketHandle> clientSocket{dialforge_platform::kNoSocket};
  std::atomic<bool> stopping{false};
  int port = 0;
  std::thread thread;
};

// Answers every line it receives with a reply of a fixed size.
class EchoServer : public LoopbackServer {
 public:
  explicit EchoServer(size_t replySize);
  ~EchoServer() override;

 private:
  void Serve(dialforge_platform::SocketHandle client) override;

  std::string reply;
};

// Only reads the stream in chunks of the plug-in's receive size and finds its lines.
class LineCountingServer : public LoopbackServer {
 public:
  LineCountingServer();
  ~LineCountingServer() override;

  uint64_t Lines() const { return lines.load(std::memory_order_acquire); }

 private:
  void Serve(dialforge_platform::SocketHandle client) override;

  std::atomic<uint64_t> lines{0};
};

}  // namespace dialforge_bench

#endif
