// Binding a control surface to the host's suites, and what the host sees of it through the
// registered control-surface tables.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compose/ComposeHelper.h"
#include "host/SimulatedHost.h"
#include "sdk/ControlSurfaceSuites.h"
#include "surface/Dialforge.h"
#include "tests/support/ExampleProject.h"
#include "tests/surface/SurfaceTestSupport.h"

namespace {

using dialforge_host::FourCharacterCode;
using dialforge_host::Project;
using dialforge_host::SimulatedHost;
using VazezeveDudOzizezUziriv::ComposeHelper;
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
  EXPECT_EQ(surface.GetHostIdentifier(), 7u);

  surface.SetDialforgeHost(nullptr);
  EXPECT_EQ(host.CallCount("AcquireSuite"), 0u) << "unbinding a new object acquires nothing";

  surface.SetDialforgeHost(host.HostHandle());
  for (const std::string& name : kBoundSuites) {
    EXPECT_EQ(Held(host, name), 1) << name;
  }
  EXPECT_EQ(Held(host, "ADOBESDK StringSuite"), 1);
  EXPECT_EQ(surface.GetHost(), host.HostHandle());
  EXPECT_EQ(host.CallCount("GetCommandCount"), 1u);
  EXPECT_NE(ComposeHelper::GetInstance(), nullptr);

  // Rebinding releases the first binding before acquiring again.
  surface.SetDialforgeHost(host.HostHandle());
  for (const std::string& name : kBoundSuites) {
    EXPECT_EQ(Held(host, name), 1) << name;
  }

