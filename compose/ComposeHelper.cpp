#include "compose/ComposeHelper.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "compose/AdobeSdkString.h"

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

// Host strings are written up to their first NUL.
void AppendHostText(std::string& text, AdobeSdkString& hostString) {
  text.append(hostString.toString().c_str());
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
  uint32_t count = 0;
  if (suite != nullptr) {
    suite->GetChannelCount(mixer, &count);
  }
  if (channelCount != nullptr) {
    *channelCount = count;
  }
  std::string text = "$ | Mixer | Channels | ";
  AppendUnsigned(text, count);
  text +=
      "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number Audio Channels | "
      "Audio Channels | Pan Type \n";
  for (uint32_t row = 0; row < count; ++row) {
    uint32_t channelId = 0;
    suite->GetChannelID(mixer, row, &channelId);
    AdobeSdkString name(stringSuite);
    suite->GetChannelName(mixer, channelId, kMaxTextLength, name.Get());
    // Each state entry carries the row index, not the state number.
    std::string states;
    for (uint32_t state = 0; state < 6; ++state) {
      ADOBESDK_Boolean isSet = 0;
      suite->GetChannelState(mixer, channelId, state, &isSet);
      AppendUnsigned(states, row);
      states += '-';
      AppendUnsigned(states, isSet);
      states += ',';
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

    AppendUnsigned(text, row);
    text += '|';
    AppendUnsigned(text, channelId);
    text += '|';
    AppendHostText(text, name);
    text += '|';
    text += states;
    text += '|';
    AppendFloat(text, volume);
    text += '|';
    AppendUnsigned(text, flags);
    text += '|';
    AppendUnsigned(text, audioChannels);
    text += '|';
    AppendFloat(text, audioChannelValue);
    text += '|';
    AppendUnsigned(text, panType);
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
  text += "$ | Mixer | Components | ";
  AppendUnsigned(text, kComponentSlots);
  text += "N | Component Name | Bypass | Parameter Count | Parameters \n";
  for (uint32_t component = 0; component < kComponentSlots; ++component) {
    ADOBESDK_Boolean present = 0;
    suite->HasComponent(mixer, row, component, &present);
    if (present == 0) {
      continue;
    }
    AdobeSdkString name(stringSuite);
    suite->GetComponentName(mixer, row, component, kMaxTextLength, name.Get());
    ADOBESDK_Boolean bypassed = 0;
    suite->GetComponentBypass(mixer, row, component, &bypassed);
    uint32_t parameterCount = 0;
    suite->GetComponentParameterCount(mixer, row, component, &parameterCount);

    AppendUnsigned(text, component);
    text += '|';
    AppendHostText(text, name);
    text += '|';
    AppendUnsigned(text, bypassed);
    text += '|';
    AppendUnsigned(text, parameterCount);
    text += "|\n";
    for (uint32_t parameter = 0; parameter < parameterCount; ++parameter) {
      AdobeSdkString parameterName(stringSuite);
      suite->GetComponentParameterName(mixer, row, component, parameter, kMaxTextLength,
                                       parameterName.Get());
      float value = 0.0f;
      suite->GetComponentParameterValue(mixer, row, component, parameter, &value);
      AdobeSdkString parameterText(stringSuite);
      suite->GetComponentParameterText(mixer, row, component, parameter, kMaxTextLength,
                                       parameterText.Get());
      text += "---";
      AppendUnsigned(text, parameter);
      text += ',';
      AppendHostText(text, parameterName);
      text += ',';
      AppendFloat(text, value);
      text += ", ";
      AppendHostText(text, parameterText);
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
  uint32_t count = 0;
  suite->GetCommandCount(command, &count);
  for (uint32_t index = 0; index < count; ++index) {
    AdobeSdkString contextId(stringSuite);
    AdobeSdkString contextName(stringSuite);
    AdobeSdkString commandId(stringSuite);
    AdobeSdkString commandName(stringSuite);
    suite->GetCommandAtIndex(command, index, contextId.Get(), contextName.Get(), commandId.Get(),
                             commandName.Get());
    AppendHostText(text, contextId);
    text += '|';
    AppendHostText(text, contextName);
    text += '|';
    AppendHostText(text, commandId);
    text += '|';
    AppendHostText(text, commandName);
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
  uint32_t count = 0;
  suite->GetParameterCount(lumetri, &count);
  for (uint32_t index = 0; index < count; ++index) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    float minimum = 0.0f;
    float maximum = 0.0f;
    suite->GetParameterAtIndex(lumetri, index, id.Get(), name.Get(), &minimum, &maximum);
    float value = 0.0f;
    suite->GetParameterValue(lumetri, id.Get(), &value);
    AppendHostText(text, id);
    text += '|';
    AppendHostText(text, name);
    text += '|';
    AppendFloat(text, value);
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
  uint32_t count = 0;
  suite->GetMenuCount(lumetri, &count);
  for (uint32_t index = 0; index < count; ++index) {
    AdobeSdkString id(stringSuite);
    AdobeSdkString name(stringSuite);
    AdobeSdkString value(stringSuite);
    suite->GetMenuAtIndex(lumetri, index, id.Get(), name.Get());
    suite->GetMenuValue(lumetri, id.Get(), value.Get());
    AppendHostText(text, id);
    text += '|';
    AppendHostText(text, name);
    text += '|';
    AppendHostText(text, value);
    text += '\n';
  }
  return text;
}

}  // namespace VazezeveDudOzizezUziriv
