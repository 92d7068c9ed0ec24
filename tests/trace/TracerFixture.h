// What the tracer's cases share: a temporary home with the companion's folders, and the lines
// traced to standard output. ctest runs each test case in a process of its own, so every case
// starts with both switches off and with no log file named yet, as a freshly loaded plug-in does.
#ifndef DIALFORGE_TESTS_TRACE_TRACERFIXTURE_H
#define DIALFORGE_TESTS_TRACE_TRACERFIXTURE_H

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/CapturedOutput.h"
#include "tests/support/TestSupport.h"
#include "trace/Tracer.h"

namespace dialforge_test {

class TracerTest : public ::testing::Test {
 protected:
  void SetUp() override { home.CreateCompanionFolders(); }

  std::string LogsFolder() const { return home.PathOf(TempHome::kLogsFolder); }
  std::vector<std::string> LogMessages() const { return LoggedTraces(home.Path()); }

  TempHome home;
};

}  // namespace dialforge_test

#endif
