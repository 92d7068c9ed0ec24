#include "client/RequestCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <string_view>
#include <vector>

#include "grammar/RequestGrammar.h"

namespace dialforge_client {

namespace {

// The longest line the plug-in takes; a longer one is dropped.
constexpr std::size_t kLongestRequest = 131071;

using VazezeveDudOzizezUziriv::ArgumentKind;
using VazezeveDudOzizezUziriv::FindRequestRule;
using VazezeveDudOzizezUziriv::FindSnapshotRule;
using VazezeveDudOzizezUziriv::kJogDialFields;
using VazezeveDudOzizezUziriv::kPanelModeCount;
using VazezeveDudOzizezUziriv::kRequestRules;
using VazezeveDudOzizezUziriv::kSnapshotRules;
using VazezeveDudOzizezUziriv::kTransportKeywords;
using VazezeveDudOzizezUziriv::ReadNavigation;
using VazezeveDudOzizezUziriv::RequestRule;
using VazezeveDudOzizezUziriv::SnapshotRule;

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

bool SameIgnoringCase(std::string_view first, std::string_view second) {
  return first.size() == second.size() &&
         std::equal(first.begin(), first.end(), second.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

// " (names are case-sensitive)" when the name differs from a known one only in case.
template <typename Names>
std::string CaseHint(const std::string& name, const Names& known, const char* what) {
  for (const auto& candidate : known) {
    if (SameIgnoringCase(name, candidate)) {
      return std::string(" (") + what + " are case-sensitive)";
    }
  }
  return std::string();
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

// The snapshot names of protocol 1.
std::vector<std::string_view> SnapshotNames() {
  std::vector<std::string_view> names;
  for (const SnapshotRule& rule : kSnapshotRules) {
    if (rule.protocol1) {
      names.push_back(rule.name);
    }
  }
  return names;
}

// Why the plug-in will not do what the argument in the field seems to ask; empty when it will.
std::string ArgumentProblem(ArgumentKind kind, const std::vector<std::string>& fields,
                            std::size_t field) {
  const std::string& text = fields[field];
  switch (kind) {
    case ArgumentKind::Snapshot:
      if (FindSnapshotRule(text, true) == nullptr) {
        const std::vector<std::string_view> known = SnapshotNames();
        std::string names;
        for (const std::string_view name : known) {
          names += (names.empty() ? "" : ", ") + std::string(name);
        }
        const std::string hint = CaseHint(text, known, "names");
        return "unknown snapshot '" + Printable(text) + "'" +
               (hint.empty() ? " (names: " + names + ")" : hint) + ": the reply is empty";
      }
      break;
    case ArgumentKind::Transport:
      if (std::find(std::begin(kTransportKeywords), std::end(kTransportKeywords), text) ==
          std::end(kTransportKeywords)) {
        return "unknown transport keyword '" + Printable(text) + "'" +
               CaseHint(text, kTransportKeywords, "transport keywords");
      }
      if (text == "JogDial" && fields.size() < kJogDialFields) {
        return FieldCountProblem("JogDial", kJogDialFields, fields.size());
      }
      break;
    case ArgumentKind::Decimal:
      if (!LumetriValue(text)) {
        return "the value '" + Printable(text) +
               "' is no number the plug-in reads (digits, one point or comma, minus signs): it "
               "changes nothing";
      }
      break;
    case ArgumentKind::PanelMode: {
      const std::optional<int32_t> mode = PanelModeNumber(text);
      if (!mode) {
        return "the panel mode '" + Printable(text) +
               "' is no 32-bit number the plug-in reads (digits, a minus sign): it changes "
               "nothing";
      }
      if (*mode < 0 || *mode >= kPanelModeCount) {
        return "panel mode " + std::to_string(*mode) +
               " is not one of 0 to 6: the plug-in refuses it";
      }
      break;
    }
    case ArgumentKind::Navigation:
      if (VazezeveDudOzizezUziriv::NavigationStep step; !ReadNavigation(text, &step)) {
        return "Navigate needs four values separated by commas: the plug-in ignores it";
      }
      break;
    case ArgumentKind::Ignored:
    case ArgumentKind::Name:
      break;
  }
  return std::string();
}

}  // namespace

std::optional<float> LumetriValue(const std::string& text) {
  return VazezeveDudOzizezUziriv::ReadDecimal(text);
}

std::optional<int32_t> PanelModeNumber(const std::string& text) {
  return VazezeveDudOzizezUziriv::ReadInteger(text);
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
  const RequestRule* rule = fields.size() >= 2 ? FindRequestRule(fields[1]) : nullptr;
  if (request.size() <= kLongestRequest && rule != nullptr && rule->answered &&
      fields.size() >= rule->fields) {
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
  const RequestRule* known = FindRequestRule(keyword);
  if (known == nullptr) {
    std::vector<std::string_view> names;
    for (const RequestRule& candidate : kRequestRules) {
      names.push_back(candidate.keyword);
    }
    return "unknown keyword '" + Printable(keyword) + "'" + CaseHint(keyword, names, "keywords");
  }
  if (fields.size() < known->fields) {
    return FieldCountProblem(keyword, known->fields, fields.size());
  }
  for (std::size_t field = 2; field < known->fields && field - 2 < std::size(known->arguments);
       ++field) {
    const std::string problem = ArgumentProblem(known->arguments[field - 2], fields, field);
    if (!problem.empty()) {
      return problem;
    }
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
