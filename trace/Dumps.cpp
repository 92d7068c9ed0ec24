#include "trace/Dumps.h"

#include <string>
#include <vector>

#include "compose/AdobeSdkString.h"
#include "compose/HostReadings.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr int kWideRuler = 109;
constexpr int kNarrowRuler = 105;
constexpr int kClosingRuler = 110;
constexpr int kChangeCheckRuler = 27;

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

// The channel table; the rows whose channel id the host did not give go, in ascending order, to
// unreadRows.
int TraceChannelTable(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                      ADOBESDK_ControlSurfaceHostMixer* mixer, std::vector<uint32_t>* unreadRows) {
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  const int count = AsSigned(ReadChannelCount(suite, mixer));
  TraceRuler(kWideRuler);
  Tracer::TRACE("Channel Count = %d", count);
  Tracer::TRACE(
      "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number Audio Channels | "
      "Audio Channels | Pan Type");
  for (int row = 0; row < count; ++row) {
    uint32_t id = 0;
    ChannelReading channel;
    std::string name;
    if (ReadChannelId(suite, mixer, static_cast<uint32_t>(row), &id)) {
      AdobeSdkString hostName(stringSuite);
      channel = ReadChannel(suite, mixer, id, hostName);
      name = HostText(hostName);
    } else {
      unreadRows->push_back(static_cast<uint32_t>(row));
    }
    // Every entry carries the row number, not the state index.
    std::string states;
    for (const ADOBESDK_Boolean isSet : channel.states) {
      states += std::to_string(row) + " - " + std::to_string(AsDigit(isSet)) + ", ";
    }
    Tracer::TRACE("%d | %d | %s | %s | %f | %d | %d | %f | %d", row, AsSigned(id), name.c_str(),
                  states.c_str(), static_cast<double>(channel.volume), AsSigned(channel.flags),
                  AsSigned(channel.audioChannels), static_cast<double>(channel.audioChannelValue),
                  AsSigned(channel.panType));
  }
  TraceRuler(kClosingRuler);
  return count;
}

void TraceComponentTable(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                         ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t channel, bool idGiven) {
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  TraceRuler(kNarrowRuler);
  Tracer::TRACE("Components Count = %d", static_cast<int>(kComponentSlots));
  Tracer::TRACE("N | Component Name | Bypass | Parameter Count | Parameters");
  for (uint32_t slot = 0; idGiven && slot < kComponentSlots; ++slot) {
    if (!HasComponentAt(suite, mixer, channel, slot)) {
      continue;
    }
    AdobeSdkString name(stringSuite);
    const ComponentReading component = ReadComponent(suite, mixer, channel, slot, name);
    const int parameterCount = AsSigned(component.parameterCount);
    Tracer::TRACE("%d | %s | %d | %d", static_cast<int>(slot), HostText(name).c_str(),
                  AsDigit(component.bypassed), parameterCount);
    for (int parameter = 0; parameter < parameterCount; ++parameter) {
      AdobeSdkString parameterName(stringSuite);
      AdobeSdkString parameterText(stringSuite);
      const float value =
          ReadComponentParameter(suite, mixer, channel, slot, static_cast<uint32_t>(parameter),
                                 parameterName, parameterText);
      Tracer::TRACE("--- %d | %s | %f | %s", parameter, HostText(parameterName).c_str(),
                    static_cast<double>(value), HostText(parameterText).c_str());
    }
  }
  TraceRuler(kClosingRuler);
}

}  // namespace

void TRACEMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                ADOBESDK_ControlSurfaceHostMixer* mixer) {
  if (suite == nullptr) {
    return;
  }
  std::vector<uint32_t> unreadRows;
  const int count = TraceChannelTable(suite, mixer, &unreadRows);
  auto unread = unreadRows.begin();
  for (int row = 0; row < count; ++row) {
    const bool idGiven = unread == unreadRows.end() || *unread != static_cast<uint32_t>(row);
    if (!idGiven) {
      ++unread;
    }
    TraceComponentTable(suite, mixer, static_cast<uint32_t>(row), idGiven);
  }
}

