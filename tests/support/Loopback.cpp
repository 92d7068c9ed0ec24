#include "tests/support/Loopback.h"

#include <algorithm>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ProcessCounts.h"
#include "tests/support/TestSupport.h"

namespace dialforge_test {

namespace platform = dialforge_platform;

LoopbackClient::LoopbackClient(int port, int receiveBufferSize) {
  if (platform::OpenStreamSocket(&descriptor)) {
    return;
  }
  if (receiveBufferSize > 0) {
    platform::SetReceiveBufferSize(descriptor, receiveBufferSize);
  }
  if (platform::ConnectLoopback(descriptor, port)) {
    Close();
  }
}

LoopbackClient::~LoopbackClient() {
  Close();
}

void LoopbackClient::Send(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    size_t count = 0;
    const platform::SocketError error =
        platform::Send(descriptor, bytes.data() + sent, bytes.size() - sent, &count);
    ASSERT_FALSE(error) << "send failed with error " << error.number;
    ASSERT_GT(count, 0u);
    sent += count;
  }
}

bool LoopbackClient::TrySend(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    size_t count = 0;
    if (platform::Send(descriptor, bytes.data() + sent, bytes.size() - sent, &count) ||
        count == 0) {
      return false;
    }
    sent += count;
  }
  return true;
}

void LoopbackClient::SendWithoutDelay() {
  platform::SetNoDelay(descriptor);
}

void LoopbackClient::CloseSending() {
  platform::ShutDownSending(descriptor);
}

std::string LoopbackClient::Receive(size_t count, size_t pieceSize) {
  std::string received;
  std::vector<char> piece(pieceSize);
  while (received.size() < count && WaitReadable()) {
    size_t got = 0;
    if (platform::Receive(descriptor, piece.data(), std::min(pieceSize, count - received.size()),
                          &got) ||
        got == 0) {
      break;
    }
    received.append(piece.data(), got);
  }
  return received;
}

bool LoopbackClient::ClosedByListener() {
  char byte;
  while (WaitReadable()) {
    size_t got = 0;
    if (platform::Receive(descriptor, &byte, 1, &got) || got == 0) {
      return true;
    }
  }
  return false;
}

void LoopbackClient::Close() {
  if (descriptor != platform::kNoSocket) {
    platform::Close(descriptor);
    descriptor = platform::kNoSocket;
  }
}

bool LoopbackClient::WaitReadable() {
  platform::WatchedSocket watched{descriptor, platform::kReadable, 0};
  platform::SocketError ignored;
  return platform::WaitForSockets(&watched, 1, 10000, &ignored) == 1;
}

int RivalBindError(int port, const std::string& address) {
  const platform::SocketsInUse socketsInUse;
  platform::SocketHandle rival = platform::kNoSocket;
  if (const platform::SocketError error = platform::OpenStreamSocket(&rival)) {
    return error.number;
  }
  platform::SetReuseAddress(rival);
  const platform::SocketError error = address == "0.0.0.0" ? platform::BindAnyAddress(rival, port)
                                                           : platform::BindLoopback(rival, port);
  platform::Close(rival);
  return error ? error.number : 0;
}

size_t ThreadCount() {
  static const bool warmedUp = [] {
    std::thread([] {}).join();
    return true;
  }();
  (void)warmedUp;
  return platform::ThreadCount().value_or(0);
}

bool ThreadCountReturnsTo(size_t count) {
  return WaitUntil([&] { return ThreadCount() == count; });
}

size_t DescriptorCount() {
  return platform::OpenHandleCount().value_or(0);
}

}  // namespace dialforge_test
