// The handlers that change the host's Lumetri colour controls.
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

RequestOutcome LumetriMissing() {
  return RequestOutcome::Failed(RequestError::Unavailable, "Lumetri suite not available");
}

RequestOutcome NoHostString() {
  return RequestOutcome::Failed(RequestError::Unavailable, "Cannot make host string");
}

}  // namespace

bool Dialforge::LumetriAvailable() const {
  if (lumetriSuite == nullptr || hostLumetriRef == nullptr) {
    Tracer::TRACE("Lumetri suite not available");
    return false;
  }
  return true;
}

RequestOutcome Dialforge::ChangeLumetriParameter(std::string id, float value) {
  if (!LumetriAvailable()) {
    return LumetriMissing();
  }
  RequestOutcome outcome;
  const bool ran = WithHostString(id, [&](AdobeSdkString& hostId, const ADOBESDK_StringSuite1*) {
    float resultingValue = 0.0f;
    const ADOBESDK_Error result =
        lumetriSuite->SetParameterValue(hostLumetriRef, hostId.Get(), value, &resultingValue);
    outcome = RequestOutcome::FromHost(result, "SetParameterValue failed");
    if (outcome.IsOk()) {
      outcome.value = resultingValue;
    }
    if (result != kADOBESDK_NoError) {
      Tracer::TRACE("SetParameterValue(%s, %f) failed with error '%s'", Printable(id).c_str(),
                    static_cast<double>(value), Printable(GetErrorMessage(result)).c_str());
    } else if (Tracer::IsOn()) {
      Tracer::TRACE("'%s' changed to %f ", Printable(id).c_str(),
                    static_cast<double>(resultingValue));
    }
  });
  return ran ? outcome : NoHostString();
}

RequestOutcome Dialforge::ResetParameter(std::string id) {
  if (!LumetriAvailable()) {
    return LumetriMissing();
  }
  RequestOutcome outcome;
  const bool ran = WithHostString(id, [&](AdobeSdkString& hostId, const ADOBESDK_StringSuite1*) {
    float resultingValue = 0.0f;
    outcome = RequestOutcome::FromHost(
        lumetriSuite->ResetParameter(hostLumetriRef, hostId.Get(), &resultingValue),
        "ResetParameter failed");
    if (outcome.IsOk()) {
      outcome.value = resultingValue;
    }
  });
  return ran ? outcome : NoHostString();
}

// Moves the menu on by one; where that changes nothing (the last choice), starts it over.
RequestOutcome Dialforge::ChangeLumetriMenu(std::string menuId) {
  if (!LumetriAvailable()) {
    return LumetriMissing();
  }
  RequestOutcome outcome;
  const bool ran =
      WithHostString(menuId, [&](AdobeSdkString& hostId, const ADOBESDK_StringSuite1* stringSuite) {
        AdobeSdkString oldValue(stringSuite);
        const ADOBESDK_Error read =
            lumetriSuite->GetMenuValue(hostLumetriRef, hostId.Get(), oldValue.Get());
        oldValue.Filled(read);
        outcome.KeepFirstFailure(RequestOutcome::FromHost(read, "GetMenuValue failed"));
        AdobeSdkString newValue(stringSuite);
        const ADOBESDK_Error set =
            lumetriSuite->SetMenuValue(hostLumetriRef, hostId.Get(), 1, newValue.Get());
        newValue.Filled(set);
        outcome.KeepFirstFailure(RequestOutcome::FromHost(set, "SetMenuValue failed"));
        if (newValue.toString() == oldValue.toString()) {
          outcome.KeepFirstFailure(RequestOutcome::FromHost(
              lumetriSuite->ResetMenu(hostLumetriRef, hostId.Get(), newValue.Get()),
              "ResetMenu failed"));
        }
      });
  return ran ? outcome : NoHostString();
}

RequestOutcome Dialforge::SetMode(unsigned int mode) {
  Tracer::TRACE("SetMode(%d)", static_cast<int>(mode));
  if (mode >= static_cast<unsigned int>(kPanelModeCount)) {
    Tracer::TRACE("Invalid mode");
    return RequestOutcome::Failed(RequestError::InvalidValue, "Invalid mode");
  }
  if (!LumetriAvailable()) {
    return LumetriMissing();
  }
  uint32_t resultingMode = 0;
  const ADOBESDK_Error result = lumetriSuite->SetPanelMode(hostLumetriRef, mode, &resultingMode);
  if (result != kADOBESDK_NoError) {
    Tracer::TRACE("SetMode(%d) failed with error '%s'", static_cast<int>(mode),
                  Printable(GetErrorMessage(result)).c_str());
  }
  return RequestOutcome::FromHost(result, "SetPanelMode failed");
}

void Dialforge::ChangeMenuValue(std::string text) {
  const size_t separator = text.find(" : ");
  int32_t index = 0;
  if (!ReadMenuNumber(text.substr(0, separator), &index)) {
    Tracer::TRACE("Invalid menu index: '%s'", Printable(text).c_str());
    return;
  }
  int32_t value = 0;
  if (separator == std::string::npos || !ReadMenuNumber(text.substr(separator + 3), &value)) {
    Tracer::TRACE("Invalid menu value: '%s'", Printable(text).c_str());
    return;
  }
  if (!LumetriAvailable()) {
    return;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  AdobeSdkString menuId(stringSuite);
  if (!ReadMenuIdAt(static_cast<uint32_t>(index), menuId)) {
    Tracer::TRACE("Invalid menu index: '%s'", Printable(text).c_str());
    return;
  }
  AdobeSdkString resultingValue(stringSuite);
  lumetriSuite->SetMenuValue(hostLumetriRef, menuId.Get(), static_cast<uint32_t>(value),
                             resultingValue.Get());
}

void Dialforge::ResetMenu(std::string text) {
  int32_t index = 0;
  if (!ReadMenuNumber(text, &index)) {
    Tracer::TRACE("Invalid menu index: '%s'", Printable(text).c_str());
    return;
  }
  if (!LumetriAvailable()) {
    return;
  }
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  AdobeSdkString menuId(stringSuite);
  if (!ReadMenuIdAt(static_cast<uint32_t>(index), menuId)) {
    Tracer::TRACE("Invalid menu index: '%s'", Printable(text).c_str());
    return;
  }
  AdobeSdkString resultingValue(stringSuite);
  lumetriSuite->ResetMenu(hostLumetriRef, menuId.Get(), resultingValue.Get());
}

bool Dialforge::ReadMenuIdAt(uint32_t index, AdobeSdkString& menuId) const {
  AdobeSdkString menuName(sStringSuite.load());
  menuId.Filled(lumetriSuite->GetMenuAtIndex(hostLumetriRef, index, menuId.Get(), menuName.Get()));
  return menuId.HoldsString();
}

}  // namespace VazezeveDudOzizezUziriv
