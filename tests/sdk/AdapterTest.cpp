// The host reaches a control surface only through the registered tables, so every case here
// calls through them, slot by slot, as the host does.
#include <cstring>
#include <map>
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

constexpr ADOBESDK_Error kNotImplemented = kADOBESDK_NotImplemented;
constexpr ADOBESDK_Error kBadParameter = kADOBESDK_BadParameter;
constexpr ADOBESDK_Error kFailure = 0x4E657272;  // 'Nerr'

// Collects what the adapters add to a suite list.
struct RegisteredSuites {
  struct Entry {
    int32_t internalVersion;
    const void* table;
    SPPlugin* owner;
  };
  static inline std::map<std::pair<std::string, int32_t>, Entry> entries;

  static ADOBESDK_Error AddSuite(SPSuiteList*, SPPlugin* owner, const char* name, int32_t version,
                                 int32_t internalVersion, const void* table, SPSuite**) {
    entries[{name, version}] = Entry{internalVersion, table, owner};
    return 0;
  }

  static void RegisterAll() {
    static const SPSuitesSuite suitesSuite = {nullptr, nullptr, AddSuite};
    entries.clear();
    ControlSurfaceBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceTransportBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceCommandBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceMixerBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceMarkerBase::RegisterSuite(&suitesSuite, nullptr);
    ControlSurfaceLumetriBase::RegisterSuite(&suitesSuite, nullptr);
  }

  template <typename Table>
  static const Table& Get(const char* name, int32_t version) {
    return *static_cast<const Table*>(entries.at({name, version}).table);
  }
};

class AdapterTest : public ::testing::Test {
 protected:
  // Registered before the members below look the tables up.
  const bool registered = (RegisteredSuites::RegisterAll(), true);
  const ADOBESDK_ControlSurfaceSuite& surfaceSuite =
      RegisteredSuites::Get<ADOBESDK_ControlSurfaceSuite>(kADOBESDK_ControlSurfaceSuite, 2);
  const ADOBESDK_ControlSurfaceTransportSuite1& transportSuite =
      RegisteredSuites::Get<ADOBESDK_ControlSurfaceTransportSuite1>(
          kADOBESDK_ControlSurfaceTransportSuite, 1);
  const ADOBESDK_ControlSurfaceCommandSuite1& commandSuite =
      RegisteredSuites::Get<ADOBESDK_ControlSurfaceCommandSuite1>(
          kADOBESDK_ControlSurfaceCommandSuite, 1);
  const ADOBESDK_ControlSurfaceMixerSuite2& mixerSuite =
      RegisteredSuites::Get<ADOBESDK_ControlSurfaceMixerSuite2>(kADOBESDK_ControlSurfaceMixerSuite,
                                                                2);
  const ADOBESDK_ControlSurfaceMarkerSuite1& markerSuite =
      RegisteredSuites::Get<ADOBESDK_ControlSurfaceMarkerSuite1>(
          kADOBESDK_ControlSurfaceMarkerSuite, 1);
  const ADOBESDK_ControlSurfaceLumetriSuite1& lumetriSuite =
      RegisteredSuites::Get<ADOBESDK_ControlSurfaceLumetriSuite1>(
          kADOBESDK_ControlSurfaceLumetriSuite, 1);
};

// Overrides nothing: every answer is an adapter default.
class PlainSurface : public ControlSurfaceBase,
                     public ControlSurfaceTransportBase,
                     public ControlSurfaceCommandBase,
                     public ControlSurfaceMixerBase,
                     public ControlSurfaceMarkerBase,
                     public ControlSurfaceLumetriBase {};

