#include "surface/Protocol2Session.h"

#include <utility>

#include "compose/JsonText.h"
#include "surface/HostFacts.h"
#include "surface/Protocol2Json.h"
#include "surface/RequestTable.h"
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

}  // namespace

void Protocol2Session::Reset(Dialforge* surface, size_t slot) {
  client = slot;
  active = false;
  parts = SnapshotParts();
  transportSubscribed = false;
  mixerSubscribed = false;
  if (surface != nullptr) {
    surface->Notifications().SubscribeTransport(client, false);
    surface->Notifications().SubscribeMixer(client, false);
  }
}

Protocol2Session::Admission Protocol2Session::AdmitAnother(const std::vector<std::string>& fields,
                                                           bool tokenMatches, bool full) {
  Admission admission;
  if (fields.size() < 2 || fields[1] != "Hello") {
    return admission;
  }
  if (!tokenMatches) {
    admission.refusal = Unauthorized(fields);
  } else if (full) {
    admission.refusal =
        AnswerLine(&fields[0], Failed(RequestError::Busy, "As many clients as can be are served"));
  } else if (fields.size() < 3 || !SpeaksVersion2(fields[2])) {
    admission.refusal = AnswerLine(
        &fields[0],
        Failed(RequestError::BadHandshake, "Hello needs a protocol version of 2 or more"));
  } else {
    admission.admitted = true;
  }
  return admission;
}

std::string Protocol2Session::Unauthorized(const std::vector<std::string>& fields) {
  return AnswerLine(fields.empty() ? nullptr : &fields[0],
                    Failed(RequestError::Unauthorized, "Hello needs the listener's token"));
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
    // An empty line, or one that begins with NUL, has the empty id, as "|" has: a null id is
    // the answer to a line too long to read.
    const std::string emptyId;
    return AnswerLine(&emptyId, Failed(RequestError::InvalidMessage, "The request is empty"));
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
  if (parts.Composing()) {
    line += NextPart(surface);
    return line;
  }
  if (outcome.value) {
    line += ",\"value\":";
    AppendJsonFloat(line, *outcome.value);
  }
  line += "}\n";
  return line;
}

std::string Protocol2Session::NextPart(Dialforge* surface) {
  std::string part;
  if (parts.AppendNext(surface, part) && !parts.Composing()) {
    part += "}\n";
  }
  return part;
}

std::string Protocol2Session::AbandonParts() {
  std::string end;
  if (parts.Composing()) {
    parts.Close(end);
    end += "}\n";
  }
  return end;
}

RequestOutcome Protocol2Session::Dispatch(Dialforge& surface, std::vector<std::string>& fields,
                                          std::string& answer) {
  const std::string& keyword = fields[1];
  if (keyword == "Ping") {
    return RequestOutcome::Ok();
  }
  if (keyword == "Hello") {
    return Failed(RequestError::BadHandshake, "This connection speaks protocol 2 already");
  }
  if (keyword == "Subscribe" || keyword == "Unsubscribe") {
    return Subscribe(surface, fields[2], keyword == "Subscribe");
  }
  return RunRequest(surface, Protocol::Second, fields, answer, &parts);
}

RequestOutcome Protocol2Session::Subscribe(Dialforge& surface, const std::string& name, bool on) {
  HostNotifications& notifications = surface.Notifications();
  if (name == "Transport") {
    // Only what the host notifies from now on is an event.
    notifications.Transport(&sentTransportGeneration);
    transportSubscribed = on;
    notifications.SubscribeTransport(client, on);
  } else if (name == "Mixer") {
    mixerSubscribed = on;
    notifications.SubscribeMixer(client, on);
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
    if (notifications.TakeMixerChanges(client, &changes, &overflow)) {
      const ADOBESDK_ControlSurfaceHostMixerSuite1* suite = surface->GetMixerSuite();
      ADOBESDK_ControlSurfaceHostMixer* mixer = surface->GetHostMixerRef();
      events += MixerEventLine(changes, overflow, [&](uint32_t row) -> std::optional<uint32_t> {
        uint32_t id = 0;
        if (suite == nullptr || suite->GetChannelID == nullptr ||
            suite->GetChannelID(mixer, row, &id) != kADOBESDK_NoError) {
          return std::nullopt;
        }
        return id;
      });
    }
  }
  return events;
}

}  // namespace VazezeveDudOzizezUziriv
