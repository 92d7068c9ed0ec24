#include "bench/LoopbackPeers.h"

#include <chrono>
#include <cstring>
#include <stdexcept>

namespace dialforge_bench {

namespace platform = dialforge_platform;
using platform::kNoSocket;
using platform::SocketError;
using platform::SocketErrorKind;
using platform::SocketHandle;

namespace {

// The plug-in's receive size, so the line-counting floor reads the stream as the plug-in does.
constexpr size_t kChunkSize = 131071;
constexpr size_t kClientBufferSize = 1 << 20;

std::runtime_error SystemError(const std::string& call, const SocketError& error) {
  return std::runtime_error(call + " failed with error " + std::to_string(error.number));
}

bool Interrupted(const SocketError& error) {
  return platform::KindOf(error.number) == SocketErrorKind::Interrupted;
}

// Blocking sends may still come back short when a signal interrupts them.
bool SendAll(SocketHandle socket, const std::string& bytes) {
  const char* data = bytes.data();
  size_t remaining = bytes.size();
  while (remaining > 0) {
    size_t sent = 0;
    const SocketError error = platform::Send(socket, data, remaining, &sent);
    if (error && Interrupted(error)) {
      continue;
    }
    if (error || sent == 0) {
      return false;
    }
    data += sent;
    remaining -= sent;
  }
  return true;
}

// A blocking receive; 0 at the end of the stream or when it failed.
size_t ReceiveOrEnd(SocketHandle socket, char* buffer, size_t size) {
  size_t received = 0;
  return platform::Receive(socket, buffer, size, &received) ? 0 : received;
}

}  // namespace

BenchClient::BenchClient(int port) : buffer(kClientBufferSize) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    if (const SocketError error = platform::OpenStreamSocket(&descriptor)) {
      throw SystemError("socket()", error);
    }
    const SocketError error = platform::ConnectLoopback(descriptor, port);
    if (!error) {
      break;
    }
    platform::Close(descriptor);
    descriptor = kNoSocket;
    if (platform::KindOf(error.number) != SocketErrorKind::Refused ||
        std::chrono::steady_clock::now() > deadline) {
      throw SystemError("connect()", error);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  platform::SetNoDelay(descriptor);
  // Only a guard against a plug-in that hangs: under a sanitizer the largest snapshot alone takes
  // about ten seconds to compose before its first byte.
  platform::SetReceiveTimeout(descriptor, 60000);
}

BenchClient::~BenchClient() {
  if (descriptor != kNoSocket) {
    platform::Close(descriptor);
  }
}

void BenchClient::Send(const char* data, size_t size) {
  while (size > 0) {
    size_t sent = 0;
    const SocketError error = platform::Send(descriptor, data, size, &sent);
    if (error) {
      if (Interrupted(error)) {
        continue;
      }
      throw SystemError("send()", error);
    }
    data += sent;
    size -= sent;
  }
}

size_t BenchClient::ReceiveSome(size_t most) {
  for (;;) {
    size_t received = 0;
    const SocketError error = platform::Receive(descriptor, buffer.data(), most, &received);
    if (!error && received > 0) {
      return received;
    }
    if (!error) {
      throw std::runtime_error("the server closed the connection");
    }
    if (!Interrupted(error)) {
      throw SystemError("recv()", error);
    }
  }
}

void BenchClient::ReceiveExactly(size_t count) {
  while (count > 0) {
    count -= ReceiveSome(count < buffer.size() ? count : buffer.size());
  }
}

std::string BenchClient::ReceiveUntilSuffix(const std::string& suffix) {
  std::string received;
  while (received.size() < suffix.size() ||
         received.compare(received.size() - suffix.size(), suffix.size(), suffix) != 0) {
    received.append(buffer.data(), ReceiveSome(buffer.size()));
  }
  return received;
}

LoopbackServer::LoopbackServer() {
  if (const SocketError error = platform::OpenStreamSocket(&listenSocket)) {
    throw SystemError("socket()", error);
  }
  std::string address;
  SocketError error = platform::BindLoopback(listenSocket, 0);
  if (!error) {
    error = platform::LocalAddress(listenSocket, &port, &address);
  }
  if (!error) {
    error = platform::Listen(listenSocket, 1);
  }
  if (error) {
    platform::Close(listenSocket);
    throw SystemError("opening a baseline server", error);
  }
}

LoopbackServer::~LoopbackServer() {
  Stop();
}

void LoopbackServer::Start() {
  thread = std::thread(&LoopbackServer::Run, this);
}

void LoopbackServer::Stop() {
  if (listenSocket == kNoSocket) {
    return;
  }
  stopping.store(true);
  // Shutting a socket down wakes a thread blocked in recv() on it; a thread still in accept()
  // is woken by a connection, since Windows cannot shut a listening socket down.
  SocketHandle waking = kNoSocket;
  if (!platform::OpenStreamSocket(&waking)) {
    platform::ConnectLoopback(waking, port);
  }
  const SocketHandle client = clientSocket.load();
  if (client != kNoSocket) {
    platform::ShutDown(client);
  }
  if (thread.joinable()) {
    thread.join();
  }
  if (waking != kNoSocket) {
    platform::Close(waking);
  }
  platform::Close(listenSocket);
  listenSocket = kNoSocket;
}

void LoopbackServer::Run() {
  SocketHandle client = kNoSocket;
  if (platform::Accept(listenSocket, &client)) {
    return;
  }
  platform::SetNoDelay(client);
  clientSocket.store(client);
  if (!stopping.load()) {
    Serve(client);
  }
  clientSocket.store(kNoSocket);
  platform::Close(client);
}

EchoServer::EchoServer(size_t replySize) : reply(replySize, 'x') {
  reply.back() = '\n';
  Start();
}

EchoServer::~EchoServer() {
  Stop();
}

void EchoServer::Serve(SocketHandle client) {
  std::vector<char> chunk(kChunkSize);
  for (;;) {
    const size_t received = ReceiveOrEnd(client, chunk.data(), chunk.size());
    if (received == 0) {
      return;
    }
    const char* position = chunk.data();
    const char* end = position + received;
    while (const void* lineFeed =
               std::memchr(position, '\n', static_cast<size_t>(end - position))) {
      position = static_cast<const char*>(lineFeed) + 1;
      if (!SendAll(client, reply)) {
        return;
      }
    }
  }
}

LineCountingServer::LineCountingServer() {
  Start();
}

LineCountingServer::~LineCountingServer() {
  Stop();
}

void LineCountingServer::Serve(SocketHandle client) {
  std::vector<char> chunk(kChunkSize);
  uint64_t seen = 0;
  for (;;) {
    const size_t received = ReceiveOrEnd(client, chunk.data(), chunk.size());
    if (received == 0) {
      return;
    }
    const char* position = chunk.data();
    const char* end = position + received;
    while (const void* lineFeed =
               std::memchr(position, '\n', static_cast<size_t>(end - position))) {
      position = static_cast<const char*>(lineFeed) + 1;
      ++seen;
    }
    lines.store(seen, std::memory_order_release);
  }
}

}  // namespace dialforge_bench
