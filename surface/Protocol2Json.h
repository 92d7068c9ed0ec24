// The JSON lines of protocol 2: answers, the Transport state and the events.
#ifndef DIALFORGE_SURFACE_PROTOCOL2JSON_H
#define DIALFORGE_SURFACE_PROTOCOL2JSON_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "surface/HostNotifications.h"
#include "surface/RequestOutcome.h"

namespace VazezeveDudOzizezUziriv {

// The code of an error as the client reads it ("invalid-message", ...).
const char* ErrorCode(RequestError error);

// {"id":"<id>","ok":true ... or the error fields}; extra is appended inside the object as is
// (",\"snapshot\":...") on success only. Ends with a line feed. A null id is written as null.
std::string AnswerLine(const std::string* id, const RequestOutcome& outcome,
                       const std::string& extra = std::string());
void AppendTransportState(std::string& json, const TransportState& state);
std::string TransportEventLine(const TransportState& state);
// The id of the channel in a mixer row, as the host gives it when the event is composed; empty
// when the host gives none.
using ChannelIdOfRow = std::function<std::optional<uint32_t>(uint32_t row)>;
std::string MixerEventLine(const std::vector<MixerChange>& changes, bool overflow,
                           const ChannelIdOfRow& channelId);

}  // namespace VazezeveDudOzizezUziriv

#endif
