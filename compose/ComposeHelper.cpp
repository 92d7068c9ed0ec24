#include "compose/ComposeHelper.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "compose/HostReadings.h"

namespace VazezeveDudOzizezUziriv {

namespace {

std::atomic<ComposeHelper*> sInstance{nullptr};

void AppendUnsigned(std::string& text, uint32_t value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(value));
  text += digits;
}

// "%f" of any float fits: the largest is 39 digits, the point and six decimals.
void AppendFloat(std::string& text, float value) {
  char digits[64];
  std::snprintf(digits, sizeof digits, "%f", static_cast<double>(value));
  text += digits;
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

std::string ComposeHelper::ComposeMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                        ADOBESDK_ControlSurfaceHostMixer* mixer) const {
  if (suite == nullptr) {
    return std::string();
  }
  uint32_t channelCount = 0;
  std::string text = ComposeMixerChannels(suite, mixer, &channelCount);
  for (uint32_t row = 0; row < channelCount; ++row) {
    ComposeMixerComponents(suite, mixer, row, text);
  }
  return text;
}

std::string ComposeHelper::ComposeMixerChannels(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                                ADOBESDK_ControlSurfaceHostMixer* mixer,
                                                uint32_t* channelCount) const {
  const HostReader reader(stringSuite);
  const uint32_t count = suite != nullptr ? reader.ChannelCount(suite, mixer) : 0;
  if (channelCount != nullptr) {
    *channelCount = count;
  }
  std::string text = "$ | Mixer | Channels | ";
  AppendUnsigned(text, count);
  text +=
      "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number Audio Channels | "
      "Audio Channels | Pan Type \n";
  for (uint32_t row = 0; row < count; ++row) {
    const ChannelReading channel = reader.Channel(suite, mixer, row);
    AppendUnsigned(text, row);
    text += '|';
    AppendUnsigned(text, channel.id);
    text += '|';
    text += channel.name;
    text += '|';
    // Each state entry carries the row index, not the state number.
    for (const ADOBESDK_Boolean isSet : channel.states) {
      AppendUnsigned(text, row);
      text += '-';
      AppendUnsigned(text, isSet);
      text += ',';
    }
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
  return text;
}

std::string ComposeHelper::ComposeMixerComponents(
    const ADOBESDK_ControlSurfaceHostMixerSuite1* suite, ADOBESDK_ControlSurfaceHostMixer* mixer,
    uint32_t row) const {
  std::string text;
  if (suite != nullptr) {
    ComposeMixerComponents(suite, mixer, row, text);
  }
  return text;
}

void ComposeHelper::ComposeMixerComponents(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                           ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row,
                                           std::string& text) const {
  const HostReader reader(stringSuite);
  text += "$ | Mixer | Components | ";
  AppendUnsigned(text, kComponentSlots);
  text += "N | Component Name | Bypass | Parameter Count | Parameters \n";
  ComponentReading component;
  for (uint32_t slot = 0; slot < kComponentSlots; ++slot) {
    if (!reader.Component(suite, mixer, row, slot, &component)) {
      continue;
    }
    AppendUnsigned(text, slot);
    text += '|';
    text += component.name;
    text += '|';
    AppendUnsigned(text, component.bypassed);
    text += '|';
    AppendUnsigned(text, component.parameterCount);
    text += "|\n";
    for (uint32_t parameter = 0; parameter < component.parameterCount; ++parameter) {
      const ComponentParameterReading reading =
          reader.ComponentParameter(suite, mixer, row, slot, parameter);
      text += "---";
      AppendUnsigned(text, parameter);
      text += ',';
      text += reading.name;
      text += ',';
      AppendFloat(text, reading.value);
      text += ", ";
      text += reading.text;
      text += '\n';
    }
  }
}

std::string ComposeHelper::ComposeCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                                           ADOBESDK_ControlSurfaceHostCommand* command) const {
  std::string text;
  if (suite == nullptr) {
    return text;
  }
  const HostReader reader(stringSuite);
  const uint32_t count = reader.CommandCount(suite, command);
  for (uint32_t index = 0; index < count; ++index) {
    const CommandReading reading = reader.Command(suite, command, index);
    text += reading.contextId;
    text += '|';
    text += reading.contextName;
    text += '|';
    text += reading.commandId;
    text += '|';
    text += reading.commandName;
    text += '\n';
  }
  return text;
}

std::string ComposeHelper::ComposeLumetriParameters(
    const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
    ADOBESDK_ControlSurfaceHostLumetri* lumetri) const {
  std::string text;
  if (suite == nullptr) {
    return text;
  }
  const HostReader reader(stringSuite);
  const uint32_t count = reader.ParameterCount(suite, lumetri);
  for (uint32_t index = 0; index < count; ++index) {
    const LumetriParameterReading reading = reader.Parameter(suite, lumetri, index);
    text += reading.id;
    text += '|';
    text += reading.name;
    text += '|';
    AppendFloat(text, reading.value);
    text += '\n';
  }
  return text;
}

std::string ComposeHelper::ComposeLumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                              ADOBESDK_ControlSurfaceHostLumetri* lumetri) const {
  std::string text;
  if (suite == nullptr) {
    return text;
  }
  const HostReader reader(stringSuite);
  const uint32_t count = reader.MenuCount(suite, lumetri);
  for (uint32_t index = 0; index < count; ++index) {
    const LumetriMenuReading reading = reader.Menu(suite, lumetri, index);
    text += reading.id;
    text += '|';
    text += reading.name;
    text += '|';
    text += reading.value;
    text += '\n';
  }
  return text;
}

}  // namespace VazezeveDudOzizezUziriv
