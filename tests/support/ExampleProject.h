// The project of the documented reply examples, and those replies byte for byte.
#ifndef DIALFORGE_TESTS_SUPPORT_EXAMPLEPROJECT_H
#define DIALFORGE_TESTS_SUPPORT_EXAMPLEPROJECT_H

#include "host/Project.h"

namespace dialforge_test {

// The programs read it from a file; the tests that serve it in-process read it the same way, so the
// replies below check the fixture reader too.
inline const char* const kExampleFixture = R"({
  "commands": [
    {"contextId": "12", "contextName": "Timeline", "commandId": "1001", "commandName": "Undo"},
    {"contextId": "12", "contextName": "Timeline", "commandId": "1002", "commandName": "Redo"}],
  "lumetri": {
    "parameters": [
      {"id": "exposure", "name": "Exposure", "min": -4, "max": 4, "default": 0, "value": 0},
      {"id": "contrast", "name": "Contrast", "min": -100, "max": 100, "default": 0, "value": 12.5}],
    "menus": [{"id": "lut", "name": "Input LUT", "choices": ["None", "Rec709", "Log C"]}]},
  "mixer": {"channels": [
    {"id": 7, "name": "Audio 1", "states": [0, 1], "volume": 0.5, "flags": 3, "audioChannels": 2,
     "panType": 1, "components": [{"index": 3, "name": "Gain",
       "parameters": [{"name": "Level", "value": 0.75, "text": "-2.5 dB"}]}]},
    {"id": 9, "name": "Master", "volume": 1, "audioChannels": 2, "audioChannelValue": -0.25}]}
})";

inline dialforge_host::Project ExampleProject() {
  return dialforge_host::ParseProject(kExampleFixture, "example.json").project;
}

inline const char* const kExampleMixerText =
    "$ | Mixer | Channels | 2N | Channel ID | Channel Name | Channnel States | Volume | Flags | "
    "Number Audio Channels | Audio Channels | Pan Type \n"
    "0|7|Audio 1|0-0,0-1,0-0,0-0,0-0,0-0,|0.500000|3|2|0.000000|1|\n"
    "1|9|Master|1-0,1-0,1-0,1-0,1-0,1-0,|1.000000|0|2|-0.250000|0|\n"
    "$ | Mixer | Components | 51N | Component Name | Bypass | Parameter Count | Parameters \n"
    "3|Gain|0|1|\n"
    "---0,Level,0.750000, -2.5 dB\n"
    "$ | Mixer | Components | 51N | Component Name | Bypass | Parameter Count | Parameters \n";

inline const char* const kExampleCommandsText =
    "12|Timeline|1001|Undo\n"
    "12|Timeline|1002|Redo\n";

inline const char* const kExampleLumetriParametersText =
    "exposure|Exposure|0.000000\n"
    "contrast|Contrast|12.500000\n";

inline const char* const kExampleLumetriMenuText = "lut|Input LUT|None\n";

}  // namespace dialforge_test

#endif
