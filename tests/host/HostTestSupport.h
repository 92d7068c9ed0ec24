// What the simulated host's tests share: the fixture of the host's documentation.
#ifndef DIALFORGE_TESTS_HOST_HOSTTESTSUPPORT_H
#define DIALFORGE_TESTS_HOST_HOSTTESTSUPPORT_H

#include <string>

#include "host/SimulatedHost.h"
#include "tests/support/PluginView.h"

namespace dialforge_host_test {

inline const char* const kDocumentedFixture = R"({
  "commands": [ {"contextId": "12", "contextName": "Timeline", "commandId": "1001", "commandName": "Undo"} ],
  "lumetri": {
    "parameters": [ {"id": "exposure", "name": "Exposure", "min": -4.0, "max": 4.0, "default": 0.0, "value": 0.0} ],
    "menus": [ {"id": "lut", "name": "Input LUT", "choices": ["None", "Rec709", "Log C"], "value": 0} ],
    "panelMode": 0
  },
  "mixer": { "channels": [ {"id": 7, "name": "Audio 1", "states": [0, 1, 0, 0, 0, 0], "volume": 0.5, "flags": 3,
      "audioChannels": 2, "audioChannelValue": 0.0, "panType": 1,
      "components": [ {"index": 3, "name": "Gain", "bypass": false,
          "parameters": [ {"name": "Level", "value": 0.75, "text": "-2.5 dB"} ] } ] } ] },
  "missingSuites": ["ADOBESDK ControlSurfaceHost Transport Suite"],
  "failures": { "Navigate": "Nerr", "ObtainMixerRef": "fail" }
})";

// The documented fixture without its missing suites and failures, and with a second channel (id 9,
// "Master", no components), so every suite and reference can be had.
dialforge_host::Project ServableProject();

}  // namespace dialforge_host_test

#endif
