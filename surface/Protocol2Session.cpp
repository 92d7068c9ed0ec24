#include "surface/Protocol2Session.h"

#include <utility>

#include "compose/ComposeHelper.h"
#include "compose/JsonSnapshots.h"
#include "compose/JsonText.h"
#include "surface/HostFacts.h"
#include "surface/Protocol2Json.h"
#include "surface/RequestParsing.h"
#include "trace/Printable.h"
#include "trace/Tracer.h"

#ifndef DIALFORGE_PLUGIN_VERSION
#error "the build gives the plug-in's version"
#endif

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr const char* kHelloTail =
    ",\"protocol\":2,\"plugin\":\"Dialforge\",\"version\":\"" DIALFORGE_PLUGIN_VERSION
    "\",\"snapshots\":[\"Mixer\",\"Commands\",\"LumetriParameters\",\"LumetriMenu\","
    "\"Transport\"],\"events\":[\"Transport\",\"Mixer\"]";

// Digits only, naming 2 or more, however long.
bool SpeaksVersion2(const std::string& text) {
  if (text.empty()) {
    return false;
  }
  for (const char byte : text) {
    if (byte < '0' || byte > '9') {
      return false;
    }
  }
  const size_t first = text.find_first_not_of('0');
  return first != std::string::npos && (text.size() - first > 1 || text[first] >= '2');
}

RequestOutcome Failed(RequestError error, std::string message) {
  return RequestOutcome::Failed(error, std::move(message));
}

RequestOutcome NeedsValue(const std::vector<std::string>& fields, size_t count) {
  if (fields.size() < count) {
    return Failed(RequestError::InvalidMessage, fields[1] + " needs " + std::to_string(count - 2) +
                                                    (count == 3 ? " argument" : " arguments"));
  }
  return RequestOutcome::Ok();
}

}  // namespace

void Protocol2Session::Reset(Dialforge* surface) {
  active = false;
  transportSubscribed = false;
  mixerSubscribed = false;
  if (surface != nullptr) {
    surface->Notifications().SubscribeTransport(false);
    surface->Notifications().SubscribeMixer(false);
  }
}

std::string Protocol2Session::Hello(const std::vector<std::string>& fields, Dialforge* surface) {
  if (fields.size() < 3 || !SpeaksVersion2(fields[2])) {
    Tracer::TRACE("Bad handshake");
    return AnswerLine(&fields[0], Failed(RequestError::BadHandshake,
                                         "Hello needs a protocol version of 2 or more"));
  }
  Tracer::TRACE("Protocol 2");
  active = true;
  std::string tail = kHelloTail;
  AppendHostFacts(tail, surface);
  return AnswerLine(&fields[0], RequestOutcome::Ok(), tail);
}

std::string Protocol2Session::TooLong() {
  return AnswerLine(nullptr, Failed(RequestError::TooLong, "The line is over the limit"));
}

std::string Protocol2Session::Answer(Dialforge* surface, std::vector<std::string> fields,
                                     bool* leave) {
  *leave = false;
  if (fields.empty()) {
    return AnswerLine(nullptr, Failed(RequestError::InvalidMessage, "The request is empty"));
  }
  // Requests that take no argument may leave out the empty field 2.
  const bool noArgument = fields.size() == 2 && (fields[1] == "Ping" || fields[1] == "Bye");
  if (fields.size() < 3 && !noArgument) {
    return AnswerLine(&fields[0], Failed(RequestError::InvalidMessage,
                                         "A request has an id, a keyword and an argument"));
  }
  if (fields[1] == "Bye") {
    *leave = true;
    return AnswerLine(&fields[0], RequestOutcome::Ok());
  }
  if (surface == nullptr) {
    return AnswerLine(&fields[0],
                      Failed(RequestError::Unavailable, "Control surface not available"));
  }
  // Kept apart: a handler may take the fields.
  const std::string id = fields[0];
  // A snapshot is composed straight into the answer, so that it is never copied again.
  std::string line = AnswerLine(&id, RequestOutcome::Ok());
  line.resize(line.size() - 2);
  const RequestOutcome outcome = Dispatch(*surface, fields, line);
  if (!outcome.IsOk()) {
    return AnswerLine(&id, outcome);
  }
  if (outcome.value) {
    line += ",\"value\":";
    AppendJsonFloat(line, *outcome.value);
  }
  line += "}\n";
  return line;
}

