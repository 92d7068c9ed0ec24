// The plug-in's tests count on the host to notice what the plug-in does wrong with host strings,
// suites and suite lists, so every such misuse must be refused and reported, in words that say
// which.
#include <functional>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/PluginView.h"

namespace {

using dialforge_host::SimulatedHost;
using dialforge_test::PluginView;

ADOBESDK_String Disposed(const PluginView& view) {
  ADOBESDK_String string = view.Make("exposure");
  view.strings->DisposeString(&string);
  return string;
}

TEST(HostMisuse, EveryMisuseIsRefusedAndReportedOnce) {
  const struct {
    const char* report;
    std::function<ADOBESDK_Error(const PluginView&)> misuse;
  } misuses[] = {
      {"DisposeString: the string was already disposed",
       [](const PluginView& view) {
         ADOBESDK_String string = Disposed(view);
         return view.strings->DisposeString(&string);
       }},
      {"CopyToUTF8: a string argument was already disposed",
       [](const PluginView& view) {
         const ADOBESDK_String string = Disposed(view);
         uint32_t length = 0;
         return view.strings->CopyToUTF8(&string, nullptr, &length);
       }},
      {"GetParameterValue: a string argument was already disposed",
       [](const PluginView& view) {
         const ADOBESDK_String string = Disposed(view);
         float value = 0;
         return view.lumetri->GetParameterValue(view.lumetriRef, &string, &value);
       }},
      {"DisposeString: the string was filled in by the host",
       [](const PluginView& view) {
         ADOBESDK_String name{};
         view.mixer->GetChannelName(view.mixerRef, 7, 1024, &name);
         return view.strings->DisposeString(&name);
       }},
      {"DisposeString: the string is a zero-initialised string",
       [](const PluginView& view) {
         ADOBESDK_String zero{};
         return view.strings->DisposeString(&zero);
       }},
      {"DisposeString: the string was never made",
       [](const PluginView& view) {
         ADOBESDK_String garbage{{0x1234, 0x5678}};
         return view.strings->DisposeString(&garbage);
       }},
      {"ReleaseSuite: \"ADOBESDK StringSuite\" version 1 was released more often than it was "
       "acquired",
       [](const PluginView& view) {
         view.basic->ReleaseSuite(kADOBESDK_StringSuite, 1);
         return view.basic->ReleaseSuite(kADOBESDK_StringSuite, 1);
       }},
      {"FreeSuiteList: the list was never allocated or is already freed",
       [](const PluginView& view) {
         SPSuiteList* list = nullptr;
         view.suites->AllocateSuiteList(nullptr, nullptr, &list);
         view.suites->FreeSuiteList(list);
         return view.suites->FreeSuiteList(list);
       }},
  };
  for (const auto& [report, misuse] : misuses) {
    SCOPED_TRACE(report);
    SimulatedHost host(dialforge_test::ExampleProject());
    const PluginView view(host);
    EXPECT_NE(misuse(view), 0);
    ASSERT_EQ(host.ViolationCount(), 1u);
    EXPECT_THAT(host.Violations()[0], testing::HasSubstr(report));
  }
}

// What the leak checks of the plug-in's tests count: strings the plug-in made and suites it
// acquired, and not what the host filled in.
TEST(HostMisuse, MadeStringsAndAcquiredSuitesAreCountedUntilGivenBack) {
  SimulatedHost host(dialforge_test::ExampleProject());
  const PluginView view(host);
  EXPECT_EQ(host.HeldCount(kADOBESDK_StringSuite, 1), 1);
  ADOBESDK_String made = view.Make("exposure");
  ADOBESDK_String name{};
  view.mixer->GetChannelName(view.mixerRef, 7, 1024, &name);
  EXPECT_EQ(host.LivePluginStringCount(), 1u);
  view.strings->DisposeString(&made);
  view.basic->ReleaseSuite(kADOBESDK_StringSuite, 1);
  EXPECT_EQ(host.LivePluginStringCount(), 0u);
  EXPECT_EQ(host.HeldCount(kADOBESDK_StringSuite, 1), 0);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

}  // namespace
