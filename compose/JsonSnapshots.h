// The snapshots of protocol 2: the readings of the reply texts as JSON objects, with the field
// names of docs/json-lines.md. Unlike the texts, these can tell a read the host failed: its
// field is null. A failed count gives no rows, as in the texts; the suites must not be null.
#ifndef DIALFORGE_COMPOSE_JSONSNAPSHOTS_H
#define DIALFORGE_COMPOSE_JSONSNAPSHOTS_H

#include <string>

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"

namespace VazezeveDudOzizezUziriv {

class JsonSnapshots {
 public:
  explicit JsonSnapshots(const ADOBESDK_StringSuite1* stringSuite) : stringSuite(stringSuite) {}

  // Each appends one object to json.
  void ComposeMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                    ADOBESDK_ControlSurfaceHostMixer* mixer, std::string& json) const;
  void ComposeCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                       ADOBESDK_ControlSurfaceHostCommand* command, std::string& json) const;
  void ComposeLumetriParameters(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                std::string& json) const;
  void ComposeLumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                          ADOBESDK_ControlSurfaceHostLumetri* lumetri, std::string& json) const;

  // The mixer and command objects a few rows at a time: the opening, which gives the count of
  // rows, then the rows from first up to end, then kCloseRows.
  static constexpr const char* kCloseRows = "]}";
  uint32_t OpenMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                     ADOBESDK_ControlSurfaceHostMixer* mixer, std::string& json) const;
  void AppendChannels(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                      ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t first, uint32_t end,
                      std::string& json) const;
  uint32_t OpenCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                        ADOBESDK_ControlSurfaceHostCommand* command, std::string& json) const;
  void AppendCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                      ADOBESDK_ControlSurfaceHostCommand* command, uint32_t first, uint32_t end,
                      std::string& json) const;

 private:
  void AppendComponents(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                        ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row,
                        std::string& json) const;

  const ADOBESDK_StringSuite1* stringSuite;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
