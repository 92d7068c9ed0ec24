// Host strings made from request text by the handlers.
#ifndef DIALFORGE_SURFACE_HOSTTEXT_H
#define DIALFORGE_SURFACE_HOSTTEXT_H

#include <string>

#include "compose/AdobeSdkString.h"

namespace VazezeveDudOzizezUziriv {

// The string suite of the latest binding; traces "String suite not available" when there is none.
const ADOBESDK_StringSuite1* AvailableStringSuite();

// True when the host string was made from the text; otherwise traces
// "Cannot make host string from '%s'", and the string must not reach the host.
bool WasMade(const AdobeSdkString& hostString, const std::string& text);

}  // namespace VazezeveDudOzizezUziriv

#endif
