// Readings of the host's state, shared by the reply texts and the diagnostic dumps, so that both
// make the same host calls in the same order. Host strings go into receptacles the caller makes
// with its own string suite and reads where its text needs them. A count whose read fails gives
// no rows, and an id the host did not give is never handed back to it; otherwise host results
// are not examined: every out-value is set before its host call, so a read the host fails gives
// 0, 0.0 or empty text, and its ...Given flag (or its receptacle's HoldsString) is false for the
// readers that can say so. The suites must not be null.
#ifndef DIALFORGE_COMPOSE_HOSTREADINGS_H
#define DIALFORGE_COMPOSE_HOSTREADINGS_H

#include <cstdint>
#include <string>

#include "compose/AdobeSdkString.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"

namespace VazezeveDudOzizezUziriv {

constexpr uint32_t kChannelStateCount = 6;
// The component indices probed per channel; the host does not count them.
constexpr uint32_t kComponentSlots = 51;
// The length limit handed to the host for mixer names and texts.
constexpr uint32_t kMaxTextLength = 1024;

// Appends the text of a host string up to its first NUL; nothing when it cannot be read.
void AppendHostText(AdobeSdkString& hostString, std::string& text);
// That text as a string of its own.
std::string HostText(AdobeSdkString& hostString);

struct ChannelReading {
  ADOBESDK_Boolean states[kChannelStateCount] = {};
  float volume = 0.0f;
  uint32_t flags = 0;
  uint32_t audioChannels = 0;
  float audioChannelValue = 0.0f;
  uint32_t panType = 0;
  bool statesGiven[kChannelStateCount] = {};
  bool volumeGiven = false;
  bool flagsGiven = false;
  bool audioChannelsGiven = false;
  bool audioChannelValueGiven = false;
  bool panTypeGiven = false;
};

struct ComponentReading {
  ADOBESDK_Boolean bypassed = 0;
  uint32_t parameterCount = 0;
  bool bypassGiven = false;
  bool parameterCountGiven = false;
};

struct LumetriParameterReading {
  float minimum = 0.0f;
  float maximum = 0.0f;
  float value = 0.0f;
  bool rangeGiven = false;
  bool valueGiven = false;
};

uint32_t ReadChannelCount(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                          ADOBESDK_ControlSurfaceHostMixer* mixer);
// False, with the id 0, when the host gives no id for the row: nothing else of that channel may
// then be read, as any id would be one the host did not give.
bool ReadChannelId(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                   ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t* id);
// The channel with that id; its name goes into the receptacle.
ChannelReading ReadChannel(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                           ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t id,
                           AdobeSdkString& name);
// Whether the host has a component at the slot of the channel's row.
bool HasComponentAt(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                    ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t slot);
ComponentReading ReadComponent(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                               ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t slot,
                               AdobeSdkString& name);
// The parameter's value; its name and text go into the receptacles.
float ReadComponentParameter(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                             ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t slot,
                             uint32_t parameter, AdobeSdkString& name, AdobeSdkString& text,
                             bool* valueGiven = nullptr);

uint32_t ReadCommandCount(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                          ADOBESDK_ControlSurfaceHostCommand* command);
void ReadCommand(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                 ADOBESDK_ControlSurfaceHostCommand* command, uint32_t index,
                 AdobeSdkString& contextId, AdobeSdkString& contextName, AdobeSdkString& commandId,
                 AdobeSdkString& commandName);

uint32_t ReadLumetriParameterCount(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                   ADOBESDK_ControlSurfaceHostLumetri* lumetri);
// The parameter at an index, and its current value asked for by the id the host gave.
LumetriParameterReading ReadLumetriParameter(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                             ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                             uint32_t index, AdobeSdkString& id,
                                             AdobeSdkString& name);
uint32_t ReadLumetriMenuCount(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                              ADOBESDK_ControlSurfaceHostLumetri* lumetri);
// The menu at an index, and its current choice asked for by the id the host gave.
void ReadLumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                     ADOBESDK_ControlSurfaceHostLumetri* lumetri, uint32_t index,
                     AdobeSdkString& id, AdobeSdkString& name, AdobeSdkString& value);

}  // namespace VazezeveDudOzizezUziriv

#endif
