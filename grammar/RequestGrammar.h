// The request grammar: every keyword both protocols know, the fields it needs and how each of
// its arguments is read, with the readers of its numbers, flags and navigation text. The plug-in
// reads requests by it, and dialforge-client checks them by it before they are sent (the client
// meets the plug-in only on the wire, so this header needs nothing else of ours).
#ifndef DIALFORGE_GRAMMAR_REQUESTGRAMMAR_H
#define DIALFORGE_GRAMMAR_REQUESTGRAMMAR_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace VazezeveDudOzizezUziriv {

// How an argument field is read.
enum class ArgumentKind : uint8_t {
  Ignored,     // nothing reads it
  Name,        // an identifier or command text, handed to the host as it is
  Decimal,     // ReadDecimal
  PanelMode,   // ReadInteger; modes 0 to kPanelModeCount - 1 reach the host
  Navigation,  // ReadNavigation: a flag, two atoi integers and a flag, comma-separated
  Transport,   // a transport keyword; JogDial reads kJogDialFields
  Snapshot,    // a snapshot name
};

struct RequestRule {
  std::string_view keyword;
  size_t fields;              // fields the request needs: the id, the keyword and its arguments
  ArgumentKind arguments[2];  // fields 2 and 3
  bool answered = false;      // answered with a snapshot in protocol 1 too
};

// Keywords are matched whole and case-sensitively; fields after those a request reads are
// ignored. Protocol 2's own requests (Hello, Ping, Bye, Subscribe) are its session's.
constexpr RequestRule kRequestRules[] = {
    {"ChangeLumetri", 4, {ArgumentKind::Name, ArgumentKind::Decimal}},
    {"ChangeLumetriMenuValue", 3, {ArgumentKind::Name}},
    {"ChangeLumetriPanelMode", 3, {ArgumentKind::PanelMode}},
    {"ChangeMixer", 3, {ArgumentKind::Ignored}},
    {"ExecuteCommand", 4, {ArgumentKind::Name, ArgumentKind::Name}},
    {"Navigate", 3, {ArgumentKind::Navigation}},
    {"ResetChangeLumetri", 3, {ArgumentKind::Name}},
    {"GetParameters", 3, {ArgumentKind::Snapshot}, true},
    {"Transport", 3, {ArgumentKind::Transport}},
};

struct SnapshotRule {
  std::string_view name;
  bool protocol1;  // false: protocol 2 alone has it
};

constexpr SnapshotRule kSnapshotRules[] = {
    {"Commands", true}, {"LumetriMenu", true}, {"LumetriParameters", true},
    {"Mixer", true},    {"Transport", false},
};

// In the order of the host transport suite's operations; JogDial, the last, reads three more
// fields (two values and a flag).
constexpr std::string_view kTransportKeywords[] = {
    "BeginRewind", "EndRewind",   "BeginForward", "EndForward",   "Stop",     "Play",
    "Record",      "Pause",       "ToggleCycle",  "GotoPrevious", "GotoNext", "GotoStart",
    "ShuttleLeft", "ShuttleStop", "ShuttleRight", "JogDial"};
constexpr size_t kJogDialFields = 6;
constexpr int32_t kPanelModeCount = 7;
constexpr size_t kNavigationValues = 4;

constexpr const RequestRule* FindRequestRule(std::string_view keyword) {
  for (const RequestRule& rule : kRequestRules) {
    if (rule.keyword == keyword) {
      return &rule;
    }
  }
  return nullptr;
}

// Nothing for a name that is no snapshot of the protocol.
constexpr const SnapshotRule* FindSnapshotRule(std::string_view name, bool protocol1) {
  for (const SnapshotRule& rule : kSnapshotRules) {
    if (rule.name == name && (rule.protocol1 || !protocol1)) {
      return &rule;
    }
  }
  return nullptr;
}

// Digits with one decimal separator, a point or a comma; every minus sign, wherever it stands,
// flips the sign; empty text is 0. Nothing for other text and for a value no float holds.
inline std::optional<float> ReadDecimal(std::string_view text) {
  double value = 0.0;
  double divisor = 1.0;
  bool separatorSeen = false;
  for (const char byte : text) {
    if (byte == '.' || byte == ',') {
      if (separatorSeen) {
        return std::nullopt;
      }
      separatorSeen = true;
    } else if (byte >= '0' && byte <= '9') {
      value = value * 10.0 + (byte - '0');
      if (separatorSeen) {
        divisor *= 10.0;
      }
    } else if (byte == '-') {
      divisor = -divisor;
    } else {
      return std::nullopt;
    }
  }
  // Hundreds of digits overflow to infinity, or to NaN beside a divisor that overflowed too; a
  // value beyond the float range overflows in the conversion. None of that may reach the host.
  const float result = static_cast<float>(value / divisor);
  return std::isfinite(result) ? std::optional<float>(result) : std::nullopt;
}

// Digits; a minus sign anywhere makes the number negative; empty text is 0. Nothing for other
// text and for a number beyond 32 signed bits, which is refused rather than wrapped: a wrapped
// number would reach the host as another mode.
inline std::optional<int32_t> ReadInteger(std::string_view text) {
  constexpr int64_t kMostNegative = -static_cast<int64_t>(std::numeric_limits<int32_t>::min());
  int64_t magnitude = 0;
  bool negative = false;
  for (const char byte : text) {
    if (byte >= '0' && byte <= '9') {
      magnitude = magnitude * 10 + (byte - '0');
      if (magnitude > kMostNegative) {
        return std::nullopt;
      }
    } else if (byte == '-') {
      negative = true;
    } else {
      return std::nullopt;
    }
  }
  if (!negative && magnitude > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

// A flag is true exactly when its field is "1".
inline bool ReadFlag(std::string_view field) {
  return field == "1";
}

// As the C library's atoi reads a number (leading white space, a sign, digits up to the first
// other character, 0 without a number), with values beyond 32 bits held at the nearest limit.
inline int32_t ReadLeadingInteger(const std::string& text) {
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > std::numeric_limits<int32_t>::max()) {
    return std::numeric_limits<int32_t>::max();
  }
  if (value < std::numeric_limits<int32_t>::min()) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(value);
}

// A navigation step: four comma-separated pieces, a flag, two integers and a flag.
struct NavigationStep {
  bool firstFlag = false;
  int32_t first = 0;
  int32_t second = 0;
  bool secondFlag = false;
};

// False when the text is not exactly four pieces; a comma at the very end gives no empty last
// piece.
inline bool ReadNavigation(std::string_view text, NavigationStep* step) {
  std::string pieces[kNavigationValues];
  size_t count = 0;
  for (size_t start = 0; start < text.size(); ++count) {
    if (count == kNavigationValues) {
      return false;
    }
    const size_t end = std::min(text.find(',', start), text.size());
    pieces[count] = std::string(text.substr(start, end - start));
    start = end + 1;
  }
  if (count != kNavigationValues) {
    return false;
  }
  step->firstFlag = ReadFlag(pieces[0]);
  step->first = ReadLeadingInteger(pieces[1]);
  step->second = ReadLeadingInteger(pieces[2]);
  step->secondFlag = ReadFlag(pieces[3]);
  return true;
}

}  // namespace VazezeveDudOzizezUziriv

#endif
