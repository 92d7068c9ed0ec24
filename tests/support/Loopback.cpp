#include "tests/support/Loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace dialforge_test {

LoopbackClient::LoopbackClient(int port, int receiveBufferSize)
    : descriptor(socket(AF_INET, SOCK_STREAM, 0)) {
  if (receiveBufferSize > 0) {
    setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &receiveBufferSize, sizeof receiveBufferSize);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  if (connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == -1) {
    Close();
  }
}

LoopbackClient::~LoopbackClient() {
  Close();
}

void LoopbackClient::Send(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t count = send(descriptor, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    ASSERT_GT(count, 0) << "send failed with error " << errno;
    sent += static_cast<size_t>(count);
  }
}

bool LoopbackClient::TrySend(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t count = send(descriptor, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (count <= 0) {
      return false;
    }
    sent += static_cast<size_t>(count);
  }
  return true;
}

void LoopbackClient::SendWithoutDelay() {
  const int on = 1;
  setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void LoopbackClient::CloseSending() {
  shutdown(descriptor, SHUT_WR);
}

std::string LoopbackClient::Receive(size_t count, size_t pieceSize) {
  std::string received;
  std::vector<char> piece(pieceSize);
  while (received.size() < count && WaitReadable()) {
    const ssize_t got =
        recv(descriptor, piece.data(), std::min(pieceSize, count - received.size()), 0);
    if (got <= 0) {
      break;
    }
    received.append(piece.data(), static_cast<size_t>(got));
  }
  return received;
}

bool LoopbackClient::ClosedByListener() {
  char byte;
  while (WaitReadable()) {
    if (recv(descriptor, &byte, 1, 0) <= 0) {
      return true;
    }
  }
  return false;
}

void LoopbackClient::Close() {
  if (descriptor != -1) {
    close(descriptor);
    descriptor = -1;
  }
}

bool LoopbackClient::WaitReadable() {
  pollfd watched{descriptor, POLLIN, 0};
  return poll(&watched, 1, 10000) == 1;
}

size_t ThreadCount() {
  static const bool warmedUp = [] {
    std::thread([] {}).join();
    return true;
  }();
  (void)warmedUp;
  return ListFolder("/proc/self/task").size();
}

bool ThreadCountReturnsTo(size_t count) {
  return WaitUntil([&] { return ThreadCount() == count; });
}

size_t DescriptorCount() {
  return ListFolder("/proc/self/fd").size();
}
}  // namespace dialforge_test
