#include "compose/ComposeHelper.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <memory>
#include <mutex>
#include <vector>

#include "compose/HostReadings.h"
#include "compose/NumberText.h"

namespace VazezeveDudOzizezUziriv {

namespace {

std::atomic<ComposeHelper*> sInstance{nullptr};

// Room reserved ahead for rows, from their count; a count beyond this many rows is not believed
// for the reservation, only the text's own growth follows it.
constexpr uint32_t kMostReservedRows = 65536;
constexpr size_t kChannelRowBytes = 80;
constexpr size_t kCommandRowBytes = 48;
constexpr size_t kLumetriRowBytes = 40;

void ReserveRows(std::string& text, uint32_t rows, size_t bytesPerRow) {
  text.reserve(text.size() + std::min(rows, kMostReservedRows) * bytesPerRow);
}

// Each entry carries the row index, not the state number: "<row>-<flag>," six times.
void AppendStates(std::string& text, uint32_t row, const ADOBESDK_Boolean* states) {
  char field[kChannelStateCount * 16];
  char* end = field;
  for (uint32_t state = 0; state < kChannelStateCount; ++state) {
    end = std::to_chars(end, end + 10, row).ptr;
    *end++ = '-';
    end = std::to_chars(end, end + 3, states[state]).ptr;
    *end++ = ',';
  }
  text.append(field, static_cast<size_t>(end - field));
}

}  // namespace

void ComposeHelper::CreateInstance(const ADOBESDK_StringSuite1* stringSuite) {
  static std::mutex madeMutex;
  static std::vector<std::unique_ptr<ComposeHelper>> made;
  std::lock_guard<std::mutex> lock(madeMutex);
  for (const auto& helper : made) {
    if (helper->stringSuite == stringSuite) {
      sInstance.store(helper.get());
      return;
    }
  }
  made.push_back(std::make_unique<ComposeHelper>(stringSuite));
  sInstance.store(made.back().get());
}

ComposeHelper* ComposeHelper::GetInstance() {
  return sInstance.load();
}

void ComposeHelper::ComposeMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                 ADOBESDK_ControlSurfaceHostMixer* mixer, std::string& text) const {
  if (suite == nullptr) {
    return;
  }
  std::vector<uint32_t> unreadRows;
  const uint32_t count = AppendChannelTable(suite, mixer, text, &unreadRows);
  auto unread = unreadRows.begin();
  for (uint32_t row = 0; row < count; ++row) {
    const bool idGiven = unread == unreadRows.end() || *unread != row;
    if (!idGiven) {
      ++unread;
    }
    AppendComponentTable(suite, mixer, row, idGiven, text);
  }
}

std::string ComposeHelper::ComposeMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                        ADOBESDK_ControlSurfaceHostMixer* mixer) const {
  std::string text;
  ComposeMixer(suite, mixer, text);
  return text;
}

std::string ComposeHelper::ComposeMixerChannels(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                                ADOBESDK_ControlSurfaceHostMixer* mixer,
                                                uint32_t* channelCount) const {
  std::string text;
  std::vector<uint32_t> unreadRows;
  const uint32_t count = AppendChannelTable(suite, mixer, text, &unreadRows);
  if (channelCount != nullptr) {
    *channelCount = count;
  }
  return text;
}

std::string ComposeHelper::ComposeMixerComponents(
    const ADOBESDK_ControlSurfaceHostMixerSuite1* suite, ADOBESDK_ControlSurfaceHostMixer* mixer,
    uint32_t row) const {
  std::string text;
  if (suite != nullptr) {
    AppendComponentTable(suite, mixer, row, true, text);
  }
  return text;
}

uint32_t ComposeHelper::AppendChannelTable(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                           ADOBESDK_ControlSurfaceHostMixer* mixer,
                                           std::string& text,
                                           std::vector<uint32_t>* unreadRows) const {
  const uint32_t count = suite != nullptr ? ReadChannelCount(suite, mixer) : 0;
  ReserveRows(text, count, kChannelRowBytes);
  text += "$ | Mixer | Channels | ";
  AppendUnsigned(text, count);
  text +=
      "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number Audio Channels | "
      "Audio Channels | Pan Type \n";
  for (uint32_t row = 0; row < count; ++row) {
    uint32_t id = 0;
    const bool idGiven = ReadChannelId(suite, mixer, row, &id);
    AppendUnsigned(text, row);
    text += '|';
    AppendUnsigned(text, id);
    text += '|';
    ChannelReading channel;
    if (idGiven) {
      AdobeSdkString name(stringSuite);
      channel = ReadChannel(suite, mixer, id, name);
      AppendHostText(name, text);
    } else {
      unreadRows->push_back(row);
    }
    text += '|';
    AppendStates(text, row, channel.states);
    text += '|';
    AppendFloat(text, channel.volume);
    text += '|';
    AppendUnsigned(text, channel.flags);
    text += '|';
    AppendUnsigned(text, channel.audioChannels);
    text += '|';
    AppendFloat(text, channel.audioChannelValue);
    text += '|';
    AppendUnsigned(text, channel.panType);
    text += "|\n";
  }
  return count;
}

