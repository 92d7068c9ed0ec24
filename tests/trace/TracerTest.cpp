// ctest runs each test case in a process of its own, so every case starts with both switches
// off and with no log file named yet, as a freshly loaded plug-in does.
#include "trace/Tracer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <future>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/Loopback.h"
#include "tests/support/TestSupport.h"
#include "trace/Printable.h"

namespace {

using dialforge_test::ListFolder;
using dialforge_test::ReadFile;
using dialforge_test::TempHome;
using VazezeveDudOzizezUziriv::Tracer;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

std::string TraceCaptured(const std::function<void()>& trace) {
  testing::internal::CaptureStdout();
  trace();
  Tracer::Stop();
  return testing::internal::GetCapturedStdout();
}

class TracerTest : public ::testing::Test {
 protected:
  void SetUp() override { home.CreateCompanionFolders(); }

  std::string LogsFolder() const { return home.PathOf(TempHome::kLogsFolder); }
  Lines LogMessages() const { return dialforge_test::LoggedTraces(home.Path()); }

  TempHome home;
};

TEST_F(TracerTest, ALoggedLineIsWrittenOnceAndKeptInTheFileTheFirstOneNamed) {
  Tracer::SetLog(true);
  // Without a home no file is named, and only the file copy is lost.
  unsetenv("HOME");
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("no home"); }), "no home\r\n");
  EXPECT_EQ(Tracer::GetLogFileName(), "");
  setenv("HOME", home.Path().c_str(), 1);
  EXPECT_TRUE(ListFolder(LogsFolder()).empty());

  const std::string longText(5000, 'x');
  const std::time_t before = std::time(nullptr);
  EXPECT_EQ(TraceCaptured([&] { Tracer::TRACE("%s", longText.c_str()); }),
            std::string(4092, 'x') + "\r\n");
  const std::time_t after = std::time(nullptr);
  Tracer::SetTracing(true);  // and still written once
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("%s", "100%s %d %%"); }), "100%s %d %%\r\n")
      << "arguments are never formatted again";
  ASSERT_EQ(LogMessages(), (Lines{std::string(4092, 'x'), "100%s %d %%"}));

  const Lines files = ListFolder(LogsFolder());
  bool namedByThatMoment = false;
  for (std::time_t moment = before; moment <= after; ++moment) {
    namedByThatMoment |= files == Lines{"CPP-" + Tracer::GetDateTime(moment) + ".log"};
  }
  EXPECT_TRUE(namedByThatMoment) << files[0];
  EXPECT_EQ(Tracer::GetLogFileName(), LogsFolder() + "/" + files[0]);
  EXPECT_EQ(Tracer::GetDateTime(1799118245), "2027-01-05T03-04-05") << "UTC, zero-padded";

  // The file is closed between lines, so a deleted one comes back under the same name.
  std::filesystem::remove(LogsFolder() + "/" + files[0]);
  TraceCaptured([] { Tracer::TRACE("again"); });
  EXPECT_EQ(ListFolder(LogsFolder()), files);

  // Nor does the tracer create a folder: without one, too, only the file copy is lost.
  std::filesystem::remove_all(LogsFolder());
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("lost"); }), "lost\r\n");
  EXPECT_FALSE(dialforge_test::FileExists(LogsFolder()));
}

TEST_F(TracerTest, ALogFileIsPrivateNeverReachedThroughALinkAndStopsAtItsLimit) {
  Tracer::SetLog(true);
  const std::string path = Tracer::GetLogFileName();
  const std::string victim = home.PathOf("victim");
  dialforge_test::WriteFile(victim, "");
  ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("through a link"); }),
            "through a link\r\nLog file not private: " + path + "\r\n");
  EXPECT_EQ(ReadFile(victim), "");
  ASSERT_EQ(unlink(path.c_str()), 0);

  // Neither a planted FIFO nor a file another user may write takes the lines; said only once.
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("past a FIFO"); }), "past a FIFO\r\n");
  ASSERT_EQ(unlink(path.c_str()), 0);
  dialforge_test::WriteFile(path, "");
  ASSERT_EQ(chmod(path.c_str(), 0622), 0);
  TraceCaptured([] { Tracer::TRACE("group-writable"); });
  EXPECT_EQ(ReadFile(path), "");
  ASSERT_EQ(unlink(path.c_str()), 0);

  const mode_t previousMask = umask(0);
  TraceCaptured([] { Tracer::TRACE("first"); });
  umask(previousMask);
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);

  // Grown to just below its limit without writing it all: the file is sparse.
  ASSERT_EQ(truncate(path.c_str(), Tracer::kLogFileLimit - 100), 0);
  const std::string line(60, 'x');
  const std::string output = TraceCaptured([&] {
    for (int i = 0; i < 3; ++i) {
      Tracer::TRACE("%s", line.c_str());
    }
  });
  EXPECT_EQ(output, line + "\r\n" + line + "\r\n" + line + "\r\n") << "standard output keeps all";
  const std::string tail = ReadFile(path).substr(Tracer::kLogFileLimit - 100);
  EXPECT_TRUE(std::regex_match(tail, std::regex(R"(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\d \| )"
                                                R"(Log file limit reached\r\n)")))
      << tail;
}

