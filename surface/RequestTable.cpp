#include "surface/RequestTable.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include "compose/ComposeHelper.h"
#include "compose/JsonSnapshots.h"
#include "grammar/RequestGrammar.h"
#include "surface/Protocol2Json.h"
#include "surface/RequestParsing.h"
#include "trace/Printable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

// One request on its way to its handler: its fields, the numbers read from them, and the answer
// a snapshot goes into.
struct RequestCall {
  Dialforge& surface;
  std::vector<std::string>& fields;
  Protocol protocol;
  std::string& answer;
  SnapshotParts* parts;
  float decimal = 0.0f;
  int32_t integer = 0;
};

RequestOutcome Failed(RequestError error, std::string message) {
  return RequestOutcome::Failed(error, std::move(message));
}

// The one choice of composer by snapshot name, for the text writer (protocol 1) and the JSON
// writer (protocol 2) alike, over the same host readings. Gives what is missing when the host did
// not give the suite the snapshot reads, and composes nothing then (as a text composer does for a
// null suite).
template <typename Writer>
const char* Compose(const Writer& writer, std::string_view name, Dialforge& surface,
                    std::string& out) {
  if (name == "Commands") {
    if (surface.GetCommandSuite() == nullptr) {
      return "Command suite not available";
    }
    writer.ComposeCommands(surface.GetCommandSuite(), surface.GetHostCommandRef(), out);
  } else if (name == "Mixer") {
    if (surface.GetMixerSuite() == nullptr) {
      return "Mixer suite not available";
    }
    writer.ComposeMixer(surface.GetMixerSuite(), surface.GetHostMixerRef(), out);
  } else if (surface.GetLumetriSuite() == nullptr) {
    return "Lumetri suite not available";
  } else if (name == "LumetriMenu") {
    writer.ComposeLumetriMenu(surface.GetLumetriSuite(), surface.GetHostLumetriRef(), out);
  } else {  // LumetriParameters: the grammar knows no other name that reaches here
    writer.ComposeLumetriParameters(surface.GetLumetriSuite(), surface.GetHostLumetriRef(), out);
  }
  return nullptr;
}

RequestOutcome GetParameters(RequestCall& call) {
  const std::string& name = call.fields[2];
  const bool protocol1 = call.protocol == Protocol::First;
  if (protocol1) {
    // Composed straight behind the request id, so the reply is never copied again.
    call.answer = std::move(call.fields[0]);
    call.answer += '|';
  }
  const SnapshotRule* rule = FindSnapshotRule(name, protocol1);
  if (rule == nullptr) {
    Tracer::TRACE("Unknown GetParameters command '%s'", Printable(name).c_str());
    return Failed(RequestError::UnknownSnapshot, "No snapshot is called " + Printable(name));
  }
  const ComposeHelper* current = ComposeHelper::GetInstance();
  if (protocol1) {
    if (current != nullptr) {
      Compose(ComposeHelper(*current), rule->name, call.surface, call.answer);
    }
    return RequestOutcome::Ok();
  }
  call.answer += ",\"snapshot\":\"";
  call.answer += rule->name;
  call.answer += "\",\"result\":";
  if (rule->name == "Transport") {
    AppendTransportState(call.answer, call.surface.Notifications().Transport(nullptr));
    return RequestOutcome::Ok();
  }
  const char* missing = nullptr;
  if (call.parts != nullptr && SnapshotParts::ComposedInParts(rule->name)) {
    call.parts->Open(rule->name, call.surface, call.answer, &missing);
    return missing == nullptr ? RequestOutcome::Ok() : Failed(RequestError::Unavailable, missing);
  }
  const JsonSnapshots writer(current != nullptr ? current->StringSuite() : nullptr);
  missing = Compose(writer, rule->name, call.surface, call.answer);
  return missing == nullptr ? RequestOutcome::Ok() : Failed(RequestError::Unavailable, missing);
}

struct RequestHandler {
  std::string_view keyword;
  RequestOutcome (*run)(RequestCall& call);
};

