#include "client/RequestCheck.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace dialforge_client {

namespace {

// The longest line the plug-in takes; a longer one is dropped.
constexpr std::size_t kLongestRequest = 131071;

struct Keyword {
  const char* name;
  std::size_t fields;  // the fields the plug-in needs before it acts
};

constexpr Keyword kKeywords[] = {
    {"ChangeLumetri", 4},      {"ChangeLumetriMenuValue", 3}, {"ChangeLumetriPanelMode", 3},
    {"ChangeMixer", 3},        {"ExecuteCommand", 4},         {"Navigate", 3},
    {"ResetChangeLumetri", 3}, {"GetParameters", 3},          {"Transport", 3},
};

const char* const kSnapshots[] = {"Commands", "LumetriMenu", "LumetriParameters", "Mixer"};

const char* const kTransportKeywords[] = {
    "BeginRewind", "EndRewind",   "BeginForward", "EndForward",   "Stop",     "Play",
    "Record",      "Pause",       "ToggleCycle",  "GotoPrevious", "GotoNext", "GotoStart",
    "ShuttleLeft", "ShuttleStop", "ShuttleRight", "JogDial"};
constexpr std::size_t kJogDialFields = 6;
constexpr std::size_t kNavigateValues = 4;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

// Cut at "|" as the plug-in cuts it: a NUL ends the text, and a trailing "|" gives no empty last
// field.
std::vector<std::string> RequestFields(const std::string& request) {
  return Split(request.substr(0, request.find('\0')), '|');
}

bool SameIgnoringCase(const std::string& first, const std::string& second) {
  return first.size() == second.size() &&
         std::equal(first.begin(), first.end(), second.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

// " (names are case-sensitive)" when the name differs from a known one only in case.
template <typename Names>
std::string CaseHint(const std::string& name, const Names& known, const char* what) {
  for (const char* candidate : known) {
    if (SameIgnoringCase(name, candidate)) {
      return std::string(" (") + what + " are case-sensitive)";
    }
  }
  return std::string();
}

template <typename Names>
bool Knows(const Names& known, const std::string& name) {
  return std::any_of(std::begin(known), std::end(known),
                     [&](const char* candidate) { return name == candidate; });
}

bool IsDigit(char character) {
  return character >= '0' && character <= '9';
}

// A request line as a browser sends it (ending in " HTTP/", a digit and perhaps a point and a
// second digit), or a "Host:" header line: the plug-in closes the connection.
bool LooksLikeHttp(std::string line) {
  if (SameIgnoringCase(line.substr(0, 5), "host:")) {
    return true;
  }
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  if (line.size() >= 2 && line[line.size() - 2] == '.' && IsDigit(line.back())) {
    line.resize(line.size() - 2);
  }
  const std::string marker = " HTTP/";
  return line.size() > marker.size() && IsDigit(line.back()) &&
         line.compare(line.size() - 1 - marker.size(), marker.size(), marker) == 0;
}

std::string FieldCountProblem(const std::string& what, std::size_t needed, std::size_t has) {
  return what + " needs " + std::to_string(needed) + " fields, the request has " +
         std::to_string(has) + ": the plug-in ignores it";
}

// The panel modes the plug-in passes to the host; it refuses others.
constexpr int32_t kPanelModeCount = 7;

}  // namespace

std::optional<float> LumetriValue(const std::string& text) {
  double value = 0.0;
  double divisor = 1.0;
  bool separatorSeen = false;
  for (const char byte : text) {
    if (byte == '.' || byte == ',') {
      if (separatorSeen) {
        return std::nullopt;
      }
      separatorSeen = true;
    } else if (IsDigit(byte)) {
      value = value * 10.0 + (byte - '0');
      divisor *= separatorSeen ? 10.0 : 1.0;
    } else if (byte == '-') {
      divisor = -divisor;
    } else {
      return std::nullopt;
    }
  }
  const float result = static_cast<float>(value / divisor);
  return std::isfinite(result) ? std::optional<float>(result) : std::nullopt;
}

std::optional<int32_t> PanelModeNumber(const std::string& text) {
  constexpr int64_t kLargestMagnitude = int64_t{1} << 31;
  int64_t magnitude = 0;
  bool negative = false;
  for (const char byte : text) {
    if (IsDigit(byte)) {
      magnitude = magnitude * 10 + (byte - '0');
      if (magnitude > kLargestMagnitude) {
        return std::nullopt;
      }
    } else if (byte == '-') {
      negative = true;
    } else {
      return std::nullopt;
    }
  }
  if (!negative && magnitude == kLargestMagnitude) {
    return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::optional<std::string> RequestId(const std::string& request) {
  if (request.size() > kLongestRequest) {
    return std::nullopt;
  }
  const std::vector<std::string> fields = RequestFields(request);
  return fields.empty() ? std::string() : fields[0];
}

std::optional<Answered> AnsweredRequest(const std::string& request) {
  const std::vector<std::string> fields = RequestFields(request);
  if (request.size() <= kLongestRequest && fields.size() >= 3 && fields[1] == "GetParameters") {
    return Answered{fields[0], fields[2]};
  }
  return std::nullopt;
}

std::string RequestProblem(const std::string& request) {
  if (request.size() > kLongestRequest) {
    return "the request is longer than " + std::to_string(kLongestRequest) +
           " bytes: the plug-in drops it";
  }
  if (LooksLikeHttp(request)) {
    return "the request looks like HTTP: the plug-in closes the connection and runs nothing after "
           "it";
  }
  if (!request.empty() && request.back() == '\r') {
    return "the request ends in a carriage return, which the plug-in keeps in its last field: "
           "end requests with a bare line feed";
  }
  const std::vector<std::string> fields = RequestFields(request);
  if (fields.size() < 3) {
    return "the request has fewer than three fields: the plug-in drops it";
  }
  const std::string& keyword = fields[1];
  const Keyword* known = nullptr;
  for (const Keyword& candidate : kKeywords) {
    if (keyword == candidate.name) {
      known = &candidate;
    }
  }
  if (known == nullptr) {
    std::vector<const char*> names;
    for (const Keyword& candidate : kKeywords) {
      names.push_back(candidate.name);
    }
    return "unknown keyword '" + Printable(keyword) + "'" + CaseHint(keyword, names, "keywords");
  }
  if (fields.size() < known->fields) {
    return FieldCountProblem(keyword, known->fields, fields.size());
  }
  if (keyword == "GetParameters" && !Knows(kSnapshots, fields[2])) {
    const std::string hint = CaseHint(fields[2], kSnapshots, "names");
    return "unknown snapshot '" + Printable(fields[2]) + "'" +
           (hint.empty() ? " (names: Commands, LumetriMenu, LumetriParameters, Mixer)" : hint) +
           ": the reply is empty";
  }
  if (keyword == "Transport") {
    if (!Knows(kTransportKeywords, fields[2])) {
      return "unknown transport keyword '" + Printable(fields[2]) + "'" +
             CaseHint(fields[2], kTransportKeywords, "transport keywords");
    }
    if (fields[2] == "JogDial" && fields.size() < kJogDialFields) {
      return FieldCountProblem("JogDial", kJogDialFields, fields.size());
    }
  }
  if (keyword == "ChangeLumetri" && !LumetriValue(fields[3])) {
    return "the value '" + Printable(fields[3]) +
           "' is no number the plug-in reads (digits, one point or comma, minus signs): it "
           "changes nothing";
  }
  if (keyword == "ChangeLumetriPanelMode") {
    const std::optional<int32_t> mode = PanelModeNumber(fields[2]);
    if (!mode) {
      return "the panel mode '" + Printable(fields[2]) +
             "' is no 32-bit number the plug-in reads (digits, a minus sign): it changes nothing";
    }
    if (*mode < 0 || *mode >= kPanelModeCount) {
      return "panel mode " + std::to_string(*mode) +
             " is not one of 0 to 6: the plug-in refuses it";
    }
  }
  if (keyword == "Navigate" && Split(fields[2], ',').size() != kNavigateValues) {
    return "Navigate needs four values separated by commas: the plug-in ignores it";
  }
  return std::string();
}

std::string Printable(const std::string& text) {
  std::string shown;
  for (const char byte : text) {
    if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(byte));
      shown += escaped;
    } else {
      shown += byte;
    }
  }
  return shown;
}

}  // namespace dialforge_client
