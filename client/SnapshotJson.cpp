#include "client/SnapshotJson.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace dialforge_client {

namespace {

using json = nlohmann::ordered_json;

const std::string kChannelTitle = "$ | Mixer | Channels | ";
const std::string kComponentTitle = "$ | Mixer | Components | ";

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos;
       at = text.find(separator, start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

// The lines of a snapshot text; every line ends in a line feed.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines = Split(text, '\n');
  if (lines.back().empty()) {
    lines.pop_back();
  } else {
    throw std::runtime_error("the last line has no line feed");
  }
  return lines;
}

unsigned long ToUnsigned(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0') {
    throw std::runtime_error(what + " is not a number: '" + text + "'");
  }
  return value;
}

double ToDouble(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') {
    throw std::runtime_error(what + " is not a number: '" + text + "'");
  }
  return value;
}

std::vector<std::string> Fields(const std::string& line, size_t count, const std::string& what) {
  std::vector<std::string> fields = Split(line, '|');
  if (fields.size() != count) {
    throw std::runtime_error(what + " has " + std::to_string(fields.size()) +
                             " fields instead of " + std::to_string(count) + ": '" + line + "'");
  }
  return fields;
}

json Channel(const std::string& line) {
  // Nine fields, each followed by "|".
  const std::vector<std::string> fields = Fields(line, 10, "channel row");
  json states = json::array();
  const std::vector<std::string> entries = Split(fields[3], ',');
  if (entries.size() != 7 || !entries.back().empty()) {
    throw std::runtime_error("channel states are not six entries: '" + fields[3] + "'");
  }
  for (size_t state = 0; state < 6; ++state) {
    const size_t dash = entries[state].find('-');
    if (dash == std::string::npos) {
      throw std::runtime_error("channel state has no '-': '" + entries[state] + "'");
    }
    states.push_back(ToUnsigned(entries[state].substr(dash + 1), "channel state") != 0);
  }
  return json{{"row", ToUnsigned(fields[0], "channel row")},
              {"id", ToUnsigned(fields[1], "channel id")},
              {"name", fields[2]},
              {"states", states},
              {"volume", ToDouble(fields[4], "volume")},
              {"flags", ToUnsigned(fields[5], "flags")},
              {"audioChannels", ToUnsigned(fields[6], "audio channel count")},
              {"audioChannelValue", ToDouble(fields[7], "audio channel value")},
              {"panType", ToUnsigned(fields[8], "pan type")},
              {"components", json::array()}};
}

json Parameter(const std::string& line) {
  // "---", index, ",", name, ",", value, ", ", text.
  const size_t firstComma = line.find(',');
  const size_t textStart = line.find(", ", firstComma + 1);
  const size_t valueComma = line.rfind(',', textStart - 1);
  if (firstComma == std::string::npos || textStart == std::string::npos ||
      valueComma <= firstComma) {
    throw std::runtime_error("parameter line does not fit: '" + line + "'");
  }
  return json{{"index", ToUnsigned(line.substr(3, firstComma - 3), "parameter index")},
              {"name", line.substr(firstComma + 1, valueComma - firstComma - 1)},
              {"value", ToDouble(line.substr(valueComma + 1, textStart - valueComma - 1), "value")},
              {"text", line.substr(textStart + 2)}};
}

json Mixer(const std::string& text) {
  const std::vector<std::string> lines = Lines(text);
  if (lines.empty() || lines[0].compare(0, kChannelTitle.size(), kChannelTitle) != 0) {
    throw std::runtime_error("no channel table");
  }
  const size_t countEnd = lines[0].find('N', kChannelTitle.size());
  const unsigned long channelCount = ToUnsigned(
      lines[0].substr(kChannelTitle.size(), countEnd - kChannelTitle.size()), "channel count");
  if (lines.size() < 1 + channelCount) {
    throw std::runtime_error("fewer channel rows than the count says");
  }
  json channels = json::array();
  for (size_t row = 0; row < channelCount; ++row) {
    channels.push_back(Channel(lines[1 + row]));
  }
  // The k-th component table belongs to the channel in row k.
  int table = -1;
  for (size_t at = 1 + channelCount; at < lines.size(); ++at) {
    const std::string& line = lines[at];
    if (line.compare(0, kComponentTitle.size(), kComponentTitle) == 0) {
      if (++table >= static_cast<int>(channels.size())) {
        throw std::runtime_error("more component tables than channels");
      }
    } else if (table < 0) {
      throw std::runtime_error("a row before the first component table: '" + line + "'");
    } else if (line.compare(0, 3, "---") == 0) {
      json& components = channels[table]["components"];
      if (components.empty()) {
        throw std::runtime_error("a parameter line before any component: '" + line + "'");
      }
      components.back()["parameters"].push_back(Parameter(line));
    } else {
      const std::vector<std::string> fields = Fields(line, 5, "component row");
      channels[table]["components"].push_back(
          json{{"index", ToUnsigned(fields[0], "component index")},
               {"name", fields[1]},
               {"bypass", ToUnsigned(fields[2], "bypass") != 0},
               {"parameterCount", ToUnsigned(fields[3], "parameter count")},
               {"parameters", json::array()}});
    }
  }
  return json{{"channels", channels}};
}

json Rows(const std::string& text, const std::string& key, const std::vector<std::string>& names,
          bool lastIsNumber) {
  json rows = json::array();
  for (const std::string& line : Lines(text)) {
    const std::vector<std::string> fields = Fields(line, names.size(), key + " row");
    json row;
    for (size_t field = 0; field < names.size(); ++field) {
      if (lastIsNumber && field + 1 == names.size()) {
        row[names[field]] = ToDouble(fields[field], names[field]);
      } else {
        row[names[field]] = fields[field];
      }
    }
    rows.push_back(row);
  }
  return json{{key, rows}};
}

}  // namespace

nlohmann::ordered_json ReplyToJson(const std::string& id, const std::string& snapshotName,
                                   const std::string& text) {
  json result = json::object();
  if (snapshotName == "Mixer") {
    result = text.empty() ? json{{"channels", json::array()}} : Mixer(text);
  } else if (snapshotName == "Commands") {
    result =
        Rows(text, "commands", {"contextId", "contextName", "commandId", "commandName"}, false);
  } else if (snapshotName == "LumetriParameters") {
    result = Rows(text, "parameters", {"id", "name", "value"}, true);
  } else if (snapshotName == "LumetriMenu") {
    result = Rows(text, "menus", {"id", "name", "value"}, false);
  }
  return json{{"id", id}, {"snapshot", snapshotName}, {"format", kJsonFormat}, {"result", result}};
}

std::string JsonLineText(const nlohmann::ordered_json& line) {
  const std::string dumped = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string text;
  text.reserve(dumped.size());
  for (std::size_t at = 0; at < dumped.size(); ++at) {
    const unsigned char byte = static_cast<unsigned char>(dumped[at]);
    // Outside its strings a dump is ASCII, and it is well-formed UTF-8: a 0xC2 has its second byte.
    const bool control =
        byte == 0x7F || (byte == 0xC2 && static_cast<unsigned char>(dumped[at + 1]) < 0xA0);
    if (control) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x",
                    byte == 0x7F ? byte : static_cast<unsigned char>(dumped[++at]));
      text += escaped;
    } else {
      text += static_cast<char>(byte);
    }
  }
  return text;
}

}  // namespace dialforge_client