void ComposeHelper::AppendComponentTable(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                         ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row,
                                         bool idGiven, std::string& text) const {
  text += "$ | Mixer | Components | ";
  AppendUnsigned(text, kComponentSlots);
  text += "N | Component Name | Bypass | Parameter Count | Parameters \n";
  if (!idGiven) {
    return;
  }
  for (uint32_t slot = 0; slot < kComponentSlots; ++slot) {
    if (!HasComponentAt(suite, mixer, row, slot)) {
      continue;
    }
    AdobeSdkString name(stringSuite);
    const ComponentReading component = ReadComponent(suite, mixer, row, slot, name);
    AppendUnsigned(text, slot);
    text += '|';
    AppendHostText(name, text);
    text += '|';
    AppendUnsigned(text, component.bypassed);
    text += '|';
    AppendUnsigned(text, component.parameterCount);
    text += "|\n";
    for (uint32_t parameter = 0; parameter < component.parameterCount; ++parameter) {
      AdobeSdkString parameterName(stringSuite);
      AdobeSdkString parameterText(stringSuite);
      const float value =
          ReadComponentParameter(suite, mixer, row, slot, parameter, parameterName, parameterText);
      text += "---";
      AppendUnsigned(text, parameter);
      text += ',';
      AppendHostText(parameterName, text);
      text += ',';
      AppendFloat(text, value);
      text += ", ";
      AppendHostText(parameterText, text);
      text += '\n';
    }
  }
}

void ComposeHelper::ComposeCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                                    ADOBESDK_ControlSurfaceHostCommand* command,
                                    std::string& text) const {
  if (suite == nullptr) {
    return;
  }
  const uint32_t count = ReadCommandCount(suite, command);
  ReserveRows(text, count, kCommandRowBytes);
  for (uint32_t index = 0; index < count; ++index) {
    AdobeSdkString contextId(stringSuite);
    AdobeSdkString contextName(stringSuite);
    AdobeSdkString commandId(stringSuite);
    AdobeSdkString commandName(stringSuite);
    ReadCommand(suite, command, index, contextId, contextName, commandId, commandName);
    AppendHostText(contextId, text);
    text += '|';
    AppendHostText(contextName, text);
    text += '|';
    AppendHostText(commandId, text);
    text += '|';
    AppendHostText(commandName, text);
    text += '\n';
  }
}

std::string ComposeHelper::ComposeCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                                           ADOBESDK_ControlSurfaceHostCommand* command) const {
  std::string text;
  ComposeCommands(suite, command, text);
  return text;
}

void ComposeHelper::ComposeLumetriParameters(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                             ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                             std::string& text) const {
  if (suite == nullptr) {
    return;
  }
  const uint32_t count = ReadLumetriParameterCount(suite, lumetri);
  ReserveRows(text, count, kLumetriRowBytes);
  for (uint32_t index = 0; index < count; ++index) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    const LumetriParameterReading reading = ReadLumetriParameter(suite, lumetri, index, id, name);
    AppendHostText(id, text);
    text += '|';
    AppendHostText(name, text);
    text += '|';
    AppendFloat(text, reading.value);
    text += '\n';
  }
}

std::string ComposeHelper::ComposeLumetriParameters(
    const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
    ADOBESDK_ControlSurfaceHostLumetri* lumetri) const {
  std::string text;
  ComposeLumetriParameters(suite, lumetri, text);
  return text;
}

void ComposeHelper::ComposeLumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                       ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                       std::string& text) const {
  if (suite == nullptr) {
    return;
  }
  const uint32_t count = ReadLumetriMenuCount(suite, lumetri);
  ReserveRows(text, count, kLumetriRowBytes);
  for (uint32_t index = 0; index < count; ++index) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    AdobeSdkString value(stringSuite);
    ReadLumetriMenu(suite, lumetri, index, id, name, value);
    AppendHostText(id, text);
    text += '|';
    AppendHostText(name, text);
    text += '|';
    AppendHostText(value, text);
    text += '\n';
  }
}

std::string ComposeHelper::ComposeLumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                              ADOBESDK_ControlSurfaceHostLumetri* lumetri) const {
  std::string text;
  ComposeLumetriMenu(suite, lumetri, text);
  return text;
}

}  // namespace VazezeveDudOzizezUziriv
