// The handlers that run host commands, navigate and drive the transport.
#include <cstddef>
#include <iterator>
#include <string_view>

#include "compose/AdobeSdkString.h"
#include "compose/ErrorMessage.h"
#include "grammar/RequestGrammar.h"
#include "surface/Dialforge.h"
#include "surface/HostText.h"
#include "surface/RequestParsing.h"
#include "trace/Printable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

using TransportAction = ADOBESDK_TransportAction ADOBESDK_ControlSurfaceHostTransportSuite1::*;

using Suite = ADOBESDK_ControlSurfaceHostTransportSuite1;
// In the order of the grammar's transport keywords; JogDial, the last of them, takes values.
constexpr TransportAction kTransportActions[] = {
    &Suite::BeginRewind, &Suite::EndRewind,    &Suite::BeginForward, &Suite::EndForward,
    &Suite::Stop,        &Suite::Play,         &Suite::Record,       &Suite::Pause,
    &Suite::ToggleCycle, &Suite::GotoPrevious, &Suite::GotoNext,     &Suite::GotoStart,
    &Suite::ShuttleLeft, &Suite::ShuttleStop,  &Suite::ShuttleRight,
};
constexpr std::string_view kJogDial = kTransportKeywords[std::size(kTransportActions)];
static_assert(kJogDial == "JogDial" &&
                  std::size(kTransportActions) + 1 == std::size(kTransportKeywords),
              "one transport operation for each keyword");

RequestOutcome CommandMissing() {
  return RequestOutcome::Failed(RequestError::Unavailable, "Command suite not available");
}

RequestOutcome TransportMissing() {
  return RequestOutcome::Failed(RequestError::Unavailable, "Transport suite not available");
}

}  // namespace

bool Dialforge::CommandAvailable() const {
  if (commandSuite == nullptr || hostCommandRef == nullptr) {
    Tracer::TRACE("Command suite not available");
    return false;
  }
  return true;
}

bool Dialforge::TransportAvailable() const {
  if (transportSuite == nullptr || hostTransportRef == nullptr) {
    Tracer::TRACE("Transport suite not available");
    return false;
  }
  return true;
}

RequestOutcome Dialforge::ExecuteCommand(std::string first, std::string second) {
  if (!CommandAvailable()) {
    return CommandMissing();
  }
  RequestOutcome outcome =
      RequestOutcome::Failed(RequestError::Unavailable, "Cannot make host string");
  WithHostString(first, [&](AdobeSdkString& firstString, const ADOBESDK_StringSuite1*) {
    WithHostString(second, [&](AdobeSdkString& secondString, const ADOBESDK_StringSuite1*) {
      const ADOBESDK_Error result =
          commandSuite->ExecuteCommand(hostCommandRef, firstString.Get(), secondString.Get());
      outcome = RequestOutcome::FromHost(result, "ExecuteCommand failed");
      if (result != kADOBESDK_NoError) {
        Tracer::TRACE("ExecuteCommand(%s, %s) failed with error '%s'", Printable(first).c_str(),
                      Printable(second).c_str(), Printable(GetErrorMessage(result)).c_str());
        return;
      }
      const std::string executed = secondString.toString();
      // Client text: traced as text, never used as a format.
      if (Tracer::IsOn()) {
        Tracer::TRACE("%s", ("\n Command executed: " + Printable(executed)).c_str());
      }
    });
  });
  return outcome;
}

RequestOutcome Dialforge::Navigate(std::string text) {
  NavigationStep step;
  if (!ReadNavigation(text, &step)) {
    Tracer::TRACE("Navigate(): invalid parameters '%s'", Printable(text).c_str());
    return RequestOutcome::Failed(RequestError::InvalidValue, "Navigation is not four values");
  }
  if (!CommandAvailable()) {
    return CommandMissing();
  }
  const ADOBESDK_Error result = commandSuite->Navigate(hostCommandRef, step.firstFlag, step.first,
                                                       step.second, step.secondFlag);
  if (result != kADOBESDK_NoError) {
    Tracer::TRACE("Navigate(%d, %d, %d, %d) failed with error '%s'", step.firstFlag ? 1 : 0,
                  step.first, step.second, step.secondFlag ? 1 : 0,
                  Printable(GetErrorMessage(result)).c_str());
  }
  return RequestOutcome::FromHost(result, "Navigate failed");
}

RequestOutcome Dialforge::Transport(std::vector<std::string> fields) {
  if (fields.size() < 3) {
    Tracer::TRACE("Transport(): invalid parameters");
    return RequestOutcome::Failed(RequestError::InvalidMessage, "Transport needs a keyword");
  }
  const std::string& keyword = fields[2];
  if (keyword == kJogDial) {
    if (fields.size() < kJogDialFields) {
      Tracer::TRACE("Transport(): invalid parameters");
      return RequestOutcome::Failed(RequestError::InvalidMessage,
                                    "JogDial needs two values and a flag");
    }
    if (!TransportAvailable()) {
      return TransportMissing();
    }
    return RequestOutcome::FromHost(
        transportSuite->JogDial(hostTransportRef, ReadFlag(fields[5]),
                                static_cast<float>(ReadLeadingInteger(fields[3])),
                                static_cast<float>(ReadLeadingInteger(fields[4]))),
        "JogDial failed");
  }
  for (size_t at = 0; at < std::size(kTransportActions); ++at) {
    if (keyword == kTransportKeywords[at]) {
      if (!TransportAvailable()) {
        return TransportMissing();
      }
      return RequestOutcome::FromHost((transportSuite->*kTransportActions[at])(hostTransportRef),
                                      "Transport failed");
    }
  }
  Tracer::TRACE("Transport(): unknown parameter");
  return RequestOutcome::Failed(RequestError::InvalidValue, "Unknown transport keyword");
}

void Dialforge::ChangeMixer() {}

}  // namespace VazezeveDudOzizezUziriv
