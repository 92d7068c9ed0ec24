#include "compose/JsonSnapshots.h"

#include <algorithm>
#include <cstring>

#include "compose/AdobeSdkString.h"
#include "compose/HostReadings.h"
#include "compose/JsonText.h"

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr size_t kChannelBytes = 1024;

bool IsPlain(const char* begin, const char* end) {
  for (const char* at = begin; at != end; ++at) {
    const auto byte = static_cast<unsigned char>(*at);
    if (byte < 0x20 || byte >= 0x80 || byte == '"' || byte == '\\') {
      return false;
    }
  }
  return true;
}

// The host string's text up to its first NUL, or null when the host did not fill it or it
// cannot be read. The text is read straight into the JSON and escaped there only when it needs
// it, which most names do not.
void AppendHostString(std::string& json, AdobeSdkString& hostString) {
  const size_t start = json.size();
  json += '"';
  if (!hostString.HoldsString() || !hostString.AppendTo(json)) {
    json.resize(start);
    json += "null";
    return;
  }
  const char* text = json.data() + start + 1;
  const void* nul = std::memchr(text, '\0', json.size() - start - 1);
  if (nul != nullptr) {
    json.resize(static_cast<size_t>(static_cast<const char*>(nul) - json.data()));
  }
  if (IsPlain(json.data() + start + 1, json.data() + json.size())) {
    json += '"';
    return;
  }
  const std::string raw = json.substr(start + 1);
  json.resize(start);
  AppendJsonString(json, raw);
}

template <typename Value, typename Append>
void AppendIfGiven(std::string& json, bool given, Value value, Append append) {
  if (given) {
    append(json, value);
  } else {
    json += "null";
  }
}

}  // namespace

void JsonSnapshots::ComposeMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                 ADOBESDK_ControlSurfaceHostMixer* mixer, std::string& json) const {
  const uint32_t count = OpenMixer(suite, mixer, json);
  // Room for a channel of a few components; a count beyond this is not believed for it.
  json.reserve(json.size() + std::min<uint32_t>(count, 65536) * kChannelBytes);
  AppendChannels(suite, mixer, 0, count, json);
  json += kCloseRows;
}

uint32_t JsonSnapshots::OpenMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                  ADOBESDK_ControlSurfaceHostMixer* mixer,
                                  std::string& json) const {
  json += "{\"channels\":[";
  return ReadChannelCount(suite, mixer);
}

void JsonSnapshots::AppendChannels(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                   ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t first,
                                   uint32_t end, std::string& json) const {
  for (uint32_t row = first; row < end; ++row) {
    if (row > 0) {
      json += ',';
    }
    uint32_t id = 0;
    const bool idGiven = ReadChannelId(suite, mixer, row, &id);
    AdobeSdkString name(stringSuite);
    ChannelReading channel;
    if (idGiven) {
      channel = ReadChannel(suite, mixer, id, name);
    }
    json += "{\"row\":";
    AppendJsonUnsigned(json, row);
    json += ",\"id\":";
    AppendIfGiven(json, idGiven, id, AppendJsonUnsigned);
    json += ",\"name\":";
    AppendHostString(json, name);
    json += ",\"states\":[";
    for (uint32_t state = 0; state < kChannelStateCount; ++state) {
      if (state > 0) {
        json += ',';
      }
      AppendIfGiven(json, channel.statesGiven[state], channel.states[state] != 0, AppendJsonBool);
    }
    json += "],\"volume\":";
    AppendIfGiven(json, channel.volumeGiven, channel.volume, AppendJsonFloat);
    json += ",\"flags\":";
    AppendIfGiven(json, channel.flagsGiven, channel.flags, AppendJsonUnsigned);
    json += ",\"audioChannels\":";
    AppendIfGiven(json, channel.audioChannelsGiven, channel.audioChannels, AppendJsonUnsigned);
    json += ",\"audioChannelValue\":";
    AppendIfGiven(json, channel.audioChannelValueGiven, channel.audioChannelValue, AppendJsonFloat);
    json += ",\"panType\":";
    AppendIfGiven(json, channel.panTypeGiven, channel.panType, AppendJsonUnsigned);
    json += ",\"components\":[";
    // No read is made with an id the host did not give.
    if (idGiven) {
      AppendComponents(suite, mixer, row, json);
    }
    json += "]}";
  }
}

