// ctest runs each test case in a process of its own, so every case starts with both switches
// off and with no log file named yet, as a freshly loaded plug-in does.
#include "trace/Tracer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <future>
#include <regex>
#include <string>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace {

using dialforge_test::ListFolder;
using dialforge_test::ReadFile;
using dialforge_test::SplitLines;
using dialforge_test::TempHome;
using VazezeveDudOzizezUziriv::FormatToString;
using VazezeveDudOzizezUziriv::Tracer;

std::string TraceCaptured(const std::function<void()>& trace) {
  testing::internal::CaptureStdout();
  trace();
  return testing::internal::GetCapturedStdout();
}

class TracerTest : public ::testing::Test {
 protected:
  void SetUp() override { home.CreateCompanionFolders(); }

  std::string LogsFolder() const { return home.PathOf(TempHome::kLogsFolder); }
  std::vector<std::string> LogFiles() const { return ListFolder(LogsFolder()); }
  std::string OnlyLogFileText() const {
    const auto files = LogFiles();
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? std::string() : ReadFile(LogsFolder() + "/" + files[0]);
  }
  // The lines of a log file without their stamps; each stamp is checked on the way.
  std::vector<std::string> LogMessages() const {
    std::vector<std::string> messages;
    const std::regex stamped(R"(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\d \| (.*))");
    auto lines = SplitLines(OnlyLogFileText(), "\r\n");
    EXPECT_EQ(lines.back(), "") << "every line ends in CR LF";
    lines.pop_back();
    for (const auto& line : lines) {
      std::smatch match;
      EXPECT_TRUE(std::regex_match(line, match, stamped)) << line;
      messages.push_back(match.size() > 1 ? match[1].str() : line);
    }
    return messages;
  }

  TempHome home;
};

TEST_F(TracerTest, TheTwoSwitchesDecideWhereALineGoes) {
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("off %d", 0); }), "");
  EXPECT_TRUE(LogFiles().empty());

  Tracer::SetTracing(true);
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("tracing %d", 1); }), "tracing 1\r\n");
  EXPECT_TRUE(LogFiles().empty()) << "tracing alone never touches the file system";

  Tracer::SetTracing(false);
  Tracer::SetLog(true);
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("logging %d", 2); }), "logging 2\r\n");

  Tracer::SetTracing(true);
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("both %d", 3); }), "both 3\r\n");
  EXPECT_TRUE(Tracer::GetTracing());
  EXPECT_TRUE(Tracer::GetLog());

  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"logging 2", "both 3"}));
}

TEST_F(TracerTest, TheFirstLoggedLineNamesTheFileForTheWholeProcess) {
  Tracer::SetLog(true);
  const std::time_t before = std::time(nullptr);
  TraceCaptured([] { Tracer::TRACE("first"); });
  const std::time_t after = std::time(nullptr);

  const auto files = LogFiles();
  ASSERT_EQ(files.size(), 1u);
  bool namedByThatMoment = false;
  for (std::time_t moment = before; moment <= after; ++moment) {
    namedByThatMoment |= files[0] == "CPP-" + Tracer::GetDateTime(moment) + ".log";
  }
  EXPECT_TRUE(namedByThatMoment) << files[0];
  EXPECT_EQ(Tracer::GetLogFileName(), LogsFolder() + "/" + files[0]);

  TraceCaptured([] { Tracer::TRACE("second"); });
  EXPECT_EQ(LogFiles(), files);
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"first", "second"}));

  // The file is closed between lines, so a deleted one comes back under the same name.
  std::remove((LogsFolder() + "/" + files[0]).c_str());
  TraceCaptured([] { Tracer::TRACE("third"); });
  EXPECT_EQ(LogFiles(), files);
}

TEST(TracerDateTime, IsWrittenInUtcWithHyphensAndZeroPadding) {
  std::tm moment{};
  moment.tm_year = 2027 - 1900;
  moment.tm_mon = 0;
  moment.tm_mday = 5;
  moment.tm_hour = 3;
  moment.tm_min = 4;
  moment.tm_sec = 5;
  EXPECT_EQ(Tracer::GetDateTime(timegm(&moment)), "2027-01-05T03-04-05");
  moment.tm_mon = 11;
  moment.tm_mday = 31;
  moment.tm_hour = 23;
  moment.tm_min = 59;
  moment.tm_sec = 59;
  EXPECT_EQ(Tracer::GetDateTime(timegm(&moment)), "2027-12-31T23-59-59");

  EXPECT_EQ(FormatToString(7), "07");
  EXPECT_EQ(FormatToString(10), "10");
  EXPECT_EQ(FormatToString(123), "123");
}

TEST_F(TracerTest, LongMessagesAreCutAndArgumentsAreNeverFormattedAgain) {
  Tracer::SetLog(true);
  const std::string longText(5000, 'x');
  EXPECT_EQ(TraceCaptured([&] { Tracer::TRACE("%s", longText.c_str()); }),
            std::string(4092, 'x') + "\r\n");
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("%s", "100%s %d %%"); }), "100%s %d %%\r\n");
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{std::string(4092, 'x'), "100%s %d %%"}));
}

TEST_F(TracerTest, AMissingLogsFolderLosesOnlyTheFileCopy) {
  std::filesystem::remove_all(LogsFolder());
  Tracer::SetLog(true);
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("lost"); }), "lost\r\n");
  EXPECT_FALSE(dialforge_test::FileExists(LogsFolder())) << "the tracer creates no folder";

  home.CreateFolder(TempHome::kLogsFolder);
  TraceCaptured([] { Tracer::TRACE("kept"); });
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"kept"}));
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

TEST(TracerWithoutHome, WritesStandardOutputAndNoFile) {
  TempHome home;
  home.CreateCompanionFolders();
  unsetenv("HOME");
  Tracer::SetLog(true);
  EXPECT_EQ(TraceCaptured([] { Tracer::TRACE("no home"); }), "no home\r\n");
  EXPECT_EQ(Tracer::GetLogFileName(), "");
  EXPECT_TRUE(ListFolder(home.PathOf(TempHome::kLogsFolder)).empty());
}

TEST_F(TracerTest, TwoThreadsTracingAtOnceKeepEveryLineWhole) {
  Tracer::SetLog(true);
  constexpr int kLinesPerThread = 10000;
  const auto traceLines = [](char name) {
    for (int line = 0; line < kLinesPerThread; ++line) {
      Tracer::TRACE("thread %c line %05d %s", name, line, "................................");
    }
  };
  const std::string output = TraceCaptured([&] {
    std::thread first(traceLines, 'A');
    std::thread second(traceLines, 'B');
    first.join();
    second.join();
  });

  const std::regex whole(R"(thread [AB] line \d{5} \.{32})");
  std::vector<std::string> printed = SplitLines(output, "\r\n");
  printed.pop_back();
  const std::vector<std::string> logged = LogMessages();
  for (const std::vector<std::string>* lines : {&std::as_const(printed), &logged}) {
    ASSERT_EQ(lines->size(), 2u * kLinesPerThread);
    int next[2] = {0, 0};
    for (const auto& line : *lines) {
      ASSERT_TRUE(std::regex_match(line, whole)) << line;
      const int thread = line[7] - 'A';
      EXPECT_EQ(std::stoi(line.substr(14, 5)), next[thread]++) << "lines of one thread in order";
    }
  }
}

}  // namespace