TEST_F(AdapterTest, RegistersEachTableUnderItsNameAndVersions) {
  const std::vector<std::pair<std::string, int32_t>> expected = {
      {"ADOBESDK ControlSurface Command Suite", 1},  {"ADOBESDK ControlSurface Lumetri Suite", 1},
      {"ADOBESDK ControlSurface Marker Suite", 1},   {"ADOBESDK ControlSurface Mixer Suite", 2},
      {"ADOBESDK ControlSurface Suite", 1},          {"ADOBESDK ControlSurface Suite", 2},
      {"ADOBESDK ControlSurface Transport Suite", 1}};
  std::vector<std::pair<std::string, int32_t>> registered;
  for (const auto& [key, entry] : RegisteredSuites::entries) {
    registered.push_back(key);
    EXPECT_EQ(entry.internalVersion, key.second) << key.first;
    EXPECT_EQ(entry.owner, nullptr) << key.first;
  }
  EXPECT_EQ(registered, expected);
  EXPECT_EQ(RegisteredSuites::entries.at({"ADOBESDK ControlSurface Suite", 1}).table,
            RegisteredSuites::entries.at({"ADOBESDK ControlSurface Suite", 2}).table);

  ControlSurfaceBase::RegisterSuite(nullptr, nullptr);  // no suites suite: nothing to call
}

TEST_F(AdapterTest, AnObjectThatOverridesNothingAnswersWithTheDefaults) {
  PlainSurface plain;
  ADOBESDK_ControlSurface* surface = plain.ControlSurfaceHandle();

  ADOBESDK_String identifier{};
  EXPECT_EQ(surfaceSuite.GetConfigIdentifier(surface, &identifier), kNotImplemented);
  uint32_t flags = 77;
  EXPECT_EQ(surfaceSuite.GetControlSurfaceFlags(surface, &flags), 0);
  EXPECT_EQ(flags, 0u);
  auto* stale = reinterpret_cast<void*>(&plain);
  auto transport = static_cast<ADOBESDK_ControlSurfaceTransport*>(stale);
  auto mixer = static_cast<ADOBESDK_ControlSurfaceMixer*>(stale);
  auto marker = static_cast<ADOBESDK_ControlSurfaceMarker*>(stale);
  auto command = static_cast<ADOBESDK_ControlSurfaceCommand*>(stale);
  auto lumetri = static_cast<ADOBESDK_ControlSurfaceLumetri*>(stale);
  EXPECT_EQ(surfaceSuite.GetTransportRef(surface, &transport), 0);
  EXPECT_EQ(surfaceSuite.GetMixerRef(surface, &mixer), 0);
  EXPECT_EQ(surfaceSuite.GetMarkerRef(surface, &marker), 0);
  EXPECT_EQ(surfaceSuite.GetCommandRef(surface, &command), 0);
  EXPECT_EQ(surfaceSuite.GetLumetriRef(surface, &lumetri), 0);
  EXPECT_EQ(transport, nullptr);
  EXPECT_EQ(mixer, nullptr);
  EXPECT_EQ(marker, nullptr);
  EXPECT_EQ(command, nullptr);
  EXPECT_EQ(lumetri, nullptr);
  EXPECT_EQ(surfaceSuite.Update(surface), kNotImplemented);

  ADOBESDK_ControlSurfaceTransport* ownTransport = plain.TransportHandle();
  for (auto setState :
       {transportSuite.SetStopState, transportSuite.SetPlayState, transportSuite.SetRecordState,
        transportSuite.SetRewindState, transportSuite.SetForwardState, transportSuite.SetCycleState,
        transportSuite.SetPauseState}) {
    EXPECT_EQ(setState(ownTransport, 1), kNotImplemented);
  }
  EXPECT_EQ(transportSuite.SetTimeDisplay(ownTransport, 0, &identifier), kNotImplemented);

  ADOBESDK_ControlSurfaceCommand* ownCommand = plain.CommandHandle();
  uint32_t count = 5;
  EXPECT_EQ(commandSuite.GetUserButtonCount(ownCommand, &count), kNotImplemented);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(commandSuite.GetUserButtonIDAt(ownCommand, 0, &identifier), kNotImplemented);
  EXPECT_EQ(commandSuite.GetUserButtonDisplayName(ownCommand, &identifier, &identifier),
            kNotImplemented);
  EXPECT_EQ(commandSuite.SetUserButtonCommandID(ownCommand, &identifier, &identifier, &identifier),
            kNotImplemented);
  EXPECT_EQ(commandSuite.GetUserButtonCommandID(ownCommand, &identifier, &identifier, &identifier),
            kNotImplemented);

  ADOBESDK_ControlSurfaceMixer* ownMixer = plain.MixerHandle();
  EXPECT_EQ(mixerSuite.GetMaxChannelStripCount(ownMixer, &count), kNotImplemented);
  EXPECT_EQ(mixerSuite.ChannelConfigChanged(ownMixer, 0, 1), kNotImplemented);
  EXPECT_EQ(mixerSuite.SelectionChanged(ownMixer), kNotImplemented);
  EXPECT_EQ(mixerSuite.SetChannelState(ownMixer, 0, 1, 1), kNotImplemented);
  EXPECT_EQ(mixerSuite.SetAutomationMode(ownMixer, 0, 1), kNotImplemented);
  EXPECT_EQ(mixerSuite.SetChannelOffset(ownMixer, 2), kNotImplemented);
  EXPECT_EQ(mixerSuite.SetChannelCount(ownMixer, 2), kNotImplemented);
  EXPECT_EQ(mixerSuite.SetRudeSoloState(ownMixer, 1), kNotImplemented);
  ADOBESDK_Boolean add = 0x55;
  EXPECT_EQ(mixerSuite.AddMasterFaderAsRegularChannel(ownMixer, &add), kNotImplemented);
  EXPECT_EQ(add, 0x55) << "a failed answer leaves the byte as it was";

  ADOBESDK_ControlSurfaceLumetri* ownLumetri = plain.LumetriHandle();
  EXPECT_EQ(lumetriSuite.ModeChanged(ownLumetri, 1), kNotImplemented);
  EXPECT_EQ(lumetriSuite.ParameterValueChanged(ownLumetri, &identifier, 0.5f), kNotImplemented);
  EXPECT_EQ(lumetriSuite.MenuValueChanged(ownLumetri, &identifier, &identifier), kNotImplemented);
  EXPECT_EQ(lumetriSuite.AllChanged(ownLumetri), kNotImplemented);
}

