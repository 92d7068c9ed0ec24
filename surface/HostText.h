// Host strings made from request text by the handlers.
#ifndef DIALFORGE_SURFACE_HOSTTEXT_H
#define DIALFORGE_SURFACE_HOSTTEXT_H

#include <optional>
#include <string>

#include "compose/AdobeSdkString.h"

namespace VazezeveDudOzizezUziriv {

// The string suite of the latest binding; traces "String suite not available" when there is none.
const ADOBESDK_StringSuite1* AvailableStringSuite();

// True when the host string was made from the text; otherwise traces
// "Cannot make host string from '%s'", and the string must not reach the host.
bool WasMade(const AdobeSdkString& hostString, const std::string& text);

// The text of a string the host handed in, read with the string suite of the latest binding;
// nothing when there is no string or it cannot be read.
std::optional<std::string> HandedText(const ADOBESDK_String* hostString);

// Runs the action with a host string made from request text and the string suite that made it;
// traces why not, and runs nothing, when either cannot be had.
// False when it ran nothing.
template <typename Action>
bool WithHostString(const std::string& text, Action&& action) {
  const ADOBESDK_StringSuite1* stringSuite = AvailableStringSuite();
  if (stringSuite == nullptr) {
    return false;
  }
  AdobeSdkString hostString(stringSuite, text.c_str());
  if (!WasMade(hostString, text)) {
    return false;
  }
  action(hostString, stringSuite);
  return true;
}

}  // namespace VazezeveDudOzizezUziriv

#endif