// Row by row as the grammar's requests.
constexpr RequestHandler kRequestHandlers[] = {
    {"ChangeLumetri",
     [](RequestCall& call) {
       return call.surface.ChangeLumetriParameter(call.fields[2], call.decimal);
     }},
    {"ChangeLumetriMenuValue",
     [](RequestCall& call) { return call.surface.ChangeLumetriMenu(call.fields[2]); }},
    // A negative number arrives as a large mode, which SetMode refuses.
    {"ChangeLumetriPanelMode",
     [](RequestCall& call) {
       return call.surface.SetMode(static_cast<unsigned int>(call.integer));
     }},
    {"ChangeMixer", [](RequestCall&) { return RequestOutcome::Ok(); }},
    {"ExecuteCommand",
     [](RequestCall& call) { return call.surface.ExecuteCommand(call.fields[2], call.fields[3]); }},
    {"Navigate", [](RequestCall& call) { return call.surface.Navigate(call.fields[2]); }},
    {"ResetChangeLumetri",
     [](RequestCall& call) { return call.surface.ResetParameter(call.fields[2]); }},
    {"GetParameters", GetParameters},
    {"Transport", [](RequestCall& call) { return call.surface.Transport(std::move(call.fields)); }},
};

constexpr bool FollowsTheGrammar() {
  if (std::size(kRequestHandlers) != std::size(kRequestRules)) {
    return false;
  }
  for (size_t row = 0; row < std::size(kRequestRules); ++row) {
    if (kRequestHandlers[row].keyword != kRequestRules[row].keyword) {
      return false;
    }
  }
  return true;
}
static_assert(FollowsTheGrammar(), "a handler for each request of the grammar, in its order");

// Reads the numbers among the fields the request needs; the outcome when one is refused.
std::optional<RequestOutcome> ReadNumbers(const RequestRule& rule, RequestCall& call) {
  for (size_t field = 2; field < rule.fields && field - 2 < std::size(rule.arguments); ++field) {
    const ArgumentKind kind = rule.arguments[field - 2];
    const std::string& text = call.fields[field];
    // Protocol 1 reads an empty number as 0, which protocol 2 refuses as no number at all.
    const bool refusedEmpty = text.empty() && call.protocol == Protocol::Second;
    if (kind == ArgumentKind::Decimal) {
      const std::optional<float> value = ParseDouble(text);
      if (!value || refusedEmpty) {
        return Failed(RequestError::InvalidValue, "Not a number: " + Printable(text));
      }
      call.decimal = *value;
    } else if (kind == ArgumentKind::PanelMode) {
      const std::optional<int32_t> value = ParseInteger(text);
      if (!value || refusedEmpty) {
        return Failed(RequestError::InvalidValue, "Not an integer: " + Printable(text));
      }
      call.integer = *value;
    }
  }
  return std::nullopt;
}

}  // namespace

RequestOutcome RunRequest(Dialforge& surface, Protocol protocol, std::vector<std::string>& fields,
                          std::string& answer, SnapshotParts* parts) {
  const RequestRule* rule = FindRequestRule(fields[1]);
  if (rule == nullptr) {
    Tracer::TRACE("Unknown command '%s'", Printable(fields[1]).c_str());
    return Failed(RequestError::UnknownKeyword, "No request is called " + Printable(fields[1]));
  }
  if (fields.size() < rule->fields) {
    Tracer::TRACE("Invalid message");
    const size_t arguments = rule->fields - 2;
    return Failed(RequestError::InvalidMessage, std::string(rule->keyword) + " needs " +
                                                    std::to_string(arguments) +
                                                    (arguments == 1 ? " argument" : " arguments"));
  }
  RequestCall call{surface, fields, protocol, answer, parts};
  if (std::optional<RequestOutcome> refused = ReadNumbers(*rule, call)) {
    return *refused;
  }
  return kRequestHandlers[rule - kRequestRules].run(call);
}

}  // namespace VazezeveDudOzizezUziriv
