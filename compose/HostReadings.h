// Readings of the host's state, shared by the reply texts and the diagnostic dumps. Every
// out-value is set before its host call, so a read the host fails gives 0, 0.0 or empty text,
// and a failed count gives no rows; host results are not examined otherwise. Host text is kept
// up to its first NUL.
#ifndef DIALFORGE_COMPOSE_HOSTREADINGS_H
#define DIALFORGE_COMPOSE_HOSTREADINGS_H

#include <cstdint>
#include <string>

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"

namespace VazezeveDudOzizezUziriv {

constexpr uint32_t kChannelStateCount = 6;
// The component indices probed per channel; the host does not count them.
constexpr uint32_t kComponentSlots = 51;
// The length limit handed to the host for mixer names and texts.
constexpr uint32_t kMaxTextLength = 1024;

struct ChannelReading {
  uint32_t id = 0;
  std::string name;
  ADOBESDK_Boolean states[kChannelStateCount] = {};
  float volume = 0.0f;
  uint32_t flags = 0;
  uint32_t audioChannels = 0;
  float audioChannelValue = 0.0f;
  uint32_t panType = 0;
};

struct ComponentReading {
  std::string name;
  ADOBESDK_Boolean bypassed = 0;
  uint32_t parameterCount = 0;
};

struct ComponentParameterReading {
  std::string name;
  float value = 0.0f;
  std::string text;
};

struct CommandReading {
  std::string contextId;
  std::string contextName;
  std::string commandId;
  std::string commandName;
};

struct LumetriParameterReading {
  std::string id;
  std::string name;
  float minimum = 0.0f;
  float maximum = 0.0f;
  float value = 0.0f;
};

struct LumetriMenuReading {
  std::string id;
  std::string name;
  std::string value;
};

// Reads through the host's suites, making host strings with the given string suite (a null one
// reads as empty text). The suites themselves must not be null.
class HostReader {
 public:
  explicit HostReader(const ADOBESDK_StringSuite1* stringSuite) : stringSuite(stringSuite) {}

  uint32_t ChannelCount(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                        ADOBESDK_ControlSurfaceHostMixer* mixer) const;
  // The channel in a row: its id first, then everything else by that id.
  ChannelReading Channel(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                         ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row) const;
  // False when the host has no component at the slot of the channel's row.
  bool Component(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                 ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, uint32_t slot,
                 ComponentReading* reading) const;
  ComponentParameterReading ComponentParameter(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                               ADOBESDK_ControlSurfaceHostMixer* mixer,
                                               uint32_t row, uint32_t slot,
                                               uint32_t parameter) const;

  uint32_t CommandCount(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                        ADOBESDK_ControlSurfaceHostCommand* command) const;
  CommandReading Command(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                         ADOBESDK_ControlSurfaceHostCommand* command, uint32_t index) const;

  uint32_t ParameterCount(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                          ADOBESDK_ControlSurfaceHostLumetri* lumetri) const;
  // The parameter at an index, and its current value asked for by the id the host gave.
  LumetriParameterReading Parameter(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                    ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                    uint32_t index) const;
  uint32_t MenuCount(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                     ADOBESDK_ControlSurfaceHostLumetri* lumetri) const;
  // The menu at an index, and its current choice asked for by the id the host gave.
  LumetriMenuReading Menu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                          ADOBESDK_ControlSurfaceHostLumetri* lumetri, uint32_t index) const;

 private:
  const ADOBESDK_StringSuite1* stringSuite;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
