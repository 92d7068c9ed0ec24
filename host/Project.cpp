#include "host/Project.h"

#include <cmath>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "host/Operations.h"

namespace dialforge_host {

namespace {

std::string Indexed(const std::string& path, std::size_t index) {
  return path + "[" + std::to_string(index) + "]";
}

std::string ParameterProblem(const LumetriParameter& parameter, const std::string& path) {
  if (std::isnan(parameter.minimum) || std::isnan(parameter.maximum) ||
      std::isnan(parameter.defaultValue) || std::isnan(parameter.value)) {
    return path + ": a value is not a number";
  }
  if (parameter.minimum > parameter.maximum) {
    return path + ": min is above max";
  }
  if (parameter.defaultValue < parameter.minimum || parameter.defaultValue > parameter.maximum) {
    return path + ": default is outside [min, max]";
  }
  if (parameter.value < parameter.minimum || parameter.value > parameter.maximum) {
    return path + ": value is outside [min, max]";
  }
  return {};
}

std::string LumetriProblem(const Lumetri& lumetri) {
  std::unordered_map<std::string, std::size_t> parameterRows;
  for (std::size_t i = 0; i < lumetri.parameters.size(); ++i) {
    const std::string path = Indexed("lumetri.parameters", i);
    const auto [earlier, added] = parameterRows.emplace(lumetri.parameters[i].id, i);
    if (!added) {
      return path + ": id \"" + lumetri.parameters[i].id + "\" is also the id of " +
             Indexed("lumetri.parameters", earlier->second);
    }
    if (std::string problem = ParameterProblem(lumetri.parameters[i], path); !problem.empty()) {
      return problem;
    }
  }
  std::unordered_map<std::string, std::size_t> menuRows;
  for (std::size_t i = 0; i < lumetri.menus.size(); ++i) {
    const LumetriMenu& menu = lumetri.menus[i];
    const std::string path = Indexed("lumetri.menus", i);
    const auto [earlier, added] = menuRows.emplace(menu.id, i);
    if (!added) {
      return path + ": id \"" + menu.id + "\" is also the id of " +
             Indexed("lumetri.menus", earlier->second);
    }
    if (menu.value != 0 && menu.value >= menu.choices.size()) {
      return path + ": value " + std::to_string(menu.value) + " is past the last choice";
    }
  }
  if (lumetri.panelMode > kHighestPanelMode) {
    return "lumetri.panelMode: " + std::to_string(lumetri.panelMode) + " is above 6";
  }
  return {};
}

std::string MixerProblem(const Mixer& mixer) {
  std::unordered_map<uint32_t, std::size_t> channelRows;
  for (std::size_t i = 0; i < mixer.channels.size(); ++i) {
    const MixerChannel& channel = mixer.channels[i];
    const std::string path = Indexed("mixer.channels", i);
    const auto [earlier, added] = channelRows.emplace(channel.id, i);
    if (!added) {
      return path + ": id " + std::to_string(channel.id) + " is also the id of " +
             Indexed("mixer.channels", earlier->second);
    }
    if (std::isnan(channel.volume) || std::isnan(channel.audioChannelValue)) {
      return path + ": a value is not a number";
    }
    std::unordered_set<uint32_t> componentIndices;
    for (std::size_t c = 0; c < channel.components.size(); ++c) {
      if (!componentIndices.insert(channel.components[c].index).second) {
        return Indexed(path + ".components", c) + ": index " +
               std::to_string(channel.components[c].index) + " is used twice in the channel";
      }
    }
  }
  return {};
}

}  // namespace

std::string ProjectProblem(const Project& project) {
  if (std::string problem = LumetriProblem(project.lumetri); !problem.empty()) {
    return problem;
  }
  if (std::string problem = MixerProblem(project.mixer); !problem.empty()) {
    return problem;
  }
  for (std::size_t i = 0; i < project.missingSuites.size(); ++i) {
    if (!IsOfferedSuite(project.missingSuites[i])) {
      return Indexed("missingSuites", i) + ": \"" + project.missingSuites[i] +
             "\" is not a suite the host offers";
    }
  }
  for (const auto& [operation, code] : project.failures) {
    if (FindOperation(operation) == nullptr) {
      return "failures: \"" + operation + "\" is not an operation of the host";
    }
  }
  return {};
}

Project SampleProject() {
  Project project;
  project.commands = {
      {"1", "Application", "100", "Undo"},
      {"1", "Application", "101", "Redo"},
      {"1", "Application", "102", "Save Project"},
      {"12", "Timeline", "1001", "Add Edit"},
      {"12", "Timeline", "1002", "Ripple Delete"},
      {"12", "Timeline", "1003", "Add Marker"},
      {"12", "Timeline", "1004", "Toggle Snap"},
      {"20", "Program Monitor", "2001", "Mark In"},
      {"20", "Program Monitor", "2002", "Mark Out"},
      {"20", "Program Monitor", "2003", "Export Frame"},
  };
  project.lumetri.parameters = {
      {"exposure", "Exposure", -4.0f, 4.0f, 0.0f, 0.0f},
      {"contrast", "Contrast", -100.0f, 100.0f, 0.0f, 12.5f},
      {"highlights", "Highlights", -100.0f, 100.0f, 0.0f, 0.0f},
      {"shadows", "Shadows", -100.0f, 100.0f, 0.0f, 0.0f},
      {"whites", "Whites", -100.0f, 100.0f, 0.0f, 0.0f},
      {"blacks", "Blacks", -100.0f, 100.0f, 0.0f, 0.0f},
      {"temperature", "Temperature", -100.0f, 100.0f, 0.0f, 0.0f},
      {"tint", "Tint", -100.0f, 100.0f, 0.0f, 0.0f},
      {"saturation", "Saturation", 0.0f, 200.0f, 100.0f, 100.0f},
      {"vibrance", "Vibrance", -100.0f, 100.0f, 0.0f, 0.0f},
  };
  project.lumetri.menus = {
      {"lut", "Input LUT", {"None", "Rec709", "Log C to Rec709", "S-Log3 to Rec709"}, 0},
      {"look", "Look", {"None", "Cinematic Warm", "Film Stock", "Bleach Bypass"}, 0},
      {"toneMapping", "Tone Mapping", {"Off", "On"}, 1},
  };
  MixerChannel dialogue;
  dialogue.id = 1;
  dialogue.name = "Dialogue";
  dialogue.states = {false, true, false, false, false, false};
  dialogue.volume = 0.8f;
  dialogue.flags = 3;
  dialogue.audioChannels = 2;
  dialogue.panType = 1;
  dialogue.components = {
      {0,
       "Parametric Equalizer",
       false,
       {{"Frequency", 0.35f, "1200 Hz"}, {"Gain", 0.5f, "0.0 dB"}, {"Q", 0.2f, "1.4"}}},
      {3, "Dynamics", true, {{"Threshold", 0.6f, "-18.0 dB"}, {"Ratio", 0.25f, "4:1"}}},
  };
  MixerChannel music;
  music.id = 2;
  music.name = "Music";
  music.volume = 0.5f;
  music.flags = 1;
  music.audioChannels = 2;
  music.audioChannelValue = -0.25f;
  music.panType = 1;
  music.components = {
      {1, "Studio Reverb", false, {{"Mix", 0.3f, "30 %"}, {"Decay", 0.5f, "2.1 s"}}}};
  MixerChannel effects;
  effects.id = 3;
  effects.name = "Effects";
  effects.states = {true, false, false, false, false, false};
  effects.volume = 0.65f;
  effects.audioChannels = 1;
  MixerChannel master;
  master.id = 100;
  master.name = "Master";
  master.volume = 1.0f;
  master.flags = 8;
  master.audioChannels = 2;
  master.components = {{0, "Hard Limiter", false, {{"Maximum Amplitude", 0.9f, "-0.3 dB"}}}};
  project.mixer.channels = {dialogue, music, effects, master};
  return project;
}

}  // namespace dialforge_host