int TRACEMixerChannels(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                       ADOBESDK_ControlSurfaceHostMixer* mixer) {
  if (suite == nullptr) {
    return 0;
  }
  std::vector<uint32_t> unreadRows;
  return TraceChannelTable(suite, mixer, &unreadRows);
}

void TRACEMixerComponents(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                          ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t channel) {
  if (suite == nullptr) {
    return;
  }
  TraceComponentTable(suite, mixer, channel, true);
}

void TRACECommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                   ADOBESDK_ControlSurfaceHostCommand* command) {
  if (suite == nullptr) {
    return;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  const int count = AsSigned(ReadCommandCount(suite, command));
  TraceRuler(kWideRuler);
  Tracer::TRACE("Command Count = %d", count);
  Tracer::TRACE("N | Context ID | Context Name | Command ID | Command Name");
  for (int row = 0; row < count; ++row) {
    AdobeSdkString contextId(stringSuite);
    AdobeSdkString contextName(stringSuite);
    AdobeSdkString commandId(stringSuite);
    AdobeSdkString commandName(stringSuite);
    ReadCommand(suite, command, static_cast<uint32_t>(row), contextId, contextName, commandId,
                commandName);
    Tracer::TRACE("%d | %s | %s | %s | %s", row, HostText(contextId).c_str(),
                  HostText(contextName).c_str(), HostText(commandId).c_str(),
                  HostText(commandName).c_str());
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
  const int count = AsSigned(ReadLumetriParameterCount(suite, lumetri));
  TraceRuler(kWideRuler);
  Tracer::TRACE("Parameter Count = %d", count);
  Tracer::TRACE("N | Parameter ID | Parameter Name | Min Value | Max Value | Current Value");
  for (int row = 0; row < count; ++row) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    const LumetriParameterReading reading =
        ReadLumetriParameter(suite, lumetri, static_cast<uint32_t>(row), id, name);
    Tracer::TRACE("%d | %s | %s | %f | %f | %f", row, HostText(id).c_str(), HostText(name).c_str(),
                  static_cast<double>(reading.minimum), static_cast<double>(reading.maximum),
                  static_cast<double>(reading.value));
  }
  TraceRuler(kClosingRuler);
}

void TRACELumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                      ADOBESDK_ControlSurfaceHostLumetri* lumetri) {
  if (suite == nullptr) {
    return;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  const int count = AsSigned(ReadLumetriMenuCount(suite, lumetri));
  TraceRuler(kNarrowRuler);
  Tracer::TRACE("Menu Count = %d", count);
  Tracer::TRACE("N | Menu ID | Menu Name | Current Value");
  for (int row = 0; row < count; ++row) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    AdobeSdkString value(stringSuite);
    ReadLumetriMenu(suite, lumetri, static_cast<uint32_t>(row), id, name, value);
    Tracer::TRACE("%d | %s | %s | %s", row, HostText(id).c_str(), HostText(name).c_str(),
                  HostText(value).c_str());
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
  // A parameter the host cannot give has no id: nothing is set, and nothing has changed.
  const ADOBESDK_Error result = suite->GetParameterAtIndex(
      lumetri, static_cast<uint32_t>(parameterIndex), id.Get(), name.Get(), &minimum, &maximum);
  id.Filled(result);
  name.Filled(result);
  const bool found = id.HoldsString();
  float reported = 0.0f;
  float readBack = 0.0f;
  if (found) {
    suite->SetParameterValue(lumetri, id.Get(), static_cast<float>(value), &reported);
    suite->GetParameterValue(lumetri, id.Get(), &readBack);
  }
  TraceRuler(kChangeCheckRuler);
  // An ordered comparison: a NaN on either side means the change did not hold.
  if (found && reported == readBack) {
    Tracer::TRACE("Value id:%s name:%s has succesfully changed on %d points!",
                  id.toString().c_str(), name.toString().c_str(), value);
  } else {
    Tracer::TRACE("Value id:%s name:%s hasn't changed!", id.toString().c_str(),
                  name.toString().c_str());
  }
  TraceRuler(kChangeCheckRuler);
}

}  // namespace VazezeveDudOzizezUziriv
