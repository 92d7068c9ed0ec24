// Binding a control surface to the host's suites, and what the host sees of it through the
// registered control-surface tables.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "sdk/ControlSurfaceSuites.h"
#include "surface/Dialforge.h"
#include "tests/support/ExampleProject.h"
#include "tests/surface/SurfaceTestSupport.h"

namespace {

using dialforge_host::SimulatedHost;
using VazezeveDudOzizezUziriv::Dialforge;

const std::vector<std::string> kBoundSuites = {
    "ADOBESDK ControlSurfaceHost Suite", "ADOBESDK ControlSurfaceHost Transport Suite",
    "ADOBESDK ControlSurfaceHost Command Suite", "ADOBESDK ControlSurfaceHost Mixer Suite",
    "ADOBESDK ControlSurfaceHost Lumetri Suite"};

int Held(const SimulatedHost& host, const std::string& name) {
  return host.HeldCount(name, 1);
}

TEST(BindingTest, AHostOfferingEverySuiteIsBoundAndUnboundCompletely) {
  SimulatedHost host(dialforge_test::ExampleProject());
  Dialforge surface(7, host.BasicSuite());
  surface.SetDialforgeHost(nullptr);
  EXPECT_EQ(host.CallCount("AcquireSuite"), 0u) << "unbinding a new object acquires nothing";

  // Rebinding releases the first binding before acquiring again.
  for (int binding = 0; binding < 2; ++binding) {
    surface.SetDialforgeHost(host.HostHandle());
    for (const std::string& name : kBoundSuites) {
      EXPECT_EQ(Held(host, name), 1) << name;
    }
  }
  EXPECT_EQ(surface.GetHost(), host.HostHandle());

  surface.SetDialforgeHost(nullptr);
  for (const std::string& name : kBoundSuites) {
    EXPECT_EQ(Held(host, name), 0) << name;
  }
  EXPECT_EQ(Held(host, "ADOBESDK StringSuite"), 1) << "one for the program, however many bindings";
  EXPECT_EQ(surface.GetMixerSuite(), nullptr);
  EXPECT_EQ(surface.GetHost(), nullptr);
  Dialforge::ReleaseStringSuite();
  EXPECT_EQ(Held(host, "ADOBESDK StringSuite"), 0);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

// The host's side: the tables it finds in the suite list, called with the handles it is given.
class HostView : public ::testing::Test {
 protected:
  HostView() : bound(dialforge_test::ExampleProject()) {
    const void* suites = nullptr;
    bound.host.BasicSuite()->AcquireSuite("SP Suites Suite", 2, &suites);
    suitesSuite = static_cast<const SPSuitesSuite*>(suites);
    suitesSuite->AllocateSuiteList(nullptr, nullptr, &list);
    Dialforge::RegisterSuites(suitesSuite, list);
  }
  ~HostView() override {
    suitesSuite->FreeSuiteList(list);
    bound.host.BasicSuite()->ReleaseSuite("SP Suites Suite", 2);
  }

  template <typename Table>
  const Table* Find(const char* name, int32_t version) const {
    return static_cast<const Table*>(bound.host.FindSuite(list, name, version));
  }

  dialforge_test::BoundSurface bound;
  const SPSuitesSuite* suitesSuite = nullptr;
  SPSuiteList* list = nullptr;
};

// Each handle the surface hands out is called through the table of its kind.
TEST_F(HostView, TheHostsCallsReachTheOperationsOfTheSurface) {
  Dialforge& surface = bound.surface;
  ADOBESDK_ControlSurface* handle = surface.GetDialforgeRef();
  const auto& surfaceSuite = *Find<ADOBESDK_ControlSurfaceSuite>(kADOBESDK_ControlSurfaceSuite, 2);
  ADOBESDK_ControlSurfaceTransport* transport = nullptr;
  ADOBESDK_ControlSurfaceMixer* mixer = nullptr;
  ADOBESDK_ControlSurfaceCommand* command = nullptr;
  auto* lumetri = reinterpret_cast<ADOBESDK_ControlSurfaceLumetri*>(&surface);
  ASSERT_EQ(surfaceSuite.GetTransportRef(handle, &transport), 0);
  ASSERT_EQ(surfaceSuite.GetMixerRef(handle, &mixer), 0);
  ASSERT_EQ(surfaceSuite.GetCommandRef(handle, &command), 0);
  EXPECT_EQ(surfaceSuite.GetLumetriRef(handle, &lumetri), 0);
  EXPECT_EQ(lumetri, nullptr) << "the surface has no Lumetri part";
  uint32_t flags = 9;
  EXPECT_EQ(surfaceSuite.GetControlSurfaceFlags(handle, &flags), 0);
  EXPECT_EQ(flags, 0u);

  const auto& transportSuite =
      *Find<ADOBESDK_ControlSurfaceTransportSuite1>(kADOBESDK_ControlSurfaceTransportSuite, 1);
  EXPECT_EQ(transportSuite.SetPlayState(transport, 1), 0);
  EXPECT_EQ(transportSuite.SetStopState(transport, 1), kADOBESDK_NotImplemented);

  const auto& commandSuite =
      *Find<ADOBESDK_ControlSurfaceCommandSuite1>(kADOBESDK_ControlSurfaceCommandSuite, 1);
  EXPECT_EQ(commandSuite.GetUserButtonCount(command, nullptr), kADOBESDK_BadParameter);
  uint32_t count = 42;
  EXPECT_EQ(commandSuite.GetUserButtonCount(command, &count), 0);
  EXPECT_EQ(count, 0u) << "success writes the count";

  const auto& mixerSuite =
      *Find<ADOBESDK_ControlSurfaceMixerSuite2>(kADOBESDK_ControlSurfaceMixerSuite, 2);
  EXPECT_EQ(mixerSuite.SelectionChanged(mixer), kADOBESDK_NotImplemented);
  EXPECT_EQ(mixerSuite.SetComponentBypass(mixer, 0, 3, 1), 0);
  EXPECT_EQ(mixerSuite.SetComponentParameter(mixer, 0, 3, 0, 0.5f), 0);
  EXPECT_EQ(bound.host.JournalLines(), std::vector<std::string>{})
      << "notifications from the host change nothing in it";

  // The two operations of the surface's own that act on the host.
  EXPECT_EQ(surface.ChangeMixerAutomationMode(9, 4), 0);
  EXPECT_EQ(bound.host.AutomationMode(9), 4u);
  EXPECT_EQ(surface.ChangeLumetriControls(), 0);
  EXPECT_EQ(bound.host.PanelMode(), 6u);
}

}  // namespace
