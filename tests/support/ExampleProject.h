// The project of the documented reply examples, and those replies byte for byte.
#ifndef DIALFORGE_TESTS_SUPPORT_EXAMPLEPROJECT_H
#define DIALFORGE_TESTS_SUPPORT_EXAMPLEPROJECT_H

#include "host/Project.h"

namespace dialforge_test {

inline dialforge_host::Project ExampleProject() {
  dialforge_host::Project project;
  project.commands = {{"12", "Timeline", "1001", "Undo"}, {"12", "Timeline", "1002", "Redo"}};
  project.lumetri.parameters = {{"exposure", "Exposure", -4.0f, 4.0f, 0.0f, 0.0f},
                                {"contrast", "Contrast", -100.0f, 100.0f, 0.0f, 12.5f}};
  project.lumetri.menus = {{"lut", "Input LUT", {"None", "Rec709", "Log C"}, 0}};

  dialforge_host::MixerChannel audio;
  audio.id = 7;
  audio.name = "Audio 1";
  audio.states = {false, true, false, false, false, false};
  audio.volume = 0.5f;
  audio.flags = 3;
  audio.audioChannels = 2;
  audio.audioChannelValue = 0.0f;
  audio.panType = 1;
  audio.components = {{3, "Gain", false, {{"Level", 0.75f, "-2.5 dB"}}}};
  dialforge_host::MixerChannel master;
  master.id = 9;
  master.name = "Master";
  master.volume = 1.0f;
  master.flags = 0;
  master.audioChannels = 2;
  master.audioChannelValue = -0.25f;
  master.panType = 0;
  project.mixer.channels = {audio, master};
  return project;
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
