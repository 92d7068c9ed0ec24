// Reply texts composed from host state: the mixer, the command list and the Lumetri controls.
// The companion application parses these texts, so every detail of their layout is kept.
#ifndef DIALFORGE_COMPOSE_COMPOSEHELPER_H
#define DIALFORGE_COMPOSE_COMPOSEHELPER_H

#include <cstdint>
#include <string>
#include <vector>

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"

namespace VazezeveDudOzizezUziriv {

// A plain value: callers copy the current object and compose on the copy.
class ComposeHelper {
 public:
  explicit ComposeHelper(const ADOBESDK_StringSuite1* stringSuite) : stringSuite(stringSuite) {}

  // Makes the object for this string suite current. Objects stay alive for the life of the
  // process, since a listener of another plug-in instance may still be reading the previous one;
  // one object per distinct suite is made, so this never grows with reconnections.
  static void CreateInstance(const ADOBESDK_StringSuite1* stringSuite);
  // The current object; null before the first CreateInstance.
  static ComposeHelper* GetInstance();
  const ADOBESDK_StringSuite1* StringSuite() const { return stringSuite; }

  // Each composer gives the empty text for a null suite. Host results are not examined: a field
  // whose read fails is written as 0, 0.000000 or nothing, and a failed count gives no rows. A
  // channel whose id the host does not give shows only its row index, and its component table
  // has no rows: no read is made with an id the host did not give.
  //
  // These append to text, so that a reply is composed in place behind what it already holds.
  void ComposeMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                    ADOBESDK_ControlSurfaceHostMixer* mixer, std::string& text) const;
  void ComposeCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                       ADOBESDK_ControlSurfaceHostCommand* command, std::string& text) const;
  void ComposeLumetriParameters(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                std::string& text) const;
  void ComposeLumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                          ADOBESDK_ControlSurfaceHostLumetri* lumetri, std::string& text) const;

  // The same texts on their own.
  std::string ComposeMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                           ADOBESDK_ControlSurfaceHostMixer* mixer) const;
  std::string ComposeCommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                              ADOBESDK_ControlSurfaceHostCommand* command) const;
  std::string ComposeLumetriParameters(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                       ADOBESDK_ControlSurfaceHostLumetri* lumetri) const;
  std::string ComposeLumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                 ADOBESDK_ControlSurfaceHostLumetri* lumetri) const;
  // The two parts of the mixer text. The component table, composed alone, probes the row
  // without asking for its channel's id.
  std::string ComposeMixerChannels(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                   ADOBESDK_ControlSurfaceHostMixer* mixer,
                                   uint32_t* channelCount) const;
  std::string ComposeMixerComponents(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                                     ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row) const;

 private:
  // Gives the channel count; the rows whose channel id the host did not give go, in ascending
  // order, to unreadRows.
  uint32_t AppendChannelTable(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                              ADOBESDK_ControlSurfaceHostMixer* mixer, std::string& text,
                              std::vector<uint32_t>* unreadRows) const;
  void AppendComponentTable(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                            ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row, bool idGiven,
                            std::string& text) const;

  const ADOBESDK_StringSuite1* stringSuite;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
