// The log file on Windows: its lines as they are on every system, and a reparse point planted
// at its path.
#include <filesystem>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/Links.h"
#include "tests/support/TestSupport.h"
#include "tests/trace/TracerFixture.h"
#include "trace/Tracer.h"

namespace {

using dialforge_test::CapturedOutput;
using dialforge_test::ReadFile;
using dialforge_test::TracerTest;
using VazezeveDudOzizezUziriv::Tracer;

// The C runtime's text mode would write CR CR LF.
TEST_F(TracerTest, LogLinesEndInCrLfAsWrittenAndTheFileStopsAtItsLimit) {
  Tracer::SetLog(true);
  const std::string path = Tracer::GetLogFileName();
  CapturedOutput([] { Tracer::TRACE("first"); });
  const std::string first = ReadFile(path);
  EXPECT_TRUE(std::regex_match(first, std::regex(R"(\S+ \| first\r\n)"))) << first;

  std::filesystem::resize_file(std::filesystem::u8path(path), Tracer::kLogFileLimit - 100);
  const std::string line(60, 'x');
  CapturedOutput([&] {
    for (int i = 0; i < 3; ++i) {
      Tracer::TRACE("%s", line.c_str());
    }
  });
  const std::string tail = ReadFile(path).substr(Tracer::kLogFileLimit - 100);
  EXPECT_TRUE(std::regex_match(tail, std::regex(R"(\S+ \| Log file limit reached\r\n)"))) << tail;
}

TEST_F(TracerTest, AReparsePointAtTheLogFileIsNeverFollowed) {
  Tracer::SetLog(true);
  const std::string path = Tracer::GetLogFileName();
  const std::string victim = home.PathOf("victim");
  dialforge_test::WriteFile(victim, "");
  if (!dialforge_test::PlantLink(victim, path)) {
    GTEST_SKIP() << "no link could be planted (wine 8 reports one made and makes none)";
  }
  EXPECT_EQ(CapturedOutput([] { Tracer::TRACE("through a link"); }),
            "through a link\r\nLog file not private: " + path + "\r\n");
  EXPECT_EQ(ReadFile(victim), "");
}

}  // namespace