// Records which operation each slot reached and answers with a chosen result.
class RecordingSurface : public ControlSurfaceBase,
                         public ControlSurfaceTransportBase,
                         public ControlSurfaceMixerBase,
                         public ControlSurfaceMarkerBase {
 public:
  std::vector<std::string> calls;
  ADOBESDK_Error answer = kFailure;
  bool addMasterFader = true;

  ADOBESDK_Error Update() override { return Record("Update"); }
  ADOBESDK_Error GetLumetriRef(ADOBESDK_ControlSurfaceLumetri**) override {
    return Record("GetLumetriRef");
  }
  ADOBESDK_Error SetPlayState(bool state) override { return Record("Play", state); }
  ADOBESDK_Error SetPauseState(bool state) override { return Record("Pause", state); }
  ADOBESDK_Error SetChannelState(unsigned int channel, unsigned int state, bool isSet) override {
    return Record("ChannelState " + std::to_string(channel) + " " + std::to_string(state), isSet);
  }
  ADOBESDK_Error SetRudeSoloState(bool state) override { return Record("RudeSolo", state); }
  ADOBESDK_Error SetComponentBypass(unsigned int, unsigned int, bool bypassed) override {
    return Record("Bypass", bypassed);
  }
  ADOBESDK_Error SetComponentParameter(unsigned int, unsigned int, unsigned int,
                                       float value) override {
    return Record("Parameter " + std::to_string(value));
  }
  ADOBESDK_Error AddMasterFaderAsRegularChannel(bool* add) override {
    *add = addMasterFader;
    return Record("AddMasterFader");
  }
  ADOBESDK_Error MarkerChanged(unsigned int index) override {
    return Record("Marker " + std::to_string(index));
  }
  ADOBESDK_Error RebuildMarkers() override { return Record("Rebuild"); }

 private:
  ADOBESDK_Error Record(const std::string& call) {
    calls.push_back(call);
    return answer;
  }
  ADOBESDK_Error Record(const std::string& call, bool flag) {
    return Record(call + (flag ? " true" : " false"));
  }
};

