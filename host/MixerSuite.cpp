// The mixer suite: channel operations find the channel by id, component operations take the
// channel's row and the component's index.
#include "host/HostState.h"
#include "sdk/ControlSurfaceHostMixer.h"

namespace dialforge_host {

namespace {

using MixerRef = ADOBESDK_ControlSurfaceHostMixer;

template <typename Body>
ADOBESDK_Error MixerCall(Operation operation, MixerRef* mixer, Body&& body) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(operation)) {
      return failure;
    }
    if (!host.Knows(mixer)) {
      return kHostUnknownReference;
    }
    return body(host);
  });
}

// Writes through out what read takes from the channel with that id.
template <typename Out, typename Read>
ADOBESDK_Error ReadChannel(Operation operation, MixerRef* mixer, uint32_t channelId, Out* out,
                           Read&& read) {
  return MixerCall(operation, mixer, [&](HostState& host) -> ADOBESDK_Error {
    if (out == nullptr) {
      return kHostBadArgument;
    }
    const MixerChannel* channel = host.ChannelById(channelId);
    if (channel == nullptr) {
      return kHostUnknownItem;
    }
    read(host, *channel, out);
    return kADOBESDK_NoError;
  });
}

template <typename Out, typename Read>
ADOBESDK_Error ReadComponent(Operation operation, MixerRef* mixer, uint32_t row, uint32_t component,
                             Out* out, Read&& read) {
  return MixerCall(operation, mixer, [&](HostState& host) -> ADOBESDK_Error {
    if (out == nullptr) {
      return kHostBadArgument;
    }
    const Component* found = host.ComponentAt(row, component);
    if (found == nullptr) {
      return kHostUnknownItem;
    }
    read(host, *found, out);
    return kADOBESDK_NoError;
  });
}

