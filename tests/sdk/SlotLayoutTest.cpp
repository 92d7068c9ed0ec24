// The host calls table entries by slot number, so every named slot must sit where the host
// expects it.
#include <cstddef>

#include <gtest/gtest.h>

#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"
#include "sdk/ControlSurfaceHostTransport.h"
#include "sdk/ControlSurfacePlugin.h"

namespace {

template <typename Table>
constexpr size_t SlotCount() {
  return sizeof(Table) / sizeof(void (*)());
}

#define EXPECT_SLOT(Table, field, slot) \
  EXPECT_EQ(offsetof(Table, field), (slot) * sizeof(void (*)())) << #Table "::" #field

TEST(SlotLayout, HostSuitesKeepTheirSlotNumbers) {
  EXPECT_SLOT(SPBasicSuite, ReleaseSuite, 1);
  EXPECT_SLOT(SPSuitesSuite, AddSuite, 2);
  EXPECT_SLOT(ADOBESDK_StringSuite1, AllocateFromUTF16, 3);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostSuite1, ObtainCommandRef, 0);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostSuite1, ObtainMixerRef, 2);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostSuite1, ObtainTransportRef, 3);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostSuite1, ObtainLumetriRef, 4);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostTransportSuite1, ShuttleRight, 14);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostTransportSuite1, JogDial, 15);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostCommandSuite1, ExecuteCommand, 3);

  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetChannelCount, 2);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetChannelID, 3);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetChannelState, 7);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetChannelFlags, 8);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetChannelVolume, 15);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetAudioChannelCount, 16);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetAudioChannelValue, 17);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetPanType, 18);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetChannelName, 19);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, HasComponent, 20);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetComponentName, 21);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetComponentBypass, 23);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetComponentParameterCount, 24);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetComponentParameterName, 25);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetComponentParameterText, 26);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, GetComponentParameterValue, 28);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostMixerSuite1, SetAutomationMode, 34);

  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostLumetriSuite1, ResetParameter, 4);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostLumetriSuite1, GetMenuAtIndex, 6);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceHostLumetriSuite1, SetPanelMode, 10);
}

TEST(SlotLayout, PluginTablesHaveTheirSizesAndOrder) {
  EXPECT_EQ(SlotCount<ADOBESDK_ControlSurfacePluginFuncs>(), 5u);
  EXPECT_SLOT(ADOBESDK_ControlSurfacePluginFuncs, GetSuiteList, 4);
  EXPECT_EQ(SlotCount<ADOBESDK_ControlSurfacePluginSuite1>(), 10u);
  EXPECT_SLOT(ADOBESDK_ControlSurfacePluginSuite1, HasConfigurationDialog, 6);
  EXPECT_SLOT(ADOBESDK_ControlSurfacePluginSuite1, Resume, 9);

  EXPECT_EQ(SlotCount<ADOBESDK_ControlSurfaceSuite>(), 8u);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceSuite, Update, 6);
  EXPECT_SLOT(ADOBESDK_ControlSurfaceSuite, GetLumetriRef, 7);
  EXPECT_EQ(SlotCount<ADOBESDK_ControlSurfaceTransportSuite1>(), 8u);
  EXPECT_EQ(SlotCount<ADOBESDK_ControlSurfaceCommandSuite1>(), 5u);
  EXPECT_EQ(SlotCount<ADOBESDK_ControlSurfaceMixerSuite2>(), 11u);
  EXPECT_EQ(SlotCount<ADOBESDK_ControlSurfaceMarkerSuite1>(), 2u);
  EXPECT_EQ(SlotCount<ADOBESDK_ControlSurfaceLumetriSuite1>(), 4u);
}

}  // namespace
