// The handlers that run host commands, navigate and drive the transport.
#include <cstddef>

#include "compose/AdobeSdkString.h"
#include "compose/ErrorMessage.h"
#include "surface/Dialforge.h"
#include "surface/HostText.h"
#include "surface/RequestParsing.h"
#include "trace/Printable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

using TransportAction = ADOBESDK_TransportAction ADOBESDK_ControlSurfaceHostTransportSuite1::*;

struct TransportKeyword {
  const char* keyword;
  TransportAction action;
};

using Suite = ADOBESDK_ControlSurfaceHostTransportSuite1;
constexpr TransportKeyword kTransportKeywords[] = {
    {"BeginRewind", &Suite::BeginRewind},
    {"EndRewind", &Suite::EndRewind},
    {"BeginForward", &Suite::BeginForward},
    {"EndForward", &Suite::EndForward},
    {"Stop", &Suite::Stop},
    {"Play", &Suite::Play},
    {"Record", &Suite::Record},
    {"Pause", &Suite::Pause},
    {"ToggleCycle", &Suite::ToggleCycle},
    {"GotoPrevious", &Suite::GotoPrevious},
    {"GotoNext", &Suite::GotoNext},
    {"GotoStart", &Suite::GotoStart},
    {"ShuttleLeft", &Suite::ShuttleLeft},
    {"ShuttleStop", &Suite::ShuttleStop},
    {"ShuttleRight", &Suite::ShuttleRight},
};

// "JogDial" and its flag and two values.
constexpr size_t kJogDialFieldCount = 6;

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

void Dialforge::ExecuteCommand(std::string first, std::string second) {
  if (!CommandAvailable()) {
    return;
  }
  WithHostString(first, [&](AdobeSdkString& firstString, const ADOBESDK_StringSuite1*) {
    WithHostString(second, [&](AdobeSdkString& secondString, const ADOBESDK_StringSuite1*) {
      const ADOBESDK_Error result =
          commandSuite->ExecuteCommand(hostCommandRef, firstString.Get(), secondString.Get());
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
}

void Dialforge::Navigate(std::string text) {
  NavigationStep step;
  if (!ReadNavigation(text, &step)) {
    Tracer::TRACE("Navigate(): invalid parameters '%s'", Printable(text).c_str());
    return;
  }
  if (!CommandAvailable()) {
    return;
  }
  const ADOBESDK_Error result = commandSuite->Navigate(hostCommandRef, step.firstFlag, step.first,
                                                       step.second, step.secondFlag);
  if (result != kADOBESDK_NoError) {
    Tracer::TRACE("Navigate(%d, %d, %d, %d) failed with error '%s'", step.firstFlag ? 1 : 0,
                  step.first, step.second, step.secondFlag ? 1 : 0,
                  Printable(GetErrorMessage(result)).c_str());
  }
}

void Dialforge::Transport(std::vector<std::string> fields) {
  if (fields.size() < 3) {
    Tracer::TRACE("Transport(): invalid parameters");
    return;
  }
  const std::string& keyword = fields[2];
  if (keyword == "JogDial") {
    if (fields.size() < kJogDialFieldCount) {
      Tracer::TRACE("Transport(): invalid parameters");
      return;
    }
    if (TransportAvailable()) {
      transportSuite->JogDial(hostTransportRef, ReadFlag(fields[5]),
                              static_cast<float>(ReadLeadingInteger(fields[3])),
                              static_cast<float>(ReadLeadingInteger(fields[4])));
    }
    return;
  }
  for (const TransportKeyword& entry : kTransportKeywords) {
    if (keyword == entry.keyword) {
      if (TransportAvailable()) {
        (transportSuite->*entry.action)(hostTransportRef);
      }
      return;
    }
  }
  Tracer::TRACE("Transport(): unknown parameter");
}

void Dialforge::ChangeMixer() {}

}  // namespace VazezeveDudOzizezUziriv