TEST_F(TracerTest, TwoThreadsFloodingTheQueueKeepEveryLineWholeInOrderAndCountWhatIsDropped) {
  Tracer::SetLog(true);
  constexpr int kLinesPerThread = 10000;
  const auto traceLines = [](char name) {
    for (int line = 0; line < kLinesPerThread; ++line) {
      Tracer::TRACE("thread %c line %05d %s", name, line, "................................");
    }
  };
  TraceCaptured([&] {
    std::thread first(traceLines, 'A');
    std::thread second(traceLines, 'B');
    first.join();
    second.join();
    Tracer::TRACE("last");
  });

  const std::regex whole(R"(thread [AB] line \d{5} \.{32})");
  const std::regex dropped(R"(Trace lines dropped: (\d+))");
  int next[2] = {0, 0};
  int accounted = 0;
  for (const std::string& line : LogMessages()) {
    std::smatch count;
    if (std::regex_match(line, count, dropped)) {
      accounted += std::stoi(count[1]);
      continue;
    }
    if (line == "last") {
      ++accounted;
      continue;
    }
    ASSERT_TRUE(std::regex_match(line, whole)) << line;
    const int number = std::stoi(line.substr(14, 5));
    EXPECT_GE(number, next[line[7] - 'A']) << "each thread in order";
    next[line[7] - 'A'] = number + 1;
    ++accounted;
  }
  EXPECT_EQ(accounted, 2 * kLinesPerThread + 1) << "every line written or counted as dropped";
}

// Standard output a pipe nobody reads, as a terminal paused with Ctrl-S: tracing and the stop
// that ends the writer still return, so the host's thread can disconnect the plug-in.
TEST_F(TracerTest, AStalledStandardOutputHoldsNeitherTheTracingThreadsNorTheStop) {
  Tracer::SetTracing(true);
  int unread[2];
  ASSERT_EQ(pipe(unread), 0);
  std::fflush(stdout);
  const int savedOutput = dup(STDOUT_FILENO);
  ASSERT_EQ(dup2(unread[1], STDOUT_FILENO), STDOUT_FILENO);
  auto traced = std::async(std::launch::async, [] {
    for (int line = 0; line < 3000; ++line) {
      Tracer::TRACE("Processing message '%d|Transport|Play'", line);
    }
    Tracer::Stop();
  });
  const bool returned = traced.wait_for(10s) == std::future_status::ready;
  dup2(savedOutput, STDOUT_FILENO);
  close(savedOutput);
  close(unread[0]);
  close(unread[1]);
  EXPECT_TRUE(returned) << "a trace line or the stop waited on standard output";
}

TEST(PrintableTest, OnlyWellFormedPrintableUtf8StaysAndEveryOtherByteIsEscaped) {
  const std::pair<std::string, std::string> rows[] = {
      {"caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80 ~",
       "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80 ~"},
      {"\x1B]0;x\x07\x7F", "\\x1B]0;x\\x07\\x7F"},
      {"\xC2\x9B"
       "2J \xC2\x80 \xC2\xA0",
       "\\xC2\\x9B2J \\xC2\\x80 \xC2\xA0"},  // C1 controls, NBSP
      {"\x9B", "\\x9B"},                     // a lone CSI
      {"\\x0A", "\\x5Cx0A"},                 // no forged escape
      {"\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80", "\\xC0\\xAF \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80"},
      {"\xE6\x97", "\\xE6\\x97"},  // cut short
      {std::string("a\0b", 3), "a\\x00b"}};
  for (const auto& [text, printable] : rows) {
    EXPECT_EQ(VazezeveDudOzizezUziriv::Printable(text), printable);
  }
}

}  // namespace
