// The tracer's cases on every system; its log file's protections are in posix/ and windows/.
#include "trace/Tracer.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <future>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/DataFolder.h"
#include "platform/OutputCapture.h"
#include "tests/support/TestSupport.h"
#include "tests/trace/TracerFixture.h"
#include "trace/Printable.h"

namespace {

using dialforge_platform::HomeVariable;
using dialforge_test::CapturedOutput;
using dialforge_test::ListFolder;
using dialforge_test::TracerTest;
using VazezeveDudOzizezUziriv::Tracer;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

TEST_F(TracerTest, ALoggedLineIsWrittenOnceAndKeptInTheFileTheFirstOneNamed) {
  Tracer::SetLog(true);
  // Without a home no file is named, and only the file copy is lost, which is said once.
  dialforge_platform::UnsetVariable(HomeVariable());
  EXPECT_EQ(CapturedOutput([] {
              Tracer::TRACE("no home");
              Tracer::TRACE("still none");
            }),
            std::string(HomeVariable()) + " is not set; no log file\r\nno home\r\nstill none\r\n");
  EXPECT_EQ(Tracer::GetLogFileName(), "");
  dialforge_platform::SetVariable(HomeVariable(), home.Path());
  EXPECT_TRUE(ListFolder(LogsFolder()).empty());

  const std::string longText(5000, 'x');
  const std::time_t before = std::time(nullptr);
  EXPECT_EQ(CapturedOutput([&] { Tracer::TRACE("%s", longText.c_str()); }),
            std::string(4092, 'x') + "\r\n");
  const std::time_t after = std::time(nullptr);
  Tracer::SetTracing(true);  // and still written once
  EXPECT_EQ(CapturedOutput([] { Tracer::TRACE("%s", "100%s %d %%"); }), "100%s %d %%\r\n")
      << "arguments are never formatted again";
  ASSERT_EQ(LogMessages(), (Lines{std::string(4092, 'x'), "100%s %d %%"}));

  const Lines files = ListFolder(LogsFolder());
  bool namedByThatMoment = false;
  for (std::time_t moment = before; moment <= after; ++moment) {
    namedByThatMoment |= files == Lines{"CPP-" + Tracer::GetDateTime(moment) + ".log"};
  }
  EXPECT_TRUE(namedByThatMoment) << files[0];
  // Compared as paths: Windows joins them with "\\".
  EXPECT_EQ(std::filesystem::u8path(Tracer::GetLogFileName()),
            std::filesystem::u8path(LogsFolder() + "/" + files[0]));
  EXPECT_EQ(Tracer::GetDateTime(1799118245), "2027-01-05T03-04-05") << "UTC, zero-padded";

  // The file is kept open between lines, yet given up once it is gone from its name: a deleted
  // or moved file comes back under that name with the next line.
  const std::string log = LogsFolder() + "/" + files[0];
  const std::string moved = home.PathOf("moved.log");
  const auto logHolds = [&](const char* text) {
    return dialforge_test::WaitUntil(
        [&] { return dialforge_test::ReadFile(log).find(text) != std::string::npos; }, 60s);
  };
  bool kept = false;
  bool recreated = false;
  bool movedAway = false;
  CapturedOutput([&] {
    std::error_code ignored;
    Tracer::TRACE("kept");
    kept = logHolds("kept");
    std::filesystem::remove(std::filesystem::u8path(log), ignored);
    Tracer::TRACE("after the deletion");
    recreated = logHolds("after the deletion");
    std::filesystem::rename(std::filesystem::u8path(log), std::filesystem::u8path(moved), ignored);
    Tracer::TRACE("after the move");
    movedAway = logHolds("after the move");
  });
  // Checked once the capture has ended, so that a failure is shown.
  EXPECT_TRUE(kept);
  EXPECT_TRUE(recreated) << "a deleted log file comes back at the next line";
  EXPECT_TRUE(movedAway) << "a moved log file is left, and one made under its name";
  EXPECT_EQ(dialforge_test::ReadFile(moved).find("after the move"), std::string::npos);
  EXPECT_EQ(ListFolder(LogsFolder()), files);

  // Nor does the tracer create a folder: without one, too, only the file copy is lost. (The stop
  // that ended the capture closed the file, which Windows requires before removing its folder.)
  std::filesystem::remove_all(LogsFolder());
  EXPECT_EQ(CapturedOutput([] { Tracer::TRACE("lost"); }), "lost\r\n");
  EXPECT_FALSE(dialforge_test::FileExists(LogsFolder()));
}

// A hard link planted at the log's name is another name of a file that may lie anywhere.
TEST_F(TracerTest, AHardLinkAtTheLogFileIsNeverWrittenThrough) {
  Tracer::SetLog(true);
  const std::string path = Tracer::GetLogFileName();
  const std::string victim = home.PathOf("victim");
  dialforge_test::WriteFile(victim, "");
  std::filesystem::create_hard_link(std::filesystem::u8path(victim), std::filesystem::u8path(path));
  EXPECT_EQ(CapturedOutput([] { Tracer::TRACE("through a link"); }),
            "through a link\r\nLog file not private: " + path + "\r\n");
  EXPECT_EQ(dialforge_test::ReadFile(victim), "");
}

// The log file's complete lines, each dropped one counted as a line.
int LinesAccountedFor(const std::string& log) {
  const std::string dropped = "Trace lines dropped: ";
  std::vector<std::string> lines = dialforge_test::SplitLines(dialforge_test::ReadFile(log), "\n");
  lines.pop_back();  // what follows the last line end
  int count = 0;
  for (const std::string& line : lines) {
    const size_t at = line.find(dropped);
    count += at == std::string::npos ? 1 : std::atoi(line.c_str() + at + dropped.size());
  }
  return count;
}

TEST_F(TracerTest, TwoThreadsFloodingTheQueueKeepEveryLineWholeInOrderAndCountWhatIsDropped) {
  Tracer::SetLog(true);
  constexpr int kLinesPerThread = 10000;
  const auto traceLines = [](char name) {
    for (int line = 0; line < kLinesPerThread; ++line) {
      Tracer::TRACE("thread %c line %05d %s", name, line, "................................");
    }
  };
  const std::string log = Tracer::GetLogFileName();
  CapturedOutput([&] {
    std::thread first(traceLines, 'A');
    std::thread second(traceLines, 'B');
    first.join();
    second.join();
    Tracer::TRACE("last");
    // Written out before the stop, whose deadline would leave lines queued where writing is
    // slow (wine).
    EXPECT_TRUE(dialforge_test::WaitUntil(
        [&] { return LinesAccountedFor(log) == 2 * kLinesPerThread + 1; }, 90s));
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
  std::future<void> traced;  // waited for after the pipe's end, if the stop hangs
  dialforge_platform::OutputCapture unread;
  ASSERT_TRUE(unread.Capture(dialforge_platform::OutputCapture::Into::Pipe));
  traced = std::async(std::launch::async, [] {
    for (int line = 0; line < 3000; ++line) {
      Tracer::TRACE("Processing message '%d|Transport|Play'", line);
    }
    Tracer::Stop();
  });
  const bool returned = traced.wait_for(10s) == std::future_status::ready;
  unread.Release();
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
