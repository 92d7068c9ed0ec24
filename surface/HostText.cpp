#include "surface/HostText.h"

#include "trace/Printable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

const ADOBESDK_StringSuite1* AvailableStringSuite() {
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  if (stringSuite == nullptr) {
    Tracer::TRACE("String suite not available");
  }
  return stringSuite;
}

bool WasMade(const AdobeSdkString& hostString, const std::string& text) {
  if (!hostString.OwnsString()) {
    Tracer::TRACE("Cannot make host string from '%s'", Printable(text).c_str());
    return false;
  }
  return true;
}

}  // namespace VazezeveDudOzizezUziriv