TEST_F(AdapterTest, SlotsReachTheirOperationsWithBooleanBytesAndResultsPassedOn) {
  RecordingSurface surface;
  EXPECT_EQ(surfaceSuite.Update(surface.ControlSurfaceHandle()), kFailure);
  ADOBESDK_ControlSurfaceLumetri* lumetri = nullptr;
  EXPECT_EQ(surfaceSuite.GetLumetriRef(surface.ControlSurfaceHandle(), &lumetri), kFailure);

  ADOBESDK_ControlSurfaceTransport* transport = surface.TransportHandle();
  ADOBESDK_ControlSurfaceMixer* mixer = surface.MixerHandle();
  EXPECT_NE(static_cast<void*>(transport), static_cast<void*>(&surface))
      << "each handle is the address of its own part of the object";
  for (ADOBESDK_Boolean byte : {0, 1, 2, 255}) {
    EXPECT_EQ(transportSuite.SetPlayState(transport, byte), kFailure);
  }
  transportSuite.SetPauseState(transport, 0);
  mixerSuite.SetChannelState(mixer, 4, 5, 2);
  mixerSuite.SetRudeSoloState(mixer, 255);

  EXPECT_EQ(surface.calls,
            (std::vector<std::string>{"Update", "GetLumetriRef", "Play false", "Play true",
                                      "Play true", "Play true", "Pause false",
                                      "ChannelState 4 5 true", "RudeSolo true"}));
}

TEST_F(AdapterTest, FourNotificationsAlwaysAnswerZeroAndMasterFaderWritesOnlyOnSuccess) {
  RecordingSurface surface;
  ADOBESDK_ControlSurfaceMixer* mixer = surface.MixerHandle();
  ADOBESDK_ControlSurfaceMarker* marker = surface.MarkerHandle();

  EXPECT_EQ(mixerSuite.SetComponentBypass(mixer, 1, 2, 2), 0);
  EXPECT_EQ(mixerSuite.SetComponentParameter(mixer, 1, 2, 3, 0.25f), 0);
  EXPECT_EQ(markerSuite.MarkerChanged(marker, 7), 0);
  EXPECT_EQ(markerSuite.RebuildMarkers(marker), 0);

  ADOBESDK_Boolean add = 0x55;
  EXPECT_EQ(mixerSuite.AddMasterFaderAsRegularChannel(mixer, &add), kFailure);
  EXPECT_EQ(add, 0x55);
  surface.answer = 0;
  EXPECT_EQ(mixerSuite.AddMasterFaderAsRegularChannel(mixer, &add), 0);
  EXPECT_EQ(add, 1);
  surface.addMasterFader = false;
  EXPECT_EQ(mixerSuite.AddMasterFaderAsRegularChannel(mixer, &add), 0);
  EXPECT_EQ(add, 0);
  const size_t callsBefore = surface.calls.size();
  EXPECT_EQ(mixerSuite.AddMasterFaderAsRegularChannel(mixer, nullptr), kBadParameter);
  EXPECT_EQ(surface.calls.size(), callsBefore) << "a null out pointer never reaches the object";

  EXPECT_EQ(surface.calls,
            (std::vector<std::string>{"Bypass true", "Parameter 0.250000", "Marker 7", "Rebuild",
                                      "AddMasterFader", "AddMasterFader", "AddMasterFader"}));
}

class ThrowingSurface : public ControlSurfaceBase {
 public:
  ADOBESDK_Error Update() override { throw std::runtime_error("surface failed"); }
};

TEST_F(AdapterTest, NothingEscapesIntoTheHost) {
  ThrowingSurface surface;
  EXPECT_NE(surfaceSuite.Update(surface.ControlSurfaceHandle()), 0);
  EXPECT_EQ(surfaceSuite.Update(nullptr), kBadParameter);
  EXPECT_EQ(mixerSuite.SetComponentBypass(nullptr, 0, 0, 0), 0);
}

}  // namespace
