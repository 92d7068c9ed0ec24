#include "bench/LoopbackPeers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace dialforge_bench {

namespace {

// The plug-in's receive size, so the line-counting floor reads the stream as the plug-in does.
constexpr size_t kChunkSize = 131071;
constexpr size_t kClientBufferSize = 1 << 20;

std::runtime_error SystemError(const std::string& call) {
  return std::runtime_error(call + " failed with error " + std::to_string(errno));
}

void SetNoDelay(int descriptor) {
  const int on = 1;
  setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Blocking sends may still come back short when a signal interrupts them.
bool SendAll(int descriptor, const std::string& bytes) {
  const char* data = bytes.data();
  size_t remaining = bytes.size();
  while (remaining > 0) {
    const ssize_t sent = send(descriptor, data, remaining, MSG_NOSIGNAL);
    if (sent == -1 && errno == EINTR) {
      continue;
    }
    if (sent <= 0) {
      return false;
    }
    data += sent;
    remaining -= static_cast<size_t>(sent);
  }
  return true;
}

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

BenchClient::BenchClient(int port) : buffer(kClientBufferSize) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    descriptor = socket(AF_INET, SOCK_STREAM, 0);
    if (descriptor == -1) {
      throw SystemError("socket()");
    }
    const sockaddr_in address = LoopbackAddress(port);
    if (connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      break;
    }
    const int error = errno;
    close(descriptor);
    descriptor = -1;
    if (error != ECONNREFUSED || std::chrono::steady_clock::now() > deadline) {
      errno = error;
      throw SystemError("connect()");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  SetNoDelay(descriptor);
  timeval timeout{10, 0};
  setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

BenchClient::~BenchClient() {
  if (descriptor != -1) {
    close(descriptor);
  }
}

void BenchClient::Send(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t sent = send(descriptor, data, size, MSG_NOSIGNAL);
    if (sent == -1) {
      if (errno == EINTR) {
        continue;
      }
      throw SystemError("send()");
    }
    data += sent;
    size -= static_cast<size_t>(sent);
  }
}

size_t BenchClient::ReceiveSome(size_t most) {
  for (;;) {
    const ssize_t received = recv(descriptor, buffer.data(), most, 0);
    if (received > 0) {
      return static_cast<size_t>(received);
    }
    if (received == 0) {
      throw std::runtime_error("the server closed the connection");
    }
    if (errno != EINTR) {
      throw SystemError("recv()");
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
  listenSocket = socket(AF_INET, SOCK_STREAM, 0);
  if (listenSocket == -1) {
    throw SystemError("socket()");
  }
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof address;
  if (bind(listenSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == -1 ||
      getsockname(listenSocket, reinterpret_cast<sockaddr*>(&address), &length) == -1 ||
      listen(listenSocket, 1) == -1) {
    const std::runtime_error error = SystemError("opening a baseline server");
    close(listenSocket);
    throw error;
  }
  port = ntohs(address.sin_port);
}

LoopbackServer::~LoopbackServer() {
  Stop();
}

void LoopbackServer::Start() {
  thread = std::thread(&LoopbackServer::Run, this);
}

void LoopbackServer::Stop() {
  if (listenSocket == -1) {
    return;
  }
  stopping.store(true);
  // Shutting a socket down wakes a thread blocked in accept() or recv() on it.
  shutdown(listenSocket, SHUT_RDWR);
  const int client = clientSocket.load();
  if (client != -1) {
    shutdown(client, SHUT_RDWR);
  }
  if (thread.joinable()) {
    thread.join();
  }
  close(listenSocket);
  listenSocket = -1;
}

void LoopbackServer::Run() {
  const int client = accept(listenSocket, nullptr, nullptr);
  if (client == -1) {
    return;
  }
  SetNoDelay(client);
  clientSocket.store(client);
  if (!stopping.load()) {
    Serve(client);
  }
  clientSocket.store(-1);
  close(client);
}

EchoServer::EchoServer(size_t replySize) : reply(replySize, 'x') {
  reply.back() = '\n';
  Start();
}

EchoServer::~EchoServer() {
  Stop();
}

void EchoServer::Serve(int client) {
  std::vector<char> chunk(kChunkSize);
  for (;;) {
    const ssize_t received = recv(client, chunk.data(), chunk.size(), 0);
    if (received <= 0) {
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

void LineCountingServer::Serve(int client) {
  std::vector<char> chunk(kChunkSize);
  uint64_t seen = 0;
  for (;;) {
    const ssize_t received = recv(client, chunk.data(), chunk.size(), 0);
    if (received <= 0) {
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
