#include "surface/Protocol2Json.h"

#include "compose/JsonText.h"

namespace VazezeveDudOzizezUziriv {

namespace {

// An error code as four characters, as the host's codes are read: big-endian bytes.
void AppendHostError(std::string& json, ADOBESDK_Error code) {
  const auto value = static_cast<uint32_t>(code);
  const char characters[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                              static_cast<char>(value >> 8), static_cast<char>(value)};
  AppendJsonString(json, std::string_view(characters, 4));
}

template <typename Value, typename Append>
void AppendOptional(std::string& json, const std::optional<Value>& value, Append append) {
  if (value) {
    append(json, *value);
  } else {
    json += "null";
  }
}

void AppendChange(std::string& json, const MixerChange& change, const ChannelIdOfRow& channelId) {
  using Kind = MixerChange::Kind;
  const auto number = [&](const char* key, uint32_t value) {
    json += ",\"";
    json += key;
    json += "\":";
    AppendJsonUnsigned(json, value);
  };
  // The host notifies a channel by its row; requests and snapshots name it by its id.
  const auto channel = [&]() {
    json += ",\"channel\":";
    AppendOptional(json, channelId(change.channel), AppendJsonUnsigned);
    number("row", change.channel);
  };
  const auto flag = [&](bool value) {
    json += ",\"value\":";
    AppendJsonBool(json, value);
  };
  switch (change.kind) {
    case Kind::Configuration:
      json += "{\"change\":\"configuration\"";
      number("first", change.channel);
      number("count", change.number);
      break;
    case Kind::Selection:
      json += "{\"change\":\"selection\"";
      break;
    case Kind::ChannelState:
      json += "{\"change\":\"channelState\"";
      channel();
      number("state", change.item);
      flag(change.flag);
      break;
    case Kind::AutomationMode:
      json += "{\"change\":\"automationMode\"";
      channel();
      number("mode", change.number);
      break;
    case Kind::ChannelOffset:
      json += "{\"change\":\"channelOffset\"";
      number("offset", change.number);
      break;
    case Kind::ChannelCount:
      json += "{\"change\":\"channelCount\"";
      number("count", change.number);
      break;
    case Kind::RudeSolo:
      json += "{\"change\":\"rudeSolo\"";
      flag(change.flag);
      break;
    case Kind::ComponentBypass:
      json += "{\"change\":\"componentBypass\"";
      channel();
      number("component", change.item);
      flag(change.flag);
      break;
    case Kind::ComponentParameter:
      json += "{\"change\":\"componentParameter\"";
      channel();
      number("component", change.item);
      number("parameter", change.parameter);
      json += ",\"value\":";
      AppendJsonFloat(json, change.value);
      break;
  }
  json += '}';
}

}  // namespace

const char* ErrorCode(RequestError error) {
  switch (error) {
    case RequestError::None:
      return "";
    case RequestError::InvalidMessage:
      return "invalid-message";
    case RequestError::UnknownKeyword:
      return "unknown-keyword";
    case RequestError::InvalidValue:
      return "invalid-value";
    case RequestError::UnknownSnapshot:
      return "unknown-snapshot";
    case RequestError::Unavailable:
      return "unavailable";
    case RequestError::HostRefused:
      return "host-refused";
    case RequestError::TooLong:
      return "too-long";
    case RequestError::BadHandshake:
      return "bad-handshake";
    case RequestError::Unauthorized:
      return "unauthorized";
    case RequestError::Busy:
      return "busy";
  }
  return "";
}

std::string AnswerLine(const std::string* id, const RequestOutcome& outcome,
                       const std::string& extra) {
  std::string json = "{\"id\":";
  if (id != nullptr) {
    AppendJsonString(json, *id);
  } else {
    json += "null";
  }
  if (outcome.IsOk()) {
    json += ",\"ok\":true";
    if (outcome.value) {
      json += ",\"value\":";
      AppendJsonFloat(json, *outcome.value);
    }
    json += extra;
  } else {
    json += ",\"ok\":false,\"error\":\"";
    json += ErrorCode(outcome.error);
    json += "\",\"message\":";
    AppendJsonString(json, outcome.message);
    if (outcome.error == RequestError::HostRefused) {
      json += ",\"hostError\":";
      AppendHostError(json, outcome.hostError);
    }
  }
  json += "}\n";
  return json;
}

void AppendTransportState(std::string& json, const TransportState& state) {
  json += "{\"play\":";
  AppendJsonBool(json, state.play);
  json += ",\"record\":";
  AppendJsonBool(json, state.record);
  json += ",\"rewind\":";
  AppendJsonBool(json, state.rewind);
  json += ",\"forward\":";
  AppendJsonBool(json, state.forward);
  json += ",\"stop\":";
  AppendOptional(json, state.stop, AppendJsonBool);
  json += ",\"pause\":";
  AppendOptional(json, state.pause, AppendJsonBool);
  json += ",\"cycle\":";
  AppendOptional(json, state.cycle, AppendJsonBool);
  json += ",\"time\":";
  AppendOptional(json, state.time,
                 [](std::string& out, const std::string& text) { AppendJsonString(out, text); });
  json += ",\"timeFormat\":";
  AppendOptional(json, state.timeFormat, AppendJsonUnsigned);
  json += '}';
}

std::string TransportEventLine(const TransportState& state) {
  std::string json = "{\"event\":\"Transport\",\"state\":";
  AppendTransportState(json, state);
  json += "}\n";
  return json;
}

std::string MixerEventLine(const std::vector<MixerChange>& changes, bool overflow,
                           const ChannelIdOfRow& channelId) {
  std::string json = "{\"event\":\"Mixer\",\"changed\":[";
  for (size_t at = 0; at < changes.size(); ++at) {
    if (at > 0) {
      json += ',';
    }
    AppendChange(json, changes[at], channelId);
  }
  json += "],\"overflow\":";
  AppendJsonBool(json, overflow);
  json += "}\n";
  return json;
}

}  // namespace VazezeveDudOzizezUziriv
