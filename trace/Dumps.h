// Tables of host state written into the trace, kept for whoever diagnoses a host: the mixer, the
// command list, the Lumetri controls, and a check of one Lumetri parameter change. Nothing in
// the request path calls them.
//
// The host calls are made whether or not a trace switch is on. Host results are not examined:
// a read that fails shows 0, 0.000000 or empty text, and a failed count gives no rows. Host
// strings are read through the process-wide sStringSuite; without one they read as empty text.
// A null suite makes every dump return without a host call or a line.
#ifndef DIALFORGE_TRACE_DUMPS_H
#define DIALFORGE_TRACE_DUMPS_H

#include <cstdint>

#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"

namespace VazezeveDudOzizezUziriv {

// The channel table, then the component table of every channel row.
void TRACEMixer(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                ADOBESDK_ControlSurfaceHostMixer* mixer);
// The channel table; answers the channel count, 0 for a null suite.
int TRACEMixerChannels(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                       ADOBESDK_ControlSurfaceHostMixer* mixer);
// The component table of the channel in that row.
void TRACEMixerComponents(const ADOBESDK_ControlSurfaceHostMixerSuite1* suite,
                          ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t channel);

void TRACECommands(const ADOBESDK_ControlSurfaceHostCommandSuite1* suite,
                   ADOBESDK_ControlSurfaceHostCommand* command);

// The parameter table, then the menu table.
void TRACELumetri(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                  ADOBESDK_ControlSurfaceHostLumetri* lumetri);
void TRACELumetriParameters(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                            ADOBESDK_ControlSurfaceHostLumetri* lumetri);
void TRACELumetriMenu(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                      ADOBESDK_ControlSurfaceHostLumetri* lumetri);

// Sets the parameter at that index to the value and tells whether the value the host reported
// is the one it reads back. This is the one dump that changes host state.
void TRACEChangingLumetriParameter(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite,
                                   ADOBESDK_ControlSurfaceHostLumetri* lumetri, int parameterIndex,
                                   int value);

}  // namespace VazezeveDudOzizezUziriv

#endif
