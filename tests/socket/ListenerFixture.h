// What the listener's cases share: a listener that records what it is sent, under a temporary
// home. ctest runs each case in a process of its own, so each has a log file of its own, which is
// where the cases read the listener's traces.
#ifndef DIALFORGE_TESTS_SOCKET_LISTENERFIXTURE_H
#define DIALFORGE_TESTS_SOCKET_LISTENERFIXTURE_H

#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "socket/DialforgeSocket.h"
#include "tests/support/TestSupport.h"
#include "trace/Tracer.h"

namespace dialforge_test {

// Records each message and answers with what the test chose. Once sharing, it admits further
// connections whose first line is "join" (refused "busy" when full), and answers "no" to a first
// line "knock" before it closes.
class RecordingSocket : public VazezeveDudOzizezUziriv::DialforgeSocket {
 public:
  ~RecordingSocket() { StopListening(); }

  // Before StartListening.
  void Share() { sharing = true; }

  // Before StartListening: the listener thread calls it.
  void AnswerWith(std::function<std::string(const std::string&)> chosen) {
    answer = std::move(chosen);
  }
  std::vector<std::string> Messages() const {
    std::lock_guard<std::mutex> lock(mutex);
    return messages;
  }
  bool WaitForMessages(size_t count) const {
    return WaitUntil([&] { return Messages().size() >= count; });
  }

  std::string ProcessMessage(std::string message) override {
    {
      std::lock_guard<std::mutex> lock(mutex);
      messages.push_back(message);
    }
    return answer ? answer(message) : std::string();
  }

 protected:
  bool SharingOpen() override { return sharing; }
  Admission AdmitAnother(const std::string& line, bool full, std::string* reply) override {
    if (line == "join" && !full) {
      return Admission::Admit;
    }
    *reply = line == "knock" ? "no\n" : line == "join" ? "busy\n" : "";
    return Admission::Refuse;
  }

 private:
  bool sharing = false;
  std::function<std::string(const std::string&)> answer;
  mutable std::mutex mutex;
  std::vector<std::string> messages;
};

class DialforgeSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home.CreateCompanionFolders();
    VazezeveDudOzizezUziriv::Tracer::SetLog(true);
    listener.SetRetryPause(std::chrono::milliseconds(10));
  }

  std::string PortFile() const { return home.PathOf(TempHome::kPortFile); }

  std::vector<std::string> Traces() const { return LoggedTraces(home.Path()); }
  size_t CountTraces(const std::function<bool(const std::string&)>& matches) const {
    size_t count = 0;
    for (const auto& line : Traces()) {
      count += matches(line) ? 1 : 0;
    }
    return count;
  }
  size_t CountTrace(const std::string& line) const {
    return CountTraces([&](const std::string& traced) { return traced == line; });
  }
  bool WaitForTrace(const std::string& line, size_t count = 1) const {
    return WaitUntil([&] { return CountTrace(line) >= count; });
  }
  bool WaitForState(VazezeveDudOzizezUziriv::ListenerState wanted) const {
    return WaitUntil([&] { return listener.GetState() == wanted; });
  }
  // StopListening on another thread, so that a stop that hangs fails the case instead of it.
  bool StopsPromptly() {
    auto stopped = std::async(std::launch::async, [this] { listener.StopListening(); });
    return stopped.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
  }

  TempHome home;
  RecordingSocket listener;  // after home: the port file's path is taken from HOME
};

}  // namespace dialforge_test

#endif
