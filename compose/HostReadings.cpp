#include "compose/HostReadings.h"

#include <cstring>

#include "compose/AdobeSdkString.h"

namespace VazezeveDudOzizezUziriv {

namespace {

std::string TextOf(AdobeSdkString& hostString) {
  std::string text = hostString.toString();
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace

uint32_t HostReader::ChannelCount(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                  ADOBESDK_ControlSurfaceHostMixer* mixer) const {
  uint32_t count = 0;
  suite->GetChannelCount(mixer, &count);
  return count;
}

ChannelReading HostReader::Channel(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                   ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row) const {
  ChannelReading channel;
  suite->GetChannelID(mixer, row, &channel.id);
  AdobeSdkString name(stringSuite);
  suite->GetChannelName(mixer, channel.id, kMaxTextLength, name.Get());
  channel.name = TextOf(name);
  for (uint32_t state = 0; state < kChannelStateCount; ++state) {
    suite->GetChannelState(mixer, channel.id, state, &channel.states[state]);
  }
  suite->GetChannelVolume(mixer, channel.id, &channel.volume);
  suite->GetChannelFlags(mixer, channel.id, &channel.flags);
  suite->GetAudioChannelCount(mixer, channel.id, &channel.audioChannels);
  // The audio channel count just read is what the host is asked about.
  suite->GetAudioChannelValue(mixer, channel.id, channel.audioChannels, &channel.audioChannelValue);
  suite->GetPanType(mixer, channel.id, &channel.panType);
  return channel;
}

bool HostReader::Component(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                           ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t slot,
                           ComponentReading* reading) const {
  ADOBESDK_Boolean present = 0;
  suite->HasComponent(mixer, row, slot, &present);
  if (present == 0) {
    return false;
  }
  *reading = ComponentReading();
  AdobeSdkString name(stringSuite);
  suite->GetComponentName(mixer, row, slot, kMaxTextLength, name.Get());
  reading->name = TextOf(name);
  suite->GetComponentBypass(mixer, row, slot, &reading->bypassed);
  suite->GetComponentParameterCount(mixer, row, slot, &reading->parameterCount);
  return true;
}

ComponentParameterReading HostReader::ComponentParameter(
    const ADOBESDK_ControlSurfaceHostMixerSuite1* suite, ADOBESDK_ControlSurfaceHostMixer* mixer,
    uint32_t row, uint32_t slot, uint32_t parameter) const {
  ComponentParameterReading reading;
  AdobeSdkString name(stringSuite);
  suite->GetComponentParameterName(mixer, row, slot, parameter, kMaxTextLength, name.Get());
  reading.name = TextOf(name);
  suite->GetComponentParameterValue(mixer, row, slot, parameter, &reading.value);
  AdobeSdkString text(stringSuite);
  suite->GetComponentParameterText(mixer, row, slot, parameter, kMaxTextLength, text.Get());
  reading.text = TextOf(text);
  return reading;
}

uint32_t HostReader::CommandCount(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                                  ADOBESDK_ControlSurfaceHostCommand* command) const {
  uint32_t count = 0;
  suite->GetCommandCount(command, &count);
  return count;
}

CommandReading HostReader::Command(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                                   ADOBESDK_ControlSurfaceHostCommand* command,
                                   uint32_t index) const {
  AdobeSdkString contextId(stringSuite);
  AdobeSdkString contextName(stringSuite);
  AdobeSdkString commandId(stringSuite);
  AdobeSdkString commandName(stringSuite);
  suite->GetCommandAtIndex(command, index, contextId.Get(), contextName.Get(), commandId.Get(),
                           commandName.Get());
  return CommandReading{TextOf(contextId), TextOf(contextName), TextOf(commandId),
                        TextOf(commandName)};
}

uint32_t HostReader::ParameterCount(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                    ADOBESDK_ControlSurfaceHostLumetri* lumetri) const {
  uint32_t count = 0;
  suite->GetParameterCount(lumetri, &count);
  return count;
}

LumetriParameterReading HostReader::Parameter(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                              ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                              uint32_t index) const {
  LumetriParameterReading reading;
  AdobeSdkString id(stringSuite);
  AdobeSdkString name(stringSuite);
  suite->GetParameterAtIndex(lumetri, index, id.Get(), name.Get(), &reading.minimum,
                             &reading.maximum);
  suite->GetParameterValue(lumetri, id.Get(), &reading.value);
  reading.id = TextOf(id);
  reading.name = TextOf(name);
  return reading;
}

uint32_t HostReader::MenuCount(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                               ADOBESDK_ControlSurfaceHostLumetri* lumetri) const {
  uint32_t count = 0;
  suite->GetMenuCount(lumetri, &count);
  return count;
}

LumetriMenuReading HostReader::Menu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                    ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                    uint32_t index) const {
  AdobeSdkString id(stringSuite);
  AdobeSdkString name(stringSuite);
  AdobeSdkString value(stringSuite);
  suite->GetMenuAtIndex(lumetri, index, id.Get(), name.Get());
  suite->GetMenuValue(lumetri, id.Get(), value.Get());
  return LumetriMenuReading{TextOf(id), TextOf(name), TextOf(value)};
}

}  // namespace VazezeveDudOzizezUziriv
