// The log file's protections where POSIX plants them: links, FIFOs, modes and the umask.
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/trace/TracerFixture.h"
#include "trace/Tracer.h"

namespace {

using dialforge_test::CapturedOutput;
using dialforge_test::ReadFile;
using dialforge_test::TracerTest;
using VazezeveDudOzizezUziriv::Tracer;

TEST_F(TracerTest, ALogFileIsPrivateNeverReachedThroughALinkAndStopsAtItsLimit) {
  Tracer::SetLog(true);
  const std::string path = Tracer::GetLogFileName();
  const std::string victim = home.PathOf("victim");
  dialforge_test::WriteFile(victim, "");
  ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
  EXPECT_EQ(CapturedOutput([] { Tracer::TRACE("through a link"); }),
            "through a link\r\nLog file not private: " + path + "\r\n");
  EXPECT_EQ(ReadFile(victim), "");
  ASSERT_EQ(unlink(path.c_str()), 0);

  // Neither a planted FIFO nor a file another user may write takes the lines; said only once.
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(CapturedOutput([] { Tracer::TRACE("past a FIFO"); }), "past a FIFO\r\n");
  ASSERT_EQ(unlink(path.c_str()), 0);
  dialforge_test::WriteFile(path, "");
  ASSERT_EQ(chmod(path.c_str(), 0622), 0);
  CapturedOutput([] { Tracer::TRACE("group-writable"); });
  EXPECT_EQ(ReadFile(path), "");
  ASSERT_EQ(unlink(path.c_str()), 0);

  const mode_t previousMask = umask(0);
  CapturedOutput([] { Tracer::TRACE("first"); });
  umask(previousMask);
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);

  // Grown to just below its limit without writing it all: the file is sparse.
  ASSERT_EQ(truncate(path.c_str(), Tracer::kLogFileLimit - 100), 0);
  const std::string line(60, 'x');
  const std::string output = CapturedOutput([&] {
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

}  // namespace
