// Fixture files: JSON read into a Project. Every key is optional, unknown keys and wrong types
// are refused, so a typing mistake in a fixture never passes silently.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "host/Project.h"

namespace dialforge_host {

namespace {

using nlohmann::json;

// Leaves the reader at the first problem; caught in ParseProject.
struct FixtureProblem {
  std::string message;
};

std::string Child(const std::string& path, const std::string& key) {
  return path.empty() ? key : path + "." + key;
}

std::string Element(const std::string& path, std::size_t index) {
  return path + "[" + std::to_string(index) + "]";
}

[[noreturn]] void Refuse(const std::string& path, const std::string& problem) {
  throw FixtureProblem{path + ": " + problem};
}

[[noreturn]] void RefuseType(const std::string& path, const char* expected, const json& value) {
  Refuse(path, std::string("must be ") + expected + ", not " + value.type_name());
}

void ExpectObject(const json& value, const std::string& path,
                  std::initializer_list<const char*> keys) {
  if (!value.is_object()) {
    RefuseType(path.empty() ? "the fixture" : path, "an object", value);
  }
  for (const auto& item : value.items()) {
    if (std::none_of(keys.begin(), keys.end(),
                     [&](const char* key) { return item.key() == key; })) {
      Refuse(Child(path, item.key()), "unknown key");
    }
  }
}

const json* Member(const json& object, const char* key) {
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

const json* ArrayMember(const json& object, const char* key, const std::string& path) {
  const json* value = Member(object, key);
  if (value != nullptr && !value->is_array()) {
    RefuseType(Child(path, key), "an array", *value);
  }
  return value;
}

void ReadString(const json& object, const char* key, const std::string& path, std::string& out) {
  if (const json* value = Member(object, key)) {
    if (!value->is_string()) {
      RefuseType(Child(path, key), "a string", *value);
    }
    out = value->get<std::string>();
  }
}

void ReadFloat(const json& object, const char* key, const std::string& path, float& out) {
  if (const json* value = Member(object, key)) {
    if (!value->is_number()) {
      RefuseType(Child(path, key), "a number", *value);
    }
    const double number = value->get<double>();
    if (std::abs(number) > std::numeric_limits<float>::max()) {
      Refuse(Child(path, key), "is out of the range of a float");
    }
    out = static_cast<float>(number);
  }
}

uint32_t ToUnsigned(const json& value, const std::string& path) {
  if (!value.is_number()) {
    RefuseType(path, "a whole number", value);
  }
  if (value.is_number_float()) {
    Refuse(path, "must be a whole number");
  }
  if (value.is_number_integer() && !value.is_number_unsigned() && value.get<int64_t>() < 0) {
    Refuse(path, "must not be negative");
  }
  if (value.get<uint64_t>() > std::numeric_limits<uint32_t>::max()) {
    Refuse(path, "is above 4294967295");
  }
  return static_cast<uint32_t>(value.get<uint64_t>());
}

void ReadUnsigned(const json& object, const char* key, const std::string& path, uint32_t& out) {
  if (const json* value = Member(object, key)) {
    out = ToUnsigned(*value, Child(path, key));
  }
}

// true and false, or 1 and 0 as fixtures written by hand often have them.
bool ToFlag(const json& value, const std::string& path) {
  if (value.is_boolean()) {
    return value.get<bool>();
  }
  if (value.is_number_integer() && (value.get<int64_t>() == 0 || value.get<int64_t>() == 1)) {
    return value.get<int64_t>() == 1;
  }
  RefuseType(path, "true, false, 0 or 1", value);
}

void ReadFlag(const json& object, const char* key, const std::string& path, bool& out) {
  if (const json* value = Member(object, key)) {
    out = ToFlag(*value, Child(path, key));
  }
}

Command ReadCommand(const json& value, const std::string& path) {
  ExpectObject(value, path, {"contextId", "contextName", "commandId", "commandName"});
  Command command;
  ReadString(value, "contextId", path, command.contextId);
  ReadString(value, "contextName", path, command.contextName);
  ReadString(value, "commandId", path, command.commandId);
  ReadString(value, "commandName", path, command.commandName);
  return command;
}

LumetriParameter ReadParameter(const json& value, const std::string& path) {
  ExpectObject(value, path, {"id", "name", "min", "max", "default", "value"});
  LumetriParameter parameter;
  ReadString(value, "id", path, parameter.id);
  ReadString(value, "name", path, parameter.name);
  ReadFloat(value, "min", path, parameter.minimum);
  ReadFloat(value, "max", path, parameter.maximum);
  parameter.defaultValue =
      std::min(std::max(0.0f, parameter.minimum), std::max(parameter.minimum, parameter.maximum));
  ReadFloat(value, "default", path, parameter.defaultValue);
  parameter.value = parameter.defaultValue;
  ReadFloat(value, "value", path, parameter.value);
  return parameter;
}

LumetriMenu ReadMenu(const json& value, const std::string& path) {
  ExpectObject(value, path, {"id", "name", "choices", "value"});
  LumetriMenu menu;
  ReadString(value, "id", path, menu.id);
  ReadString(value, "name", path, menu.name);
  if (const json* choices = ArrayMember(value, "choices", path)) {
    for (std::size_t i = 0; i < choices->size(); ++i) {
      const json& choice = (*choices)[i];
      if (!choice.is_string()) {
        RefuseType(Element(Child(path, "choices"), i), "a string", choice);
      }
      menu.choices.push_back(choice.get<std::string>());
    }
  }
  ReadUnsigned(value, "value", path, menu.value);
  return menu;
}

Lumetri ReadLumetri(const json& value, const std::string& path) {
  ExpectObject(value, path, {"parameters", "menus", "panelMode"});
  Lumetri lumetri;
  if (const json* parameters = ArrayMember(value, "parameters", path)) {
    for (std::size_t i = 0; i < parameters->size(); ++i) {
      lumetri.parameters.push_back(
          ReadParameter((*parameters)[i], Element(Child(path, "parameters"), i)));
    }
  }
  if (const json* menus = ArrayMember(value, "menus", path)) {
    for (std::size_t i = 0; i < menus->size(); ++i) {
      lumetri.menus.push_back(ReadMenu((*menus)[i], Element(Child(path, "menus"), i)));
    }
  }
  ReadUnsigned(value, "panelMode", path, lumetri.panelMode);
  return lumetri;
}

Component ReadComponent(const json& value, const std::string& path, std::size_t position) {
  ExpectObject(value, path, {"index", "name", "bypass", "parameters"});
  Component component;
  component.index = static_cast<uint32_t>(position);
  ReadUnsigned(value, "index", path, component.index);
  ReadString(value, "name", path, component.name);
  ReadFlag(value, "bypass", path, component.bypass);
  if (const json* parameters = ArrayMember(value, "parameters", path)) {
    for (std::size_t i = 0; i < parameters->size(); ++i) {
      const json& item = (*parameters)[i];
      const std::string itemPath = Element(Child(path, "parameters"), i);
      ExpectObject(item, itemPath, {"name", "value", "text"});
      ComponentParameter parameter;
      ReadString(item, "name", itemPath, parameter.name);
      ReadFloat(item, "value", itemPath, parameter.value);
      ReadString(item, "text", itemPath, parameter.text);
      component.parameters.push_back(parameter);
    }
  }
  return component;
}

MixerChannel ReadChannel(const json& value, const std::string& path, std::size_t row) {
  ExpectObject(value, path,
               {"id", "name", "states", "volume", "flags", "audioChannels", "audioChannelValue",
                "panType", "components"});
  MixerChannel channel;
  channel.id = static_cast<uint32_t>(row);
  ReadUnsigned(value, "id", path, channel.id);
  ReadString(value, "name", path, channel.name);
  if (const json* states = ArrayMember(value, "states", path)) {
    if (states->size() > kChannelStateCount) {
      Refuse(Child(path, "states"), "has more than 6 entries");
    }
    for (std::size_t s = 0; s < states->size(); ++s) {
      channel.states[s] = ToFlag((*states)[s], Element(Child(path, "states"), s));
    }
  }
  ReadFloat(value, "volume", path, channel.volume);
  ReadUnsigned(value, "flags", path, channel.flags);
  ReadUnsigned(value, "audioChannels", path, channel.audioChannels);
  ReadFloat(value, "audioChannelValue", path, channel.audioChannelValue);
  ReadUnsigned(value, "panType", path, channel.panType);
  if (const json* components = ArrayMember(value, "components", path)) {
    for (std::size_t i = 0; i < components->size(); ++i) {
      channel.components.push_back(
          ReadComponent((*components)[i], Element(Child(path, "components"), i), i));
    }
  }
  return channel;
}

Mixer ReadMixer(const json& value, const std::string& path) {
  ExpectObject(value, path, {"channels"});
  Mixer mixer;
  if (const json* channels = ArrayMember(value, "channels", path)) {
    for (std::size_t i = 0; i < channels->size(); ++i) {
      mixer.channels.push_back(ReadChannel((*channels)[i], Element(Child(path, "channels"), i), i));
    }
  }
  return mixer;
}

ADOBESDK_Error ToCode(const json& value, const std::string& path) {
  if (!value.is_string()) {
    RefuseType(path, "a four-character code", value);
  }
  const std::string text = value.get<std::string>();
  if (text.size() != 4) {
    Refuse(path, "\"" + text + "\" is not four characters");
  }
  uint32_t code = 0;
  for (const char character : text) {
    code = code << 8 | static_cast<unsigned char>(character);
  }
  if (code == 0) {
    Refuse(path, "a code of four NULs would mean success");
  }
  return static_cast<ADOBESDK_Error>(code);
}

Project ReadProject(const json& value) {
  ExpectObject(value, "", {"commands", "lumetri", "mixer", "missingSuites", "failures"});
  Project project;
  if (const json* commands = ArrayMember(value, "commands", "")) {
    for (std::size_t i = 0; i < commands->size(); ++i) {
      project.commands.push_back(ReadCommand((*commands)[i], Element("commands", i)));
    }
  }
  if (const json* lumetri = Member(value, "lumetri")) {
    project.lumetri = ReadLumetri(*lumetri, "lumetri");
  }
  if (const json* mixer = Member(value, "mixer")) {
    project.mixer = ReadMixer(*mixer, "mixer");
  }
  if (const json* missing = ArrayMember(value, "missingSuites", "")) {
    for (std::size_t i = 0; i < missing->size(); ++i) {
      if (!(*missing)[i].is_string()) {
        RefuseType(Element("missingSuites", i), "a suite name", (*missing)[i]);
      }
      project.missingSuites.push_back((*missing)[i].get<std::string>());
    }
  }
  if (const json* failures = Member(value, "failures")) {
    if (!failures->is_object()) {
      RefuseType("failures", "an object", *failures);
    }
    for (const auto& item : failures->items()) {
      project.failures[item.key()] = ToCode(item.value(), Child("failures", item.key()));
    }
  }
  return project;
}

// nlohmann's messages start with an exception tag that says nothing to a fixture's author.
std::string WithoutExceptionTag(const std::string& message) {
  const std::size_t end = message.find("] ");
  return message.rfind("[json.exception", 0) == 0 && end != std::string::npos
             ? message.substr(end + 2)
             : message;
}

}  // namespace

ProjectResult ParseProject(const std::string& text, const std::string& source) {
  ProjectResult result;
  json document;
  try {
    document = json::parse(text);
  } catch (const json::parse_error& error) {
    result.error = source + ": malformed JSON: " + WithoutExceptionTag(error.what());
    return result;
  }
  try {
    Project project = ReadProject(document);
    if (std::string problem = ProjectProblem(project); !problem.empty()) {
      result.error = source + ": " + problem;
      return result;
    }
    result.project = std::move(project);
  } catch (const FixtureProblem& problem) {
    result.error = source + ": " + problem.message;
  }
  return result;
}

ProjectResult LoadProjectFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    ProjectResult result;
    result.error = path + ": cannot be read: " + std::strerror(errno);
    return result;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return ParseProject(text.str(), path);
}

}  // namespace dialforge_host
