#include "trace/Dumps.h"

#include <string>

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
  const HostReader reader(sStringSuite.load());
  const int count = AsSigned(reader.ChannelCount(suite, mixer));
  TraceRuler(kWideRuler);
  Tracer::TRACE("Channel Count = %d", count);
  Tracer::TRACE(
      "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number Audio Channels | "
      "Audio Channels | Pan Type");
  for (int row = 0; row < count; ++row) {
    const ChannelReading channel = reader.Channel(suite, mixer, static_cast<uint32_t>(row));
    // Every entry carries the row number, not the state index.
    std::string states;
    for (const ADOBESDK_Boolean isSet : channel.states) {
      states += std::to_string(row) + " - " + std::to_string(AsDigit(isSet)) + ", ";
    }
    Tracer::TRACE("%d | %d | %s | %s | %f | %d | %d | %f | %d", row, AsSigned(channel.id),
                  channel.name.c_str(), states.c_str(), static_cast<double>(channel.volume),
                  AsSigned(channel.flags), AsSigned(channel.audioChannels),
                  static_cast<double>(channel.audioChannelValue), AsSigned(channel.panType));
  }
  TraceRuler(kClosingRuler);
  return count;
}

void TRACEMixerComponents(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                          ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t channel) {
  if (suite == nullptr) {
    return;
  }
  const HostReader reader(sStringSuite.load());
  TraceRuler(kNarrowRuler);
  Tracer::TRACE("Components Count = %d", static_cast<int>(kComponentSlots));
  Tracer::TRACE("N | Component Name | Bypass | Parameter Count | Parameters");
  ComponentReading component;
  for (uint32_t slot = 0; slot < kComponentSlots; ++slot) {
    if (!reader.Component(suite, mixer, channel, slot, &component)) {
      continue;
    }
    const int parameterCount = AsSigned(component.parameterCount);
    Tracer::TRACE("%d | %s | %d | %d", static_cast<int>(slot), component.name.c_str(),
                  AsDigit(component.bypassed), parameterCount);
    for (int parameter = 0; parameter < parameterCount; ++parameter) {
      const ComponentParameterReading reading =
          reader.ComponentParameter(suite, mixer, channel, slot, static_cast<uint32_t>(parameter));
      Tracer::TRACE("--- %d | %s | %f | %s", parameter, reading.name.c_str(),
                    static_cast<double>(reading.value), reading.text.c_str());
    }
  }
  TraceRuler(kClosingRuler);
}

void TRACECommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                   ADOBESDK_ControlSurfaceHostCommand* command) {
  if (suite == nullptr) {
    return;
  }
  const HostReader reader(sStringSuite.load());
  const int count = AsSigned(reader.CommandCount(suite, command));
  TraceRuler(kWideRuler);
  Tracer::TRACE("Command Count = %d", count);
  Tracer::TRACE("N | Context ID | Context Name | Command ID | Command Name");
  for (int row = 0; row < count; ++row) {
    const CommandReading reading = reader.Command(suite, command, static_cast<uint32_t>(row));
    Tracer::TRACE("%d | %s | %s | %s | %s", row, reading.contextId.c_str(),
                  reading.contextName.c_str(), reading.commandId.c_str(),
                  reading.commandName.c_str());
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
  const HostReader reader(sStringSuite.load());
  const int count = AsSigned(reader.ParameterCount(suite, lumetri));
  TraceRuler(kWideRuler);
  Tracer::TRACE("Parameter Count = %d", count);
  Tracer::TRACE("N | Parameter ID | Parameter Name | Min Value | Max Value | Current Value");
  for (int row = 0; row < count; ++row) {
    const LumetriParameterReading reading =
        reader.Parameter(suite, lumetri, static_cast<uint32_t>(row));
    Tracer::TRACE("%d | %s | %s | %f | %f | %f", row, reading.id.c_str(), reading.name.c_str(),
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
  const HostReader reader(sStringSuite.load());
  const int count = AsSigned(reader.MenuCount(suite, lumetri));
  TraceRuler(kNarrowRuler);
  Tracer::TRACE("Menu Count = %d", count);
  Tracer::TRACE("N | Menu ID | Menu Name | Current Value");
  for (int row = 0; row < count; ++row) {
    const LumetriMenuReading reading = reader.Menu(suite, lumetri, static_cast<uint32_t>(row));
    Tracer::TRACE("%d | %s | %s | %s", row, reading.id.c_str(), reading.name.c_str(),
                  reading.value.c_str());
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
  const bool found =
      suite->GetParameterAtIndex(lumetri, static_cast<uint32_t>(parameterIndex), id.Get(),
                                 name.Get(), &minimum, &maximum) == kADOBESDK_NoError;
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
