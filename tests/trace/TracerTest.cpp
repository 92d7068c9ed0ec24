// ctest runs each test case in a process of its own, so every case starts with both switches
// off and with no log file named yet, as a freshly loaded plug-in does.
#include "trace/Tracer.h"

#include <sys/stat.h>
#include <unistd.h>

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

namespace {

using dialforge_test::ListFolder;
using dialforge_test::ReadFile;
using dialforge_test::TempHome;
using VazezeveDudOzizezUziriv::Tracer;
using Lines = std::vector<std::string>;

std::string TraceCaptured(const std::function<void()>& trace) {
  testing::internal::CaptureStdout();
  trace();
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
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("through a link"); }), "through a link\r\n");
  EXPECT_EQ(ReadFile(victim), "");
  ASSERT_EQ(unlink(path.c_str()), 0);

  // A planted FIFO must not hold the tracer, which holds every thread that traces.
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  auto traced = std::async(std::launch::async, [] { Tracer::TRACE("past a FIFO"); });
  ASSERT_EQ(traced.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  ASSERT_EQ(unlink(path.c_str()), 0);

  const mode_t previousMask = umask(0);
  Tracer::TRACE("first");
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

TEST_F(TracerTest, TwoThreadsTracingAtOnceKeepEveryLineWhole) {
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
  });

  const std::regex whole(R"(thread [AB] line \d{5} \.{32})");
  const Lines logged = LogMessages();
  ASSERT_EQ(logged.size(), 2u * kLinesPerThread);
  int next[2] = {0, 0};
  for (const std::string& line : logged) {
    ASSERT_TRUE(std::regex_match(line, whole)) << line;
    EXPECT_EQ(std::stoi(line.substr(14, 5)), next[line[7] - 'A']++) << "each thread in order";
  }
}

}  // namespace
