#include "trace/Dumps.h"

#include <string>

#include "compose/AdobeSdkString.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr int kWideRuler = 109;
constexpr int kNarrowRuler = 105;
constexpr int kClosingRuler = 110;
constexpr int kChangeCheckRuler = 27;

constexpr uint32_t kChannelStateCount = 6;
// Components are probed at fixed indices rather than counted by the host.
constexpr int kComponentSlots = 51;
constexpr uint32_t kMaxTextLength = 1024;

const char kHyphens[] =
    "----------------------------------------------------------------------------------------------"
    "----------------";
static_assert(sizeof kHyphens - 1 == kClosingRuler, "the longest ruler fits");

void TraceRuler(int length) {
  Tracer::TRACE("%.*s", length, kHyphens);
}

// Rows are printed as signed 32-bit numbers, so a count beyond that range gives no rows.
int AsSigned(uint32_t value) {
  return static_cast<int>(value);
}

int AsDigit(ADOBESDK_Boolean flag) {
  return flag != 0 ? 1 : 0;
}

}  // namespace

void TRACEMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                ADOBESDK_ControlSurfaceHostMixer* mixer) {
  if (suite == nullptr) {
    return;
  }
  const int count = TRACEMixerChannels(suite, mixer);
  for (int row = 0; row < count; ++row) {
    TRACEMixerComponents(suite, mixer, static_cast<uint32_t>(row));
  }
}

