// How a request ended, as the handlers tell the dispatcher. Protocol 1 says nothing of it;
// protocol 2 answers every request with it.
#ifndef DIALFORGE_SURFACE_REQUESTOUTCOME_H
#define DIALFORGE_SURFACE_REQUESTOUTCOME_H

#include <optional>
#include <string>
#include <utility>

#include "sdk/ADOBESDK_Types.h"

namespace VazezeveDudOzizezUziriv {

enum class RequestError {
  None,
  InvalidMessage,   // fewer fields than the request needs
  UnknownKeyword,   // field 1 names no request
  InvalidValue,     // an argument the plug-in refuses; nothing reached the host
  UnknownSnapshot,  // GetParameters of a name there is no snapshot of
  Unavailable,      // the host suite or string the request needs is not there
  HostRefused,      // the host answered with an error code
  TooLong,          // the line was over the limit
  BadHandshake,     // Hello once too often, or below version 2
  Unauthorized,     // the token is missing or wrong where one is needed
  Busy,             // no room for another client, or a protocol 1 client is served
};

struct RequestOutcome {
  RequestError error = RequestError::None;
  std::string message;
  ADOBESDK_Error hostError = kADOBESDK_NoError;
  // What the host reported back where it gives it (the value it kept).
  std::optional<float> value;

  static RequestOutcome Ok() { return RequestOutcome(); }
  static RequestOutcome Failed(RequestError error, std::string message) {
    RequestOutcome outcome;
    outcome.error = error;
    outcome.message = std::move(message);
    return outcome;
  }
  static RequestOutcome Refused(std::string message, ADOBESDK_Error code) {
    RequestOutcome outcome = Failed(RequestError::HostRefused, std::move(message));
    outcome.hostError = code;
    return outcome;
  }
  static RequestOutcome FromHost(ADOBESDK_Error result, std::string message) {
    return result == kADOBESDK_NoError ? Ok() : Refused(std::move(message), result);
  }
  bool IsOk() const { return error == RequestError::None; }
  // The first failure of a request that calls the host several times is the one reported.
  void KeepFirstFailure(const RequestOutcome& later) {
    if (IsOk() && !later.IsOk()) {
      *this = later;
    }
  }
};

}  // namespace VazezeveDudOzizezUziriv

#endif