  surface.SetDialforgeHost(nullptr);
  for (const std::string& name : kBoundSuites) {
    EXPECT_EQ(Held(host, name), 0) << name;
  }
  EXPECT_EQ(Held(host, "ADOBESDK StringSuite"), 2) << "each binding keeps its string suite";
  EXPECT_EQ(surface.GetMixerSuite(), nullptr);
  EXPECT_EQ(surface.GetHostMixerRef(), nullptr);
  EXPECT_EQ(surface.GetHost(), nullptr);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

TEST(BindingTest, MissingSuitesAndFailedReferencesLeaveOnlyThoseParts) {
  Project project = dialforge_test::ExampleProject();
  project.missingSuites = {"ADOBESDK ControlSurfaceHost Transport Suite",
                           "ADOBESDK ControlSurfaceHost Command Suite"};
  project.failures = {{"ObtainMixerRef", FourCharacterCode("fail")}};
  SimulatedHost host(project);
  Dialforge surface(1, host.BasicSuite());
  surface.SetDialforgeHost(host.HostHandle());

  EXPECT_EQ(surface.GetTransportSuite(), nullptr);
  EXPECT_EQ(surface.GetCommandSuite(), nullptr);
  EXPECT_EQ(surface.GetMixerSuite(), nullptr);
  EXPECT_EQ(surface.GetHostMixerRef(), nullptr);
  EXPECT_EQ(Held(host, "ADOBESDK ControlSurfaceHost Mixer Suite"), 0) << "released again";
  EXPECT_NE(surface.GetLumetriSuite(), nullptr);
  EXPECT_NE(surface.GetHostLumetriRef(), nullptr);
  EXPECT_EQ(surface.GetHost(), nullptr) << "neither transport nor commands are bound";
  EXPECT_EQ(host.CallCount("GetCommandCount"), 0u);

  surface.SetDialforgeHost(nullptr);
  EXPECT_EQ(Held(host, "ADOBESDK ControlSurfaceHost Lumetri Suite"), 0);
  EXPECT_EQ(Held(host, "ADOBESDK ControlSurfaceHost Suite"), 0);
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

TEST_F(HostView, EachHandleIsTheMatchingPartOfTheObject) {
  Dialforge& surface = bound.surface;
  const auto& surfaceSuite = *Find<ADOBESDK_ControlSurfaceSuite>(kADOBESDK_ControlSurfaceSuite, 2);
  ADOBESDK_ControlSurface* handle = surface.GetDialforgeRef();
  EXPECT_EQ(static_cast<void*>(handle),
            static_cast<void*>(static_cast<adobesdk::ControlSurfaceBase*>(&surface)));

  ADOBESDK_ControlSurfaceTransport* transport = nullptr;
  ADOBESDK_ControlSurfaceMixer* mixer = nullptr;
  ADOBESDK_ControlSurfaceCommand* command = nullptr;
  EXPECT_EQ(surfaceSuite.GetTransportRef(handle, &transport), 0);
  EXPECT_EQ(surfaceSuite.GetMixerRef(handle, &mixer), 0);
  EXPECT_EQ(surfaceSuite.GetCommandRef(handle, &command), 0);
  EXPECT_EQ(static_cast<void*>(transport),
            static_cast<void*>(static_cast<adobesdk::ControlSurfaceTransportBase*>(&surface)));
  EXPECT_EQ(static_cast<void*>(mixer),
            static_cast<void*>(static_cast<adobesdk::ControlSurfaceMixerBase*>(&surface)));
  EXPECT_EQ(static_cast<void*>(command),
            static_cast<void*>(static_cast<adobesdk::ControlSurfaceCommandBase*>(&surface)));
  EXPECT_NE(static_cast<void*>(transport), static_cast<void*>(&surface));

  auto* lumetri = reinterpret_cast<ADOBESDK_ControlSurfaceLumetri*>(&surface);
  auto* marker = reinterpret_cast<ADOBESDK_ControlSurfaceMarker*>(&surface);
  EXPECT_EQ(surfaceSuite.GetLumetriRef(handle, &lumetri), 0);
  EXPECT_EQ(surfaceSuite.GetMarkerRef(handle, &marker), 0);
  EXPECT_EQ(lumetri, nullptr);
  EXPECT_EQ(marker, nullptr);
}

TEST_F(HostView, TheHostsCallsReachTheOperationsOfTheSurface) {
  Dialforge& surface = bound.surface;
  ADOBESDK_ControlSurface* handle = surface.GetDialforgeRef();
  const auto& surfaceSuite = *Find<ADOBESDK_ControlSurfaceSuite>(kADOBESDK_ControlSurfaceSuite, 1);
  ADOBESDK_String text{};
  EXPECT_EQ(surfaceSuite.GetConfigIdentifier(handle, &text), kADOBESDK_NotImplemented);
  uint32_t flags = 9;
  EXPECT_EQ(surfaceSuite.GetControlSurfaceFlags(handle, &flags), 0);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(surfaceSuite.Update(handle), 0);

  const auto& transportSuite =
      *Find<ADOBESDK_ControlSurfaceTransportSuite1>(kADOBESDK_ControlSurfaceTransportSuite, 1);
  ADOBESDK_ControlSurfaceTransport* transport = surface.TransportHandle();
  EXPECT_EQ(transportSuite.SetPlayState(transport, 1), 0);
  EXPECT_EQ(transportSuite.SetRecordState(transport, 1), 0);
  EXPECT_EQ(transportSuite.SetRewindState(transport, 0), 0);
  EXPECT_EQ(transportSuite.SetForwardState(transport, 2), 0);
  EXPECT_EQ(transportSuite.SetStopState(transport, 1), kADOBESDK_NotImplemented);
  EXPECT_EQ(transportSuite.SetCycleState(transport, 1), kADOBESDK_NotImplemented);
  EXPECT_EQ(transportSuite.SetPauseState(transport, 1), kADOBESDK_NotImplemented);
  EXPECT_EQ(transportSuite.SetTimeDisplay(transport, 0, &text), kADOBESDK_NotImplemented);

  const auto& commandSuite =
      *Find<ADOBESDK_ControlSurfaceCommandSuite1>(kADOBESDK_ControlSurfaceCommandSuite, 1);
  ADOBESDK_ControlSurfaceCommand* command = surface.CommandHandle();
  EXPECT_EQ(commandSuite.GetUserButtonCount(command, nullptr), kADOBESDK_BadParameter);
  uint32_t count = 42;
  EXPECT_EQ(commandSuite.GetUserButtonCount(command, &count), 0);
  EXPECT_EQ(count, 0u) << "success writes the count";
  EXPECT_EQ(commandSuite.GetUserButtonIDAt(command, 0, &text), kADOBESDK_NotImplemented);
  EXPECT_EQ(commandSuite.GetUserButtonDisplayName(command, &text, &text), kADOBESDK_NotImplemented);

  const auto& mixerSuite =
      *Find<ADOBESDK_ControlSurfaceMixerSuite2>(kADOBESDK_ControlSurfaceMixerSuite, 2);
  ADOBESDK_ControlSurfaceMixer* mixer = surface.MixerHandle();
  EXPECT_EQ(mixerSuite.SelectionChanged(mixer), kADOBESDK_NotImplemented);
  EXPECT_EQ(mixerSuite.SetAutomationMode(mixer, 0, 1), kADOBESDK_NotImplemented);
  EXPECT_EQ(mixerSuite.SetComponentBypass(mixer, 0, 3, 1), 0);
  EXPECT_EQ(mixerSuite.SetComponentParameter(mixer, 0, 3, 0, 0.5f), 0);
  EXPECT_EQ(bound.host.JournalLines(), std::vector<std::string>{})
      << "notifications from the host change nothing in it";
}

TEST(DialforgeOperations, AnswerAsTheControlSurfaceDefinesThem) {
  dialforge_test::BoundSurface bound(dialforge_test::ExampleProject());
  Dialforge& surface = bound.surface;

  unsigned short** text = nullptr;
  unsigned int* length = nullptr;
  EXPECT_EQ(surface.GetConfigIdentifier(text, length), 0);
  ASSERT_NE(text, nullptr);
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(*length, 9u);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(*text), *length), u"Dialforge");
  unsigned short** again = nullptr;
  unsigned int* againLength = nullptr;
  surface.GetConfigIdentifier(again, againLength);
  EXPECT_EQ(again, text);
  EXPECT_EQ(againLength, length);

  unsigned int flags = 5;
  EXPECT_EQ(surface.GetDialforgeFlags(&flags), 0);
  EXPECT_EQ(flags, 0u);
  const unsigned short button[] = {'b', 0};
  EXPECT_EQ(surface.SetTimeDisplay(0, button), 0);
  EXPECT_EQ(surface.GetUserButtonIDAtIndex(0, nullptr, nullptr), 0);
  EXPECT_EQ(surface.GetUserButtonDisplayName(button, nullptr, nullptr), kADOBESDK_BadParameter);
  EXPECT_EQ(surface.SetUserButtonCommandID(nullptr, button), kADOBESDK_BadParameter);
  EXPECT_EQ(surface.SetUserButtonCommandID(button, button), 0);
  EXPECT_EQ(surface.GetUserButtonCommandID(button, nullptr, nullptr), kADOBESDK_BadParameter);

  EXPECT_EQ(surface.ChangeMixerAutomationMode(9, 4), 0);
  EXPECT_EQ(bound.host.AutomationMode(9), 4u);
  EXPECT_EQ(surface.ChangeLumetriControls(), 0);
  EXPECT_EQ(bound.host.PanelMode(), 6u);
  EXPECT_EQ(dialforge_test::Traced([&] {
              surface.OnHardwareCommandAction(1, true);
              surface.OnHardwareTransportFunction(2, 3);
            }),
            (std::vector<std::string>{"OnHardwareCommandAction", "OnHardwareTransportFunction"}));
}

}  // namespace
