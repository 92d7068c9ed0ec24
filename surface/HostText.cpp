#include "surface/HostText.h"

#include <algorithm>
#include <cstring>

#include "trace/Printable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

// A time display is a few characters; a host that claims more is not believed.
constexpr uint32_t kMostHandedTextLength = 4096;

}  // namespace

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

std::optional<std::string> HandedText(const ADOBESDK_String* hostString) {
  const ADOBESDK_StringSuite1* stringSuite = sStringSuite.load();
  if (hostString == nullptr || stringSuite == nullptr || stringSuite->CopyToUTF8 == nullptr) {
    return std::nullopt;
  }
  uint32_t length = 0;
  if (stringSuite->CopyToUTF8(hostString, nullptr, &length) != kADOBESDK_StringBufferTooSmall ||
      length == 0 || length > kMostHandedTextLength) {
    return std::nullopt;
  }
  std::string text(length, '\0');
  uint32_t copied = length;
  if (stringSuite->CopyToUTF8(hostString, &text[0], &copied) != kADOBESDK_NoError || copied == 0) {
    return std::nullopt;
  }
  // The length counts the NUL; the text ends at the first one, whatever the host reported.
  text.resize(std::min(copied, length) - 1);
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace VazezeveDudOzizezUziriv
