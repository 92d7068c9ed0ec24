// What the simulated host's tests share: the fixture of the host's documentation, and every
// suite and reference acquired through the C tables the way a plug-in acquires them.
#ifndef DIALFORGE_TESTS_HOST_HOSTTESTSUPPORT_H
#define DIALFORGE_TESTS_HOST_HOSTTESTSUPPORT_H

#include <string>

#include "host/SimulatedHost.h"
#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHost.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"
#include "sdk/ControlSurfaceHostTransport.h"
#include "sdk/SPBasic.h"
#include "sdk/SPSuites.h"

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

// Every suite acquired through the basic suite, and every reference obtained through the host
// suite; a suite or reference the host refused stays null.
struct PluginView {
  explicit PluginView(dialforge_host::SimulatedHost& host);

  // The text of a host string, read with CopyToUTF8 as the plug-in reads it; "<unreadable>"
  // when the string suite refuses.
  std::string Text(const ADOBESDK_String& string) const;
  ADOBESDK_String Make(const char* text) const;

  SPBasicSuite* basic = nullptr;
  ADOBESDK_ControlSurfaceHost* handle = nullptr;
  const SPSuitesSuite* suites = nullptr;
  const ADOBESDK_StringSuite1* strings = nullptr;
  const ADOBESDK_ControlSurfaceHostSuite1* hostSuite = nullptr;
  const ADOBESDK_ControlSurfaceHostTransportSuite1* transport = nullptr;
  const ADOBESDK_ControlSurfaceHostCommandSuite1* command = nullptr;
  const ADOBESDK_ControlSurfaceHostMixerSuite1* mixer = nullptr;
  const ADOBESDK_ControlSurfaceHostLumetriSuite1* lumetri = nullptr;
  ADOBESDK_ControlSurfaceHostTransport* transportRef = nullptr;
  ADOBESDK_ControlSurfaceHostCommand* commandRef = nullptr;
  ADOBESDK_ControlSurfaceHostMixer* mixerRef = nullptr;
  ADOBESDK_ControlSurfaceHostLumetri* lumetriRef = nullptr;
};

// A host string that the plug-in made, disposed at the end of the scope.
class MadeString {
 public:
  MadeString(const PluginView& view, const char* text) : view(view), string(view.Make(text)) {}
  ~MadeString() { view.strings->DisposeString(&string); }
  MadeString(const MadeString&) = delete;
  MadeString& operator=(const MadeString&) = delete;

  const ADOBESDK_String* Get() const { return &string; }

 private:
  const PluginView& view;
  ADOBESDK_String string;
};

}  // namespace dialforge_host_test

#endif