RequestOutcome Protocol2Session::Dispatch(Dialforge& surface, std::vector<std::string>& fields,
                                          std::string& answer) {
  const std::string& keyword = fields[1];
  if (keyword == "Ping" || keyword == "ChangeMixer") {
    return RequestOutcome::Ok();
  }
  if (keyword == "Hello") {
    return Failed(RequestError::BadHandshake, "This connection speaks protocol 2 already");
  }
  if (keyword == "Subscribe" || keyword == "Unsubscribe") {
    return Subscribe(surface, fields[2], keyword == "Subscribe");
  }
  if (keyword == "ChangeLumetri") {
    RequestOutcome outcome = NeedsValue(fields, 4);
    if (!outcome.IsOk()) {
      return outcome;
    }
    const std::optional<float> value = ParseDouble(fields[3]);
    if (fields[3].empty() || !value) {
      return Failed(RequestError::InvalidValue, "Not a number: " + Printable(fields[3]));
    }
    return surface.ChangeLumetriParameter(fields[2], *value);
  }
  if (keyword == "ChangeLumetriMenuValue") {
    return surface.ChangeLumetriMenu(fields[2]);
  }
  if (keyword == "ChangeLumetriPanelMode") {
    const std::optional<int32_t> mode = ParseInteger(fields[2]);
    if (fields[2].empty() || !mode) {
      return Failed(RequestError::InvalidValue, "Not an integer: " + Printable(fields[2]));
    }
    return surface.SetMode(static_cast<unsigned int>(*mode));
  }
  if (keyword == "ExecuteCommand") {
    RequestOutcome outcome = NeedsValue(fields, 4);
    return outcome.IsOk() ? surface.ExecuteCommand(fields[2], fields[3]) : outcome;
  }
  if (keyword == "Navigate") {
    return surface.Navigate(fields[2]);
  }
  if (keyword == "ResetChangeLumetri") {
    return surface.ResetParameter(fields[2]);
  }
  if (keyword == "Transport") {
    return surface.Transport(std::move(fields));
  }
  if (keyword == "GetParameters") {
    const std::string& name = fields[2];
    answer += ",\"snapshot\":";
    AppendJsonString(answer, name);
    answer += ",\"result\":";
    std::string& snapshot = answer;
    const ComposeHelper* current = ComposeHelper::GetInstance();
    const JsonSnapshots composer(current != nullptr ? current->StringSuite() : nullptr);
    const auto missing = [&](const char* what) {
      return Failed(RequestError::Unavailable, std::string(what) + " suite not available");
    };
    if (name == "Mixer") {
      if (surface.GetMixerSuite() == nullptr) {
        return missing("Mixer");
      }
      composer.ComposeMixer(surface.GetMixerSuite(), surface.GetHostMixerRef(), snapshot);
    } else if (name == "Commands") {
      if (surface.GetCommandSuite() == nullptr) {
        return missing("Command");
      }
      composer.ComposeCommands(surface.GetCommandSuite(), surface.GetHostCommandRef(), snapshot);
    } else if (name == "LumetriParameters" || name == "LumetriMenu") {
      if (surface.GetLumetriSuite() == nullptr) {
        return missing("Lumetri");
      }
      if (name == "LumetriMenu") {
        composer.ComposeLumetriMenu(surface.GetLumetriSuite(), surface.GetHostLumetriRef(),
                                    snapshot);
      } else {
        composer.ComposeLumetriParameters(surface.GetLumetriSuite(), surface.GetHostLumetriRef(),
                                          snapshot);
      }
    } else if (name == "Transport") {
      AppendTransportState(snapshot, surface.Notifications().Transport(nullptr));
    } else {
      Tracer::TRACE("Unknown GetParameters command '%s'", Printable(name).c_str());
      return Failed(RequestError::UnknownSnapshot, "No snapshot is called " + Printable(name));
    }
    return RequestOutcome::Ok();
  }
  Tracer::TRACE("Unknown command '%s'", Printable(keyword).c_str());
  return Failed(RequestError::UnknownKeyword, "No request is called " + Printable(keyword));
}

RequestOutcome Protocol2Session::Subscribe(Dialforge& surface, const std::string& name, bool on) {
  HostNotifications& notifications = surface.Notifications();
  if (name == "Transport") {
    // Only what the host notifies from now on is an event.
    notifications.Transport(&sentTransportGeneration);
    transportSubscribed = on;
    notifications.SubscribeTransport(on);
  } else if (name == "Mixer") {
    mixerSubscribed = on;
    notifications.SubscribeMixer(on);
  } else {
    return Failed(RequestError::InvalidValue, "No events are called " + Printable(name));
  }
  return RequestOutcome::Ok();
}

std::string Protocol2Session::PendingEvents(Dialforge* surface) {
  if (!active || surface == nullptr) {
    return std::string();
  }
  std::string events;
  HostNotifications& notifications = surface->Notifications();
  if (transportSubscribed) {
    uint64_t generation = 0;
    const TransportState state = notifications.Transport(&generation);
    if (generation != sentTransportGeneration) {
      sentTransportGeneration = generation;
      events += TransportEventLine(state);
    }
  }
  if (mixerSubscribed) {
    std::vector<MixerChange> changes;
    bool overflow = false;
    if (notifications.TakeMixerChanges(&changes, &overflow)) {
      events += MixerEventLine(changes, overflow);
    }
  }
  return events;
}

}  // namespace VazezeveDudOzizezUziriv