template <typename Out, typename Read>
ADOBESDK_Error ReadComponentParameter(Operation operation, MixerRef* mixer, uint32_t row,
                                      uint32_t component, uint32_t parameter, Out* out,
                                      Read&& read) {
  return MixerCall(operation, mixer, [&](HostState& host) -> ADOBESDK_Error {
    if (out == nullptr) {
      return kHostBadArgument;
    }
    const Component* found = host.ComponentAt(row, component);
    if (found == nullptr || parameter >= found->parameters.size()) {
      return kHostUnknownItem;
    }
    read(host, found->parameters[parameter], out);
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Mixer_GetChannelCount(MixerRef* mixer, uint32_t* count) {
  return MixerCall(Operation::GetChannelCount, mixer, [&](HostState& host) -> ADOBESDK_Error {
    if (count == nullptr) {
      return kHostBadArgument;
    }
    *count = static_cast<uint32_t>(host.project.mixer.channels.size());
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Mixer_GetChannelID(MixerRef* mixer, uint32_t index, uint32_t* channelId) {
  return MixerCall(Operation::GetChannelID, mixer, [&](HostState& host) -> ADOBESDK_Error {
    if (channelId == nullptr) {
      return kHostBadArgument;
    }
    const MixerChannel* channel = host.ChannelAtRow(index);
    if (channel == nullptr) {
      return kHostUnknownItem;
    }
    *channelId = channel->id;
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Mixer_GetChannelState(MixerRef* mixer, uint32_t channelId, uint32_t state,
                                     ADOBESDK_Boolean* isSet) {
  return MixerCall(Operation::GetChannelState, mixer, [&](HostState& host) -> ADOBESDK_Error {
    if (isSet == nullptr) {
      return kHostBadArgument;
    }
    const MixerChannel* channel = host.ChannelById(channelId);
    if (channel == nullptr || state >= kChannelStateCount) {
      return kHostUnknownItem;
    }
    *isSet = channel->states[state] ? 1 : 0;
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Mixer_GetChannelFlags(MixerRef* mixer, uint32_t channelId, uint32_t* flags) {
  return ReadChannel(
      Operation::GetChannelFlags, mixer, channelId, flags,
      [](HostState&, const MixerChannel& channel, uint32_t* out) { *out = channel.flags; });
}

ADOBESDK_Error Mixer_GetChannelVolume(MixerRef* mixer, uint32_t channelId, float* volume) {
  return ReadChannel(
      Operation::GetChannelVolume, mixer, channelId, volume,
      [](HostState&, const MixerChannel& channel, float* out) { *out = channel.volume; });
}

ADOBESDK_Error Mixer_GetAudioChannelCount(MixerRef* mixer, uint32_t channelId, uint32_t* count) {
  return ReadChannel(
      Operation::GetAudioChannelCount, mixer, channelId, count,
      [](HostState&, const MixerChannel& channel, uint32_t* out) { *out = channel.audioChannels; });
}

// The plug-in passes the audio channel count as the second argument; the host's answer is the
// channel's one value whatever it is.
ADOBESDK_Error Mixer_GetAudioChannelValue(MixerRef* mixer, uint32_t channelId, uint32_t,
                                          float* value) {
  return ReadChannel(Operation::GetAudioChannelValue, mixer, channelId, value,
                     [](HostState&, const MixerChannel& channel, float* out) {
                       *out = channel.audioChannelValue;
                     });
}

ADOBESDK_Error Mixer_GetPanType(MixerRef* mixer, uint32_t channelId, uint32_t* panType) {
  return ReadChannel(
      Operation::GetPanType, mixer, channelId, panType,
      [](HostState&, const MixerChannel& channel, uint32_t* out) { *out = channel.panType; });
}

ADOBESDK_Error Mixer_GetChannelName(MixerRef* mixer, uint32_t channelId, uint32_t maxLength,
                                    ADOBESDK_String* name) {
  return ReadChannel(Operation::GetChannelName, mixer, channelId, name,
                     [&](HostState& host, const MixerChannel& channel, ADOBESDK_String* out) {
                       host.strings.Fill(out, channel.name, maxLength);
                     });
}

ADOBESDK_Error Mixer_HasComponent(MixerRef* mixer, uint32_t row, uint32_t component,
                                  ADOBESDK_Boolean* present) {
  return MixerCall(Operation::HasComponent, mixer, [&](HostState& host) -> ADOBESDK_Error {
    if (present == nullptr) {
      return kHostBadArgument;
    }
    if (host.ChannelAtRow(row) == nullptr) {
      return kHostUnknownItem;
    }
    *present = host.ComponentAt(row, component) != nullptr ? 1 : 0;
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Mixer_GetComponentName(MixerRef* mixer, uint32_t row, uint32_t component,
                                      uint32_t maxLength, ADOBESDK_String* name) {
  return ReadComponent(Operation::GetComponentName, mixer, row, component, name,
                       [&](HostState& host, const Component& found, ADOBESDK_String* out) {
                         host.strings.Fill(out, found.name, maxLength);
                       });
}

ADOBESDK_Error Mixer_GetComponentBypass(MixerRef* mixer, uint32_t row, uint32_t component,
                                        ADOBESDK_Boolean* bypassed) {
  return ReadComponent(Operation::GetComponentBypass, mixer, row, component, bypassed,
                       [](HostState&, const Component& found, ADOBESDK_Boolean* out) {
                         *out = found.bypass ? 1 : 0;
                       });
}

ADOBESDK_Error Mixer_GetComponentParameterCount(MixerRef* mixer, uint32_t row, uint32_t component,
                                                uint32_t* count) {
  return ReadComponent(Operation::GetComponentParameterCount, mixer, row, component, count,
                       [](HostState&, const Component& found, uint32_t* out) {
                         *out = static_cast<uint32_t>(found.parameters.size());
                       });
}

ADOBESDK_Error Mixer_GetComponentParameterName(MixerRef* mixer, uint32_t row, uint32_t component,
                                               uint32_t parameter, uint32_t maxLength,
                                               ADOBESDK_String* name) {
  return ReadComponentParameter(
      Operation::GetComponentParameterName, mixer, row, component, parameter, name,
      [&](HostState& host, const ComponentParameter& found, ADOBESDK_String* out) {
        host.strings.Fill(out, found.name, maxLength);
      });
}

ADOBESDK_Error Mixer_GetComponentParameterText(MixerRef* mixer, uint32_t row, uint32_t component,
                                               uint32_t parameter, uint32_t maxLength,
                                               ADOBESDK_String* text) {
  return ReadComponentParameter(
      Operation::GetComponentParameterText, mixer, row, component, parameter, text,
      [&](HostState& host, const ComponentParameter& found, ADOBESDK_String* out) {
        host.strings.Fill(out, found.text, maxLength);
      });
}

ADOBESDK_Error Mixer_GetComponentParameterValue(MixerRef* mixer, uint32_t row, uint32_t component,
                                                uint32_t parameter, float* value) {
  return ReadComponentParameter(
      Operation::GetComponentParameterValue, mixer, row, component, parameter, value,
      [](HostState&, const ComponentParameter& found, float* out) { *out = found.value; });
}

ADOBESDK_Error Mixer_SetAutomationMode(MixerRef* mixer, uint32_t channelId, uint32_t mode) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::SetAutomationMode,
                                           {std::to_string(channelId), std::to_string(mode)})) {
      return failure;
    }
    if (!host.Knows(mixer)) {
      return kHostUnknownReference;
    }
    MixerChannel* channel = host.ChannelById(channelId);
    if (channel == nullptr) {
      return kHostUnknownItem;
    }
    channel->automationMode = mode;
    const auto row = static_cast<uint32_t>(channel - host.project.mixer.channels.data());
    host.Notify([row, mode](const SurfaceTables& surface) {
      surface.mixer->SetAutomationMode(surface.mixerRef, row, mode);
    });
    return kADOBESDK_NoError;
  });
}

const ADOBESDK_ControlSurfaceHostMixerSuite1 kMixerSuite = [] {
  ADOBESDK_ControlSurfaceHostMixerSuite1 suite{};
  suite.GetChannelCount = Mixer_GetChannelCount;
  suite.GetChannelID = Mixer_GetChannelID;
  suite.GetChannelState = Mixer_GetChannelState;
  suite.GetChannelFlags = Mixer_GetChannelFlags;
  suite.GetChannelVolume = Mixer_GetChannelVolume;
  suite.GetAudioChannelCount = Mixer_GetAudioChannelCount;
  suite.GetAudioChannelValue = Mixer_GetAudioChannelValue;
  suite.GetPanType = Mixer_GetPanType;
  suite.GetChannelName = Mixer_GetChannelName;
  suite.HasComponent = Mixer_HasComponent;
  suite.GetComponentName = Mixer_GetComponentName;
  suite.GetComponentBypass = Mixer_GetComponentBypass;
  suite.GetComponentParameterCount = Mixer_GetComponentParameterCount;
  suite.GetComponentParameterName = Mixer_GetComponentParameterName;
  suite.GetComponentParameterText = Mixer_GetComponentParameterText;
  suite.GetComponentParameterValue = Mixer_GetComponentParameterValue;
  suite.SetAutomationMode = Mixer_SetAutomationMode;
  return suite;
}();

}  // namespace

const void* MixerSuiteTable() {
  return &kMixerSuite;
}

}  // namespace dialforge_host