void JsonSnapshots::AppendComponents(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                     ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row,
                                     std::string& json) const {
  bool first = true;
  for (uint32_t slot = 0; slot < kComponentSlots; ++slot) {
    if (!HasComponentAt(suite, mixer, row, slot)) {
      continue;
    }
    if (!first) {
      json += ',';
    }
    first = false;
    AdobeSdkString name(stringSuite);
    const ComponentReading component = ReadComponent(suite, mixer, row, slot, name);
    json += "{\"index\":";
    AppendJsonUnsigned(json, slot);
    json += ",\"name\":";
    AppendHostString(json, name);
    json += ",\"bypass\":";
    AppendIfGiven(json, component.bypassGiven, component.bypassed != 0, AppendJsonBool);
    json += ",\"parameterCount\":";
    AppendIfGiven(json, component.parameterCountGiven, component.parameterCount,
                  AppendJsonUnsigned);
    json += ",\"parameters\":[";
    for (uint32_t parameter = 0; parameter < component.parameterCount; ++parameter) {
      if (parameter > 0) {
        json += ',';
      }
      AdobeSdkString parameterName(stringSuite);
      AdobeSdkString parameterText(stringSuite);
      bool valueGiven = false;
      const float value = ReadComponentParameter(suite, mixer, row, slot, parameter, parameterName,
                                                 parameterText, &valueGiven);
      json += "{\"index\":";
      AppendJsonUnsigned(json, parameter);
      json += ",\"name\":";
      AppendHostString(json, parameterName);
      json += ",\"value\":";
      AppendIfGiven(json, valueGiven, value, AppendJsonFloat);
      json += ",\"text\":";
      AppendHostString(json, parameterText);
      json += '}';
    }
    json += "]}";
  }
}

void JsonSnapshots::ComposeCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                                    ADOBESDK_ControlSurfaceHostCommand* command,
                                    std::string& json) const {
  const uint32_t count = OpenCommands(suite, command, json);
  AppendCommands(suite, command, 0, count, json);
  json += kCloseRows;
}

uint32_t JsonSnapshots::OpenCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                                     ADOBESDK_ControlSurfaceHostCommand* command,
                                     std::string& json) const {
  json += "{\"commands\":[";
  return ReadCommandCount(suite, command);
}

void JsonSnapshots::AppendCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                                   ADOBESDK_ControlSurfaceHostCommand* command, uint32_t first,
                                   uint32_t end, std::string& json) const {
  for (uint32_t index = first; index < end; ++index) {
    AdobeSdkString contextId(stringSuite);
    AdobeSdkString contextName(stringSuite);
    AdobeSdkString commandId(stringSuite);
    AdobeSdkString commandName(stringSuite);
    ReadCommand(suite, command, index, contextId, contextName, commandId, commandName);
    json += index > 0 ? ",{\"contextId\":" : "{\"contextId\":";
    AppendHostString(json, contextId);
    json += ",\"contextName\":";
    AppendHostString(json, contextName);
    json += ",\"commandId\":";
    AppendHostString(json, commandId);
    json += ",\"commandName\":";
    AppendHostString(json, commandName);
    json += '}';
  }
}

void JsonSnapshots::ComposeLumetriParameters(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                             ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                             std::string& json) const {
  const uint32_t count = ReadLumetriParameterCount(suite, lumetri);
  json += "{\"parameters\":[";
  for (uint32_t index = 0; index < count; ++index) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    const LumetriParameterReading reading = ReadLumetriParameter(suite, lumetri, index, id, name);
    json += index > 0 ? ",{\"id\":" : "{\"id\":";
    AppendHostString(json, id);
    json += ",\"name\":";
    AppendHostString(json, name);
    json += ",\"value\":";
    AppendIfGiven(json, reading.valueGiven, reading.value, AppendJsonFloat);
    json += ",\"min\":";
    AppendIfGiven(json, reading.rangeGiven, reading.minimum, AppendJsonFloat);
    json += ",\"max\":";
    AppendIfGiven(json, reading.rangeGiven, reading.maximum, AppendJsonFloat);
    json += '}';
  }
  json += "]}";
}

void JsonSnapshots::ComposeLumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                       ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                       std::string& json) const {
  const uint32_t count = ReadLumetriMenuCount(suite, lumetri);
  json += "{\"menus\":[";
  for (uint32_t index = 0; index < count; ++index) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    AdobeSdkString value(stringSuite);
    ReadLumetriMenu(suite, lumetri, index, id, name, value);
    json += index > 0 ? ",{\"id\":" : "{\"id\":";
    AppendHostString(json, id);
    json += ",\"name\":";
    AppendHostString(json, name);
    json += ",\"value\":";
    AppendHostString(json, value);
    json += '}';
  }
  json += "]}";
}

}  // namespace VazezeveDudOzizezUziriv
