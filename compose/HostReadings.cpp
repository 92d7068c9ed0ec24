#include "compose/HostReadings.h"

#include <cstring>

namespace VazezeveDudOzizezUziriv {

namespace {

// A count the host did not give is no count at all.
void ForgetUnlessGiven(ADOBESDK_Error result, uint32_t* count) {
  if (result != kADOBESDK_NoError) {
    *count = 0;
  }
}

}  // namespace

void AppendHostText(AdobeSdkString& hostString, std::string& text) {
  const size_t start = text.size();
  if (hostString.AppendTo(text)) {
    const void* nul = std::memchr(text.data() + start, '\0', text.size() - start);
    if (nul != nullptr) {
      text.resize(static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
    }
  }
}

std::string HostText(AdobeSdkString& hostString) {
  std::string text;
  AppendHostText(hostString, text);
  return text;
}

uint32_t ReadChannelCount(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                          ADOBESDK_ControlSurfaceHostMixer* mixer) {
  uint32_t count = 0;
  ForgetUnlessGiven(suite->GetChannelCount(mixer, &count), &count);
  return count;
}

bool ReadChannelId(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                   ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t* id) {
  uint32_t read = 0;
  const bool given = suite->GetChannelID(mixer, row, &read) == kADOBESDK_NoError;
  *id = given ? read : 0;
  return given;
}

ChannelReading ReadChannel(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                           ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t id,
                           AdobeSdkString& name) {
  ChannelReading channel;
  name.Filled(suite->GetChannelName(mixer, id, kMaxTextLength, name.Get()));
  for (uint32_t state = 0; state < kChannelStateCount; ++state) {
    channel.statesGiven[state] =
        suite->GetChannelState(mixer, id, state, &channel.states[state]) == kADOBESDK_NoError;
  }
  channel.volumeGiven = suite->GetChannelVolume(mixer, id, &channel.volume) == kADOBESDK_NoError;
  channel.flagsGiven = suite->GetChannelFlags(mixer, id, &channel.flags) == kADOBESDK_NoError;
  const ADOBESDK_Error countResult = suite->GetAudioChannelCount(mixer, id, &channel.audioChannels);
  ForgetUnlessGiven(countResult, &channel.audioChannels);
  channel.audioChannelsGiven = countResult == kADOBESDK_NoError;
  // The audio channel count just read is what the host is asked about.
  channel.audioChannelValueGiven =
      suite->GetAudioChannelValue(mixer, id, channel.audioChannels, &channel.audioChannelValue) ==
      kADOBESDK_NoError;
  channel.panTypeGiven = suite->GetPanType(mixer, id, &channel.panType) == kADOBESDK_NoError;
  return channel;
}

bool HasComponentAt(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                    ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t slot) {
  ADOBESDK_Boolean present = 0;
  suite->HasComponent(mixer, row, slot, &present);
  return present != 0;
}

ComponentReading ReadComponent(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                               ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t slot,
                               AdobeSdkString& name) {
  ComponentReading reading;
  name.Filled(suite->GetComponentName(mixer, row, slot, kMaxTextLength, name.Get()));
  reading.bypassGiven =
      suite->GetComponentBypass(mixer, row, slot, &reading.bypassed) == kADOBESDK_NoError;
  const ADOBESDK_Error countResult =
      suite->GetComponentParameterCount(mixer, row, slot, &reading.parameterCount);
  ForgetUnlessGiven(countResult, &reading.parameterCount);
  reading.parameterCountGiven = countResult == kADOBESDK_NoError;
  return reading;
}

float ReadComponentParameter(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                             ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t slot,
                             uint32_t parameter, AdobeSdkString& name, AdobeSdkString& text,
                             bool* valueGiven) {
  float value = 0.0f;
  name.Filled(
      suite->GetComponentParameterName(mixer, row, slot, parameter, kMaxTextLength, name.Get()));
  const ADOBESDK_Error valueResult =
      suite->GetComponentParameterValue(mixer, row, slot, parameter, &value);
  if (valueGiven != nullptr) {
    *valueGiven = valueResult == kADOBESDK_NoError;
  }
  text.Filled(
      suite->GetComponentParameterText(mixer, row, slot, parameter, kMaxTextLength, text.Get()));
  return value;
}

uint32_t ReadCommandCount(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                          ADOBESDK_ControlSurfaceHostCommand* command) {
  uint32_t count = 0;
  ForgetUnlessGiven(suite->GetCommandCount(command, &count), &count);
  return count;
}

void ReadCommand(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                 ADOBESDK_ControlSurfaceHostCommand* command, uint32_t index,
                 AdobeSdkString& contextId, AdobeSdkString& contextName, AdobeSdkString& commandId,
                 AdobeSdkString& commandName) {
  const ADOBESDK_Error result = suite->GetCommandAtIndex(
      command, index, contextId.Get(), contextName.Get(), commandId.Get(), commandName.Get());
  for (AdobeSdkString* filled : {&contextId, &contextName, &commandId, &commandName}) {
    filled->Filled(result);
  }
}

uint32_t ReadLumetriParameterCount(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                   ADOBESDK_ControlSurfaceHostLumetri* lumetri) {
  uint32_t count = 0;
  ForgetUnlessGiven(suite->GetParameterCount(lumetri, &count), &count);
  return count;
}

LumetriParameterReading ReadLumetriParameter(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                             ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                             uint32_t index, AdobeSdkString& id,
                                             AdobeSdkString& name) {
  LumetriParameterReading reading;
  const ADOBESDK_Error result = suite->GetParameterAtIndex(lumetri, index, id.Get(), name.Get(),
                                                           &reading.minimum, &reading.maximum);
  id.Filled(result);
  name.Filled(result);
  reading.rangeGiven = result == kADOBESDK_NoError;
  if (id.HoldsString()) {
    reading.valueGiven =
        suite->GetParameterValue(lumetri, id.Get(), &reading.value) == kADOBESDK_NoError;
  }
  return reading;
}

uint32_t ReadLumetriMenuCount(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                              ADOBESDK_ControlSurfaceHostLumetri* lumetri) {
  uint32_t count = 0;
  ForgetUnlessGiven(suite->GetMenuCount(lumetri, &count), &count);
  return count;
}

void ReadLumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                     ADOBESDK_ControlSurfaceHostLumetri* lumetri, uint32_t index,
                     AdobeSdkString& id, AdobeSdkString& name, AdobeSdkString& value) {
  const ADOBESDK_Error result = suite->GetMenuAtIndex(lumetri, index, id.Get(), name.Get());
  id.Filled(result);
  name.Filled(result);
  if (id.HoldsString()) {
    value.Filled(suite->GetMenuValue(lumetri, id.Get(), value.Get()));
  }
}

}  // namespace VazezeveDudOzizezUziriv
