// The reply texts composed the plainest way, straight from the reply formats, to hold the
// plug-in's composers to byte for byte: every number through snprintf, every host string read
// whole and cut at its first NUL, one host call after another in the formats' order. It reads a
// host that fails nothing.
#ifndef DIALFORGE_TESTS_SUPPORT_REFERENCESNAPSHOTS_H
#define DIALFORGE_TESTS_SUPPORT_REFERENCESNAPSHOTS_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/support/PluginView.h"

namespace dialforge_test {

class ReferenceSnapshots {
 public:
  explicit ReferenceSnapshots(const PluginView& view) : view(view) {}

  std::string Mixer() const {
    const ADOBESDK_ControlSurfaceHostMixerSuite1* mixer = view.mixer;
    ADOBESDK_ControlSurfaceHostMixer* ref = view.mixerRef;
    uint32_t count = 0;
    mixer->GetChannelCount(ref, &count);
    std::string text = "$ | Mixer | Channels | " + Unsigned(count) +
                       "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number "
                       "Audio Channels | Audio Channels | Pan Type \n";
    for (uint32_t row = 0; row < count; ++row) {
      uint32_t id = 0, flags = 0, audioChannels = 0, panType = 0;
      float volume = 0, audioValue = 0;
      ADOBESDK_String name{};
      mixer->GetChannelID(ref, row, &id);
      mixer->GetChannelName(ref, id, 1024, &name);
      text += Unsigned(row) + "|" + Unsigned(id) + "|" + Text(name) + "|";
      for (uint32_t state = 0; state < 6; ++state) {
        ADOBESDK_Boolean set = 0;
        mixer->GetChannelState(ref, id, state, &set);
        text += Unsigned(row) + "-" + Unsigned(set) + ",";
      }
      mixer->GetChannelVolume(ref, id, &volume);
      mixer->GetChannelFlags(ref, id, &flags);
      mixer->GetAudioChannelCount(ref, id, &audioChannels);
      mixer->GetAudioChannelValue(ref, id, audioChannels, &audioValue);
      mixer->GetPanType(ref, id, &panType);
      text += "|" + Float(volume) + "|" + Unsigned(flags) + "|" + Unsigned(audioChannels) + "|" +
              Float(audioValue) + "|" + Unsigned(panType) + "|\n";
    }
    for (uint32_t row = 0; row < count; ++row) {
      text +=
          "$ | Mixer | Components | 51N | Component Name | Bypass | Parameter Count | "
          "Parameters \n";
      for (uint32_t slot = 0; slot <= 50; ++slot) {
        ADOBESDK_Boolean present = 0, bypass = 0;
        uint32_t parameters = 0;
        ADOBESDK_String name{};
        mixer->HasComponent(ref, row, slot, &present);
        if (present == 0) {
          continue;
        }
        mixer->GetComponentName(ref, row, slot, 1024, &name);
        mixer->GetComponentBypass(ref, row, slot, &bypass);
        mixer->GetComponentParameterCount(ref, row, slot, &parameters);
        text += Unsigned(slot) + "|" + Text(name) + "|" + Unsigned(bypass) + "|" +
                Unsigned(parameters) + "|\n";
        for (uint32_t p = 0; p < parameters; ++p) {
          ADOBESDK_String parameterName{}, parameterText{};
          float value = 0;
          mixer->GetComponentParameterName(ref, row, slot, p, 1024, &parameterName);
          mixer->GetComponentParameterValue(ref, row, slot, p, &value);
          mixer->GetComponentParameterText(ref, row, slot, p, 1024, &parameterText);
          text += "---" + Unsigned(p) + "," + Text(parameterName) + "," + Float(value) + ", " +
                  Text(parameterText) + "\n";
        }
      }
    }
    return text;
  }

  std::string Commands() const {
    uint32_t count = 0;
    view.command->GetCommandCount(view.commandRef, &count);
    std::string text;
    for (uint32_t i = 0; i < count; ++i) {
      ADOBESDK_String contextId{}, contextName{}, commandId{}, commandName{};
      view.command->GetCommandAtIndex(view.commandRef, i, &contextId, &contextName, &commandId,
                                      &commandName);
      text += Text(contextId) + "|" + Text(contextName) + "|" + Text(commandId) + "|" +
              Text(commandName) + "\n";
    }
    return text;
  }

  std::string LumetriParameters() const {
    uint32_t count = 0;
    view.lumetri->GetParameterCount(view.lumetriRef, &count);
    std::string text;
    for (uint32_t i = 0; i < count; ++i) {
      ADOBESDK_String id{}, name{};
      float minimum = 0, maximum = 0, value = 0;
      view.lumetri->GetParameterAtIndex(view.lumetriRef, i, &id, &name, &minimum, &maximum);
      view.lumetri->GetParameterValue(view.lumetriRef, &id, &value);
      text += Text(id) + "|" + Text(name) + "|" + Float(value) + "\n";
    }
    return text;
  }

  std::string LumetriMenu() const {
    uint32_t count = 0;
    view.lumetri->GetMenuCount(view.lumetriRef, &count);
    std::string text;
    for (uint32_t i = 0; i < count; ++i) {
      ADOBESDK_String id{}, name{}, value{};
      view.lumetri->GetMenuAtIndex(view.lumetriRef, i, &id, &name);
      view.lumetri->GetMenuValue(view.lumetriRef, &id, &value);
      text += Text(id) + "|" + Text(name) + "|" + Text(value) + "\n";
    }
    return text;
  }

  static std::string Unsigned(uint32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(value));
    return digits;
  }
  static std::string Float(float value) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%f", static_cast<double>(value));
    return digits;
  }

 private:
  std::string Text(const ADOBESDK_String& string) const { return view.Text(string).c_str(); }

  const PluginView& view;
};

}  // namespace dialforge_test

#endif
