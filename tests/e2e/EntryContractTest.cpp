// The module as a host meets it: the exported entry point, the module function table, start-up
// and shut-down, the plug-in suite, and the marker files read at load.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/HostErrors.h"
#include "tests/support/CapturedOutput.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using dialforge_host::FourCharacterCode;
using dialforge_test::LoadedModule;
using dialforge_test::TempHome;

constexpr ADOBESDK_Error kMissingArgument = FourCharacterCode("Parm");
constexpr ADOBESDK_Error kUnknownSuite = FourCharacterCode("Suit");

// The address of a function nobody calls: the table must still hold it afterwards.
ADOBESDK_Error Untouched() {
  return 0;
}

TEST(EntryContractTest, OnlyTheEntryPointIsExported) {
  if (dialforge_test::kOnWindows) {
    GTEST_SKIP() << "the DLL's export table is checked by .ci/check-windows-dll";
  }
  TempHome home;
  const dialforge_test::Finished symbols = dialforge_test::RunToEnd(
      "/usr/bin/nm", {"-D", "--defined-only", DIALFORGE_MODULE}, home.Path());
  ASSERT_EQ(symbols.status, 0) << symbols.errors;
  // Each line: address, type letter, name.
  std::vector<std::string> names;
  for (const std::string& line : dialforge_test::SplitLines(symbols.output, "\n")) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) {
      names.push_back(name);
    }
  }
  EXPECT_EQ(names, std::vector<std::string>{"EntryPoint"}) << symbols.output;
}

TEST(EntryContractTest, EntryPointFillsTheModuleTableOnlyForABasicSuite) {
  TempHome home;
  LoadedModule loaded(dialforge_test::ExampleProject());
  ADOBESDK_ControlSurfacePluginFuncs table = {Untouched, Untouched, nullptr, nullptr, nullptr};
  EXPECT_EQ(loaded.module.EntryPoint()(nullptr, 1, 0, 1, &table), kMissingArgument);
  EXPECT_EQ(table.Startup, &Untouched);
  EXPECT_EQ(table.CreatePluginInstance, nullptr);

  dialforge_host::SimulatedHost& host = loaded.host;
  ASSERT_EQ(loaded.module.EntryPoint()(host.BasicSuite(), 7, 3, 1, &table), 0)
      << "any version is accepted";
  // Each slot shows what it is by what it does.
  ASSERT_EQ(table.Startup(), 0);
  ASSERT_EQ(host.LiveSuiteLists().size(), 1u);
  SPSuiteList* list = nullptr;
  ASSERT_EQ(table.GetSuiteList(&list), 0);
  EXPECT_EQ(list, host.LiveSuiteLists()[0]);
  ADOBESDK_ControlSurfacePlugin* plugin = nullptr;
  ASSERT_EQ(table.CreatePluginInstance(&plugin), 0);
  EXPECT_NE(plugin, nullptr);
  EXPECT_EQ(table.DeletePluginInstance(plugin), 0);
  EXPECT_EQ(table.Shutdown(), 0);
  EXPECT_TRUE(host.LiveSuiteLists().empty());
  EXPECT_EQ(host.HeldSuites().size(), 1u) << "only the suites suite stays acquired";
  EXPECT_EQ(host.HeldCount(kSPSuitesSuite, kSPSuitesSuiteVersion), 1);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

TEST(EntryContractTest, StartupAnswersTheHostsCodeWhenASuiteIsRefused) {
  TempHome home;
  LoadedModule loaded(dialforge_test::ExampleProject());
  dialforge_host::SimulatedHost& host = loaded.host;
  ADOBESDK_ControlSurfacePluginFuncs table{};
  ASSERT_EQ(loaded.module.EntryPoint()(host.BasicSuite(), 1, 0, 1, &table), 0);

  host.SetSuiteMissing(kADOBESDK_StringSuite, true);
  EXPECT_EQ(table.Startup(), kUnknownSuite);
  EXPECT_TRUE(host.HeldSuites().empty());
  host.SetSuiteMissing(kADOBESDK_StringSuite, false);

  host.SetSuiteMissing(kSPSuitesSuite, true);
  EXPECT_EQ(table.Startup(), kUnknownSuite);
  EXPECT_EQ(host.CallCount("AllocateSuiteList"), 0u);
  EXPECT_EQ(table.Shutdown(), 0);
  EXPECT_EQ(host.HeldCount(kADOBESDK_StringSuite, 1), 0) << "the string suite is released";
  host.SetSuiteMissing(kSPSuitesSuite, false);

  // A list that cannot be had is no failure: the suites are still offered to a null list.
  host.SetFailure("AllocateSuiteList", FourCharacterCode("Full"));
  EXPECT_EQ(table.Startup(), 0);
  SPSuiteList* list = reinterpret_cast<SPSuiteList*>(&table);
  EXPECT_EQ(table.GetSuiteList(&list), 0);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(table.Shutdown(), 0);
  EXPECT_EQ(host.CallCount("FreeSuiteList"), 0u);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

TEST(EntryContractTest, AnInstanceNamesItselfAndADeletedNullInstanceIsNoInstance) {
  TempHome home;
  home.CreateCompanionFolders();
  dialforge_test::WriteFile(home.PathOf(dialforge_test::TempHome::kDataFolder + "/enablelogs"), "");
  LoadedModule loaded(dialforge_test::ExampleProject());
  loaded.module.Start();
  {
    dialforge_host::PluginInstance instance(loaded.module);
    EXPECT_EQ(instance.PluginID(), "Dialforge.Dialforge2.ControlSurfacePlugIn");
    EXPECT_EQ(instance.DisplayString(), "Dialforge");
  }
  EXPECT_EQ(loaded.host.LivePluginStringCount(), 0u) << "the host disposed both names";
  EXPECT_EQ(loaded.host.ViolationCount(), 0u);

  const std::vector<std::string> traced = dialforge_test::LoggedTraces(home.Path());
  EXPECT_EQ(loaded.module.Functions().DeletePluginInstance(nullptr), 0);
  EXPECT_EQ(dialforge_test::LoggedTraces(home.Path()), traced) << "no trace for a null instance";
}

TEST(EntryContractTest, MarkerFilesSwitchTracesAtLoad) {
  TempHome home;
  home.CreateCompanionFolders();
  LoadedModule loaded(dialforge_test::ExampleProject());
  const auto load = [&](int major, int minor) {
    ADOBESDK_ControlSurfacePluginFuncs table{};
    return dialforge_test::CapturedOutput([&] {
      EXPECT_EQ(loaded.module.EntryPoint()(loaded.host.BasicSuite(), major, minor, 1, &table), 0);
      EXPECT_EQ(table.Shutdown(), 0) << "which writes out the queued lines";
    });
  };
  const std::string logs = home.PathOf(TempHome::kLogsFolder);

  EXPECT_EQ(load(1, 0), "");
  EXPECT_TRUE(dialforge_test::ListFolder(logs).empty());

  dialforge_test::WriteFile(home.PathOf(dialforge_test::TempHome::kDataFolder + "/enabletraces"),
                            "");
  EXPECT_EQ(load(2, 1), "Plugin loaded, version 2.1\r\n") << "an empty marker counts";
  EXPECT_TRUE(dialforge_test::ListFolder(logs).empty());
}

}  // namespace