int TRACEMixerChannels(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                       ADOBESDK_ControlSurfaceHostMixer* mixer) {
  if (suite == nullptr) {
    return 0;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  uint32_t hostCount = 0;
  suite->GetChannelCount(mixer, &hostCount);
  const int count = AsSigned(hostCount);
  TraceRuler(kWideRuler);
  Tracer::TRACE("Channel Count = %d", count);
  Tracer::TRACE(
      "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number Audio Channels | "
      "Audio Channels | Pan Type");
  for (int row = 0; row < count; ++row) {
    uint32_t channelId = 0;
    suite->GetChannelID(mixer, static_cast<uint32_t>(row), &channelId);
    AdobeSdkString name(stringSuite);
    suite->GetChannelName(mixer, channelId, kMaxTextLength, name.Get());
    // Every entry carries the row number, not the state index.
    std::string states;
    for (uint32_t state = 0; state < kChannelStateCount; ++state) {
      ADOBESDK_Boolean isSet = 0;
      suite->GetChannelState(mixer, channelId, state, &isSet);
      states += std::to_string(row) + " - " + std::to_string(AsDigit(isSet)) + ", ";
    }
    float volume = 0.0f;
    suite->GetChannelVolume(mixer, channelId, &volume);
    uint32_t flags = 0;
    suite->GetChannelFlags(mixer, channelId, &flags);
    uint32_t audioChannels = 0;
    suite->GetAudioChannelCount(mixer, channelId, &audioChannels);
    float audioChannelValue = 0.0f;
    suite->GetAudioChannelValue(mixer, channelId, audioChannels, &audioChannelValue);
    uint32_t panType = 0;
    suite->GetPanType(mixer, channelId, &panType);
    Tracer::TRACE("%d | %d | %s | %s | %f | %d | %d | %f | %d", row, AsSigned(channelId),
                  name.toString().c_str(), states.c_str(), static_cast<double>(volume),
                  AsSigned(flags), AsSigned(audioChannels), static_cast<double>(audioChannelValue),
                  AsSigned(panType));
  }
  TraceRuler(kClosingRuler);
  return count;
}

void TRACEMixerComponents(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                          ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t channel) {
  if (suite == nullptr) {
    return;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  TraceRuler(kNarrowRuler);
  Tracer::TRACE("Components Count = %d", kComponentSlots);
  Tracer::TRACE("N | Component Name | Bypass | Parameter Count | Parameters");
  for (int component = 0; component < kComponentSlots; ++component) {
    const uint32_t slot = static_cast<uint32_t>(component);
    ADOBESDK_Boolean present = 0;
    suite->HasComponent(mixer, channel, slot, &present);
    if (present == 0) {
      continue;
    }
    AdobeSdkString name(stringSuite);
    suite->GetComponentName(mixer, channel, slot, kMaxTextLength, name.Get());
    ADOBESDK_Boolean bypassed = 0;
    suite->GetComponentBypass(mixer, channel, slot, &bypassed);
    uint32_t hostParameterCount = 0;
    suite->GetComponentParameterCount(mixer, channel, slot, &hostParameterCount);
    const int parameterCount = AsSigned(hostParameterCount);
    Tracer::TRACE("%d | %s | %d | %d", component, name.toString().c_str(), AsDigit(bypassed),
                  parameterCount);
    for (int parameter = 0; parameter < parameterCount; ++parameter) {
      const uint32_t position = static_cast<uint32_t>(parameter);
      AdobeSdkString parameterName(stringSuite);
      suite->GetComponentParameterName(mixer, channel, slot, position, kMaxTextLength,
                                       parameterName.Get());
      float value = 0.0f;
      suite->GetComponentParameterValue(mixer, channel, slot, position, &value);
      AdobeSdkString parameterText(stringSuite);
      suite->GetComponentParameterText(mixer, channel, slot, position, kMaxTextLength,
                                       parameterText.Get());
      Tracer::TRACE("--- %d | %s | %f | %s", parameter, parameterName.toString().c_str(),
                    static_cast<double>(value), parameterText.toString().c_str());
    }
  }
  TraceRuler(kClosingRuler);
}

void TRACECommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                   ADOBESDK_ControlSurfaceHostCommand* command) {
  if (suite == nullptr) {
    return;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  uint32_t hostCount = 0;
  suite->GetCommandCount(command, &hostCount);
  const int count = AsSigned(hostCount);
  TraceRuler(kWideRuler);
  Tracer::TRACE("Command Count = %d", count);
  Tracer::TRACE("N | Context ID | Context Name | Command ID | Command Name");
  for (int row = 0; row < count; ++row) {
    AdobeSdkString contextId(stringSuite);
    AdobeSdkString contextName(stringSuite);
    AdobeSdkString commandId(stringSuite);
    AdobeSdkString commandName(stringSuite);
    suite->GetCommandAtIndex(command, static_cast<uint32_t>(row), contextId.Get(),
                             contextName.Get(), commandId.Get(), commandName.Get());
    Tracer::TRACE("%d | %s | %s | %s | %s", row, contextId.toString().c_str(),
                  contextName.toString().c_str(), commandId.toString().c_str(),
                  commandName.toString().c_str());
  }
  TraceRuler(kClosingRuler);
}

void TRACELumetri(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                  ADOBESDK_ControlSurfaceHostLumetri* lumetri) {
  if (suite == nullptr) {
    return;
  }
  TRACELumetriParameters(suite, lumetri);
  TRACELumetriMenu(suite, lumetri);
}

void TRACELumetriParameters(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                            ADOBESDK_ControlSurfaceHostLumetri* lumetri) {
  if (suite == nullptr) {
    return;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  uint32_t hostCount = 0;
  suite->GetParameterCount(lumetri, &hostCount);
  const int count = AsSigned(hostCount);
  TraceRuler(kWideRuler);
  Tracer::TRACE("Parameter Count = %d", count);
  Tracer::TRACE("N | Parameter ID | Parameter Name | Min Value | Max Value | Current Value");
  for (int row = 0; row < count; ++row) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    float minimum = 0.0f;
    float maximum = 0.0f;
    suite->GetParameterAtIndex(lumetri, static_cast<uint32_t>(row), id.Get(), name.Get(), &minimum,
                               &maximum);
    float value = 0.0f;
    suite->GetParameterValue(lumetri, id.Get(), &value);
    Tracer::TRACE("%d | %s | %s | %f | %f | %f", row, id.toString().c_str(),
                  name.toString().c_str(), static_cast<double>(minimum),
                  static_cast<double>(maximum), static_cast<double>(value));
  }
  TraceRuler(kClosingRuler);
}

void TRACELumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                      ADOBESDK_ControlSurfaceHostLumetri* lumetri) {
  if (suite == nullptr) {
    return;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  uint32_t hostCount = 0;
  suite->GetMenuCount(lumetri, &hostCount);
  const int count = AsSigned(hostCount);
  TraceRuler(kNarrowRuler);
  Tracer::TRACE("Menu Count = %d", count);
  Tracer::TRACE("N | Menu ID | Menu Name | Current Value");
  for (int row = 0; row < count; ++row) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    AdobeSdkString value(stringSuite);
    suite->GetMenuAtIndex(lumetri, static_cast<uint32_t>(row), id.Get(), name.Get());
    suite->GetMenuValue(lumetri, id.Get(), value.Get());
    Tracer::TRACE("%d | %s | %s | %s", row, id.toString().c_str(), name.toString().c_str(),
                  value.toString().c_str());
  }
  TraceRuler(kClosingRuler);
}

void TRACEChangingLumetriParameter(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                   ADOBESDK_ControlSurfaceHostLumetri* lumetri, int parameterIndex,
                                   int value) {
  if (suite == nullptr) {
    return;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  AdobeSdkString id(stringSuite);
  AdobeSdkString name(stringSuite);
  float minimum = 0.0f;
  float maximum = 0.0f;
  suite->GetParameterAtIndex(lumetri, static_cast<uint32_t>(parameterIndex), id.Get(), name.Get(),
                             &minimum, &maximum);
  float reported = 0.0f;
  suite->SetParameterValue(lumetri, id.Get(), static_cast<float>(value), &reported);
  float readBack = 0.0f;
  suite->GetParameterValue(lumetri, id.Get(), &readBack);
  TraceRuler(kChangeCheckRuler);
  // An ordered comparison: a NaN on either side means the change did not hold.
  if (reported == readBack) {
    Tracer::TRACE("Value id:%s name:%s has succesfully changed on %d points!",
                  id.toString().c_str(), name.toString().c_str(), value);
  } else {
    Tracer::TRACE("Value id:%s name:%s hasn't changed!", id.toString().c_str(),
                  name.toString().c_str());
  }
  TraceRuler(kChangeCheckRuler);
}

}  // namespace VazezeveDudOzizezUziriv
