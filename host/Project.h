// The in-memory project the simulated host serves: what its suites read and change.
#ifndef DIALFORGE_HOST_PROJECT_H
#define DIALFORGE_HOST_PROJECT_H

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sdk/ADOBESDK_Types.h"

namespace dialforge_host {

struct Command {
  std::string contextId;
  std::string contextName;
  std::string commandId;
  std::string commandName;
};

struct LumetriParameter {
  std::string id;
  std::string name;
  float minimum = 0.0f;
  float maximum = 1.0f;
  float defaultValue = 0.0f;
  float value = 0.0f;
};

struct LumetriMenu {
  std::string id;
  std::string name;
  std::vector<std::string> choices;
  // Index of the current choice; 0 when there are no choices.
  uint32_t value = 0;
};

struct Lumetri {
  std::vector<LumetriParameter> parameters;
  std::vector<LumetriMenu> menus;
  uint32_t panelMode = 0;
};

struct ComponentParameter {
  std::string name;
  float value = 0.0f;
  std::string text;
};

struct Component {
  uint32_t index = 0;
  std::string name;
  bool bypass = false;
  std::vector<ComponentParameter> parameters;
};

constexpr uint32_t kChannelStateCount = 6;
constexpr uint32_t kHighestPanelMode = 6;

struct MixerChannel {
  uint32_t id = 0;
  std::string name;
  std::array<bool, kChannelStateCount> states{};
  float volume = 0.0f;
  uint32_t flags = 0;
  uint32_t audioChannels = 0;
  float audioChannelValue = 0.0f;
  uint32_t panType = 0;
  // Set only through SetAutomationMode; fixtures do not name it.
  uint32_t automationMode = 0;
  std::vector<Component> components;
};

struct Mixer {
  std::vector<MixerChannel> channels;
};

struct Project {
  std::vector<Command> commands;
  Lumetri lumetri;
  Mixer mixer;
  // Suite names that AcquireSuite refuses, whatever the version.
  std::vector<std::string> missingSuites;
  // Operation name to the code it answers instead of doing anything.
  std::map<std::string, ADOBESDK_Error> failures;
};

// A few channels (one without components), commands, Lumetri parameters and menus.
Project SampleProject();

// The first reason the host cannot serve the project, or empty when it can: duplicate channel,
// parameter, menu or component identifiers, values outside their range, a current choice past
// the last, a panel mode above 6, an unknown operation or suite name.
std::string ProjectProblem(const Project& project);

// A fixture read into a project. When error is not empty, project is empty.
struct ProjectResult {
  Project project;
  std::string error;

  bool Ok() const { return error.empty(); }
};

// The JSON text of a fixture; source names it in error messages (usually the file name).
ProjectResult ParseProject(const std::string& text, const std::string& source);
ProjectResult LoadProjectFile(const std::string& path);

}  // namespace dialforge_host

#endif
