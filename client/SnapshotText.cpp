#include "client/SnapshotText.h"

#include <cstdio>

namespace dialforge_client {

namespace {

using json = nlohmann::ordered_json;

std::string Text(const json& value) {
  return value.is_null() ? std::string() : value.get<std::string>();
}

std::string Integer(const json& value) {
  return value.is_null() ? "0" : std::to_string(value.get<long long>());
}

std::string Decimal(const json& value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", value.is_null() ? 0.0 : value.get<double>());
  return text;
}

std::string Flag(const json& value) {
  return value.is_boolean() && value.get<bool>() ? "1" : "0";
}

std::string Mixer(const json& result) {
  const json& channels = result.at("channels");
  std::string text = "$ | Mixer | Channels | " + std::to_string(channels.size()) +
                     "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number "
                     "Audio Channels | Audio Channels | Pan Type \n";
  for (const json& channel : channels) {
    const std::string row = Integer(channel.at("row"));
    std::string states;
    for (const json& state : channel.at("states")) {
      states += row + "-" + Flag(state) + ",";
    }
    text += row + "|" + Integer(channel.at("id")) + "|" + Text(channel.at("name")) + "|" + states +
            "|" + Decimal(channel.at("volume")) + "|" + Integer(channel.at("flags")) + "|" +
            Integer(channel.at("audioChannels")) + "|" + Decimal(channel.at("audioChannelValue")) +
            "|" + Integer(channel.at("panType")) + "|\n";
  }
  for (const json& channel : channels) {
    text +=
        "$ | Mixer | Components | 51N | Component Name | Bypass | Parameter Count | Parameters \n";
    for (const json& component : channel.at("components")) {
      text += Integer(component.at("index")) + "|" + Text(component.at("name")) + "|" +
              Flag(component.at("bypass")) + "|" + Integer(component.at("parameterCount")) + "|\n";
      for (const json& parameter : component.at("parameters")) {
        text += "---" + Integer(parameter.at("index")) + "," + Text(parameter.at("name")) + "," +
                Decimal(parameter.at("value")) + ", " + Text(parameter.at("text")) + "\n";
      }
    }
  }
  return text;
}

// One line per row, each field followed by "|" but the last.
std::string Rows(const json& rows, const char* const* names, std::size_t count, bool lastIsNumber) {
  std::string text;
  for (const json& row : rows) {
    for (std::size_t field = 0; field < count; ++field) {
      const json& value = row.at(names[field]);
      const bool last = field + 1 == count;
      text += (last && lastIsNumber ? Decimal(value) : Text(value)) + (last ? "\n" : "|");
    }
  }
  return text;
}

}  // namespace

std::string SnapshotText(const std::string& snapshot, const nlohmann::ordered_json& result) {
  static const char* const kCommandFields[] = {"contextId", "contextName", "commandId",
                                               "commandName"};
  static const char* const kRowFields[] = {"id", "name", "value"};
  if (snapshot == "Mixer") {
    return Mixer(result);
  }
  if (snapshot == "Commands") {
    return Rows(result.at("commands"), kCommandFields, 4, false);
  }
  if (snapshot == "LumetriParameters") {
    return Rows(result.at("parameters"), kRowFields, 3, true);
  }
  if (snapshot == "LumetriMenu") {
    return Rows(result.at("menus"), kRowFields, 3, false);
  }
  return result.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace dialforge_client
