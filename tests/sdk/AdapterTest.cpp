// The host reaches a control surface only through the registered tables, so every case here
// calls through them, slot by slot, as the host does.
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "sdk/ControlSurfaceBase.h"
#include "sdk/ControlSurfaceCommandBase.h"
#include "sdk/ControlSurfaceLumetriBase.h"
#include "sdk/ControlSurfaceMarkerBase.h"
#include "sdk/ControlSurfaceMixerBase.h"
#include "sdk/ControlSurfaceTransportBase.h"

namespace {

using namespace adobesdk;
using E = ADOBESDK_Error;
using S = ADOBESDK_String;
using U = unsigned int;

constexpr E kFailure = 0x4E657272;  // 'Nerr'

std::map<std::pair<std::string, int32_t>, const void*> tables;

E AddSuite(SPSuiteList*, SPPlugin*, const char* name, int32_t version, int32_t, const void* table,
           SPSuite**) {
  tables[{name, version}] = table;
  return 0;
}

template <typename Table>
const Table& Registered(const char* name, int32_t version) {
  static const SPSuitesSuite suitesSuite = {nullptr, nullptr, AddSuite};
  if (tables.empty()) {
    ControlSurfaceBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceTransportBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceCommandBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceMixerBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceMarkerBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceLumetriBase::RegisterSuite(&suitesSuite, nullptr);
  }
  return *static_cast<const Table*>(tables.at({name, version}));
}

// Records every operation reached, with the values it was given, and answers with answer, or
// throws.
class RecordingSurface : public ControlSurfaceBase,
                         public ControlSurfaceTransportBase,
                         public ControlSurfaceCommandBase,
                         public ControlSurfaceMixerBase,
                         public ControlSurfaceMarkerBase,
                         public ControlSurfaceLumetriBase {
 public:
  mutable std::vector<std::string> calls;
  E answer = kFailure;
  bool throws = false;

  E GetConfigIdentifier(S*) const override { return Record(__func__); }
  E GetControlSurfaceFlags(U*) const override { return Record(__func__); }
  E GetTransportRef(ADOBESDK_ControlSurfaceTransport**) override { return Record(__func__); }
  E GetMixerRef(ADOBESDK_ControlSurfaceMixer**) override { return Record(__func__); }
  E GetMarkerRef(ADOBESDK_ControlSurfaceMarker**) override { return Record(__func__); }
  E GetCommandRef(ADOBESDK_ControlSurfaceCommand**) override { return Record(__func__); }
  E GetLumetriRef(ADOBESDK_ControlSurfaceLumetri**) override { return Record(__func__); }
  E Update() override { return Record(__func__); }
  E SetStopState(bool on) override { return Record(__func__, on); }
  E SetPlayState(bool on) override { return Record(__func__, on); }
  E SetRecordState(bool on) override { return Record(__func__, on); }
  E SetRewindState(bool on) override { return Record(__func__, on); }
  E SetForwardState(bool on) override { return Record(__func__, on); }
  E SetCycleState(bool on) override { return Record(__func__, on); }
  E SetPauseState(bool on) override { return Record(__func__, on); }
  E SetTimeDisplay(U format, const S*) override { return Record(__func__, format); }
  E GetUserButtonCount(U*) const override { return Record(__func__); }
  E GetUserButtonIDAtIndex(U index, S*) const override { return Record(__func__, index); }
  E GetUserButtonDisplayName(const S*, S*) const override { return Record(__func__); }
  E SetUserButtonCommandID(const S*, const S*, const S*) override { return Record(__func__); }
  E GetUserButtonCommandID(const S*, S*, S*) const override { return Record(__func__); }
  E GetMaxChannelStripCount(U*) override { return Record(__func__); }
  E ChannelConfigChanged(U first, U count) override { return Record(__func__, first, count); }
  E SelectionChanged() override { return Record(__func__); }
  E SetChannelState(U channel, U state, bool on) override {
    return Record(__func__, channel, state, on);
  }
  E SetAutomationMode(U channel, U mode) override { return Record(__func__, channel, mode); }
  E SetChannelOffset(U offset) override { return Record(__func__, offset); }
  E SetChannelCount(U count) override { return Record(__func__, count); }
  E SetRudeSoloState(bool on) override { return Record(__func__, on); }
  E SetComponentBypass(U channel, U component, bool on) override {
    return Record(__func__, channel, component, on);
  }
  E SetComponentParameter(U channel, U component, U parameter, float value) override {
    return Record(__func__, channel, component, parameter, value);
  }
  E AddMasterFaderAsRegularChannel(bool* add) override {
    *add = true;
    return Record(__func__);
  }
  E MarkerChanged(U index) override { return Record(__func__, index); }
  E RebuildMarkers() override { return Record(__func__); }
  E ModeChanged(U mode) override { return Record(__func__, mode); }
  E ParameterValueChanged(const S*, float value) override { return Record(__func__, value); }
  E MenuValueChanged(const S*, const S*) override { return Record(__func__); }
  E AllChanged() override { return Record(__func__); }

 private:
  template <typename... Values>
  E Record(const char* operation, Values... values) const {
    std::ostringstream call;
    call << operation;
    ((call << ' ' << values), ...);
    calls.push_back(call.str());
    if (throws) {
      throw std::runtime_error("surface failed");
    }
    return answer;
  }
};

class AdapterTest : public ::testing::Test {
 protected:
  RecordingSurface surface;
  ADOBESDK_ControlSurface* const base = surface.ControlSurfaceHandle();
  ADOBESDK_ControlSurfaceTransport* const transport = surface.TransportHandle();
  ADOBESDK_ControlSurfaceCommand* const command = surface.CommandHandle();
  ADOBESDK_ControlSurfaceMixer* const mixer = surface.MixerHandle();
  ADOBESDK_ControlSurfaceMarker* const marker = surface.MarkerHandle();
  ADOBESDK_ControlSurfaceLumetri* const lumetri = surface.LumetriHandle();
  const ADOBESDK_ControlSurfaceSuite& baseSuite =
      Registered<ADOBESDK_ControlSurfaceSuite>(kADOBESDK_ControlSurfaceSuite, 2);
  const ADOBESDK_ControlSurfaceTransportSuite1& transportSuite =
      Registered<ADOBESDK_ControlSurfaceTransportSuite1>(kADOBESDK_ControlSurfaceTransportSuite, 1);
  const ADOBESDK_ControlSurfaceCommandSuite1& commandSuite =
      Registered<ADOBESDK_ControlSurfaceCommandSuite1>(kADOBESDK_ControlSurfaceCommandSuite, 1);
  const ADOBESDK_ControlSurfaceMixerSuite2& mixerSuite =
      Registered<ADOBESDK_ControlSurfaceMixerSuite2>(kADOBESDK_ControlSurfaceMixerSuite, 2);
  const ADOBESDK_ControlSurfaceMarkerSuite1& markerSuite =
      Registered<ADOBESDK_ControlSurfaceMarkerSuite1>(kADOBESDK_ControlSurfaceMarkerSuite, 1);
  const ADOBESDK_ControlSurfaceLumetriSuite1& lumetriSuite =
      Registered<ADOBESDK_ControlSurfaceLumetriSuite1>(kADOBESDK_ControlSurfaceLumetriSuite, 1);
};

// Any byte but 0 is true. Out pointers are handed on as they are, so null ones do here. The
// surface's answer is passed on, a throw as a failure, except by the four notifications whose
// answer tells the host only that the change was taken.
TEST_F(AdapterTest, EverySlotReachesItsOwnOperationWithItsValues) {
  ADOBESDK_Boolean add = 0;
  const struct {
    std::function<E()> slot;
    std::string call;
    E answer = kFailure;
  } slots[] = {
      {[&] { return baseSuite.GetConfigIdentifier(base, nullptr); }, "GetConfigIdentifier"},
      {[&] { return baseSuite.GetControlSurfaceFlags(base, nullptr); }, "GetControlSurfaceFlags"},
      {[&] { return baseSuite.GetTransportRef(base, nullptr); }, "GetTransportRef"},
      {[&] { return baseSuite.GetMixerRef(base, nullptr); }, "GetMixerRef"},
      {[&] { return baseSuite.GetMarkerRef(base, nullptr); }, "GetMarkerRef"},
      {[&] { return baseSuite.GetCommandRef(base, nullptr); }, "GetCommandRef"},
      {[&] { return baseSuite.Update(base); }, "Update"},
      {[&] { return baseSuite.GetLumetriRef(base, nullptr); }, "GetLumetriRef"},
      {[&] { return transportSuite.SetStopState(transport, 2); }, "SetStopState 1"},
      {[&] { return transportSuite.SetPlayState(transport, 255); }, "SetPlayState 1"},
      {[&] { return transportSuite.SetRecordState(transport, 2); }, "SetRecordState 1"},
      {[&] { return transportSuite.SetRewindState(transport, 2); }, "SetRewindState 1"},
      {[&] { return transportSuite.SetForwardState(transport, 0); }, "SetForwardState 0"},
      {[&] { return transportSuite.SetCycleState(transport, 2); }, "SetCycleState 1"},
      {[&] { return transportSuite.SetPauseState(transport, 2); }, "SetPauseState 1"},
      {[&] { return transportSuite.SetTimeDisplay(transport, 3, nullptr); }, "SetTimeDisplay 3"},
      {[&] { return commandSuite.GetUserButtonCount(command, nullptr); }, "GetUserButtonCount"},
      {[&] { return commandSuite.GetUserButtonIDAt(command, 4, nullptr); },
       "GetUserButtonIDAtIndex 4"},
      {[&] { return commandSuite.GetUserButtonDisplayName(command, nullptr, nullptr); },
       "GetUserButtonDisplayName"},
      {[&] { return commandSuite.SetUserButtonCommandID(command, nullptr, nullptr, nullptr); },
       "SetUserButtonCommandID"},
      {[&] { return commandSuite.GetUserButtonCommandID(command, nullptr, nullptr, nullptr); },
       "GetUserButtonCommandID"},
      {[&] { return mixerSuite.GetMaxChannelStripCount(mixer, nullptr); },
       "GetMaxChannelStripCount"},
      {[&] { return mixerSuite.ChannelConfigChanged(mixer, 5, 6); }, "ChannelConfigChanged 5 6"},
      {[&] { return mixerSuite.SelectionChanged(mixer); }, "SelectionChanged"},
      {[&] { return mixerSuite.SetChannelState(mixer, 7, 8, 2); }, "SetChannelState 7 8 1"},
      {[&] { return mixerSuite.SetAutomationMode(mixer, 9, 10); }, "SetAutomationMode 9 10"},
      {[&] { return mixerSuite.SetChannelOffset(mixer, 11); }, "SetChannelOffset 11"},
      {[&] { return mixerSuite.SetChannelCount(mixer, 12); }, "SetChannelCount 12"},
      {[&] { return mixerSuite.SetRudeSoloState(mixer, 2); }, "SetRudeSoloState 1"},
      {[&] { return mixerSuite.SetComponentBypass(mixer, 13, 14, 2); },
       "SetComponentBypass 13 14 1", 0},
      {[&] { return mixerSuite.SetComponentParameter(mixer, 15, 16, 17, 0.25f); },
       "SetComponentParameter 15 16 17 0.25", 0},
      {[&] { return mixerSuite.AddMasterFaderAsRegularChannel(mixer, &add); },
       "AddMasterFaderAsRegularChannel"},
      {[&] { return markerSuite.MarkerChanged(marker, 18); }, "MarkerChanged 18", 0},
      {[&] { return markerSuite.RebuildMarkers(marker); }, "RebuildMarkers", 0},
      {[&] { return lumetriSuite.ModeChanged(lumetri, 19); }, "ModeChanged 19"},
      {[&] { return lumetriSuite.ParameterValueChanged(lumetri, nullptr, 0.5f); },
       "ParameterValueChanged 0.5"},
      {[&] { return lumetriSuite.MenuValueChanged(lumetri, nullptr, nullptr); },
       "MenuValueChanged"},
      {[&] { return lumetriSuite.AllChanged(lumetri); }, "AllChanged"},
  };
  for (const auto& [slot, call, answer] : slots) {
    SCOPED_TRACE(call);
    surface.calls.clear();
    surface.throws = false;
    EXPECT_EQ(slot(), answer);
    EXPECT_EQ(surface.calls, std::vector<std::string>{call});
    surface.throws = true;
    EXPECT_EQ(slot(), answer == 0 ? 0 : kADOBESDK_NotImplemented);
  }
}

TEST_F(AdapterTest, TheMasterFaderByteIsWrittenOnlyWhenTheSurfaceAnswers) {
  ADOBESDK_Boolean add = 0x55;
  EXPECT_EQ(mixerSuite.AddMasterFaderAsRegularChannel(mixer, &add), kFailure);
  EXPECT_EQ(add, 0x55);
  surface.answer = 0;
  EXPECT_EQ(mixerSuite.AddMasterFaderAsRegularChannel(mixer, &add), 0);
  EXPECT_EQ(add, 1);
  EXPECT_EQ(mixerSuite.AddMasterFaderAsRegularChannel(mixer, nullptr), kADOBESDK_BadParameter);
  EXPECT_EQ(surface.calls.size(), 2u) << "a null out pointer never reaches the surface";
  EXPECT_EQ(baseSuite.Update(nullptr), kADOBESDK_BadParameter);
}

}  // namespace
