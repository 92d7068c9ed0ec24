// The simulated host's own error codes: four characters read big-endian, like the host's.
#ifndef DIALFORGE_HOST_HOSTERRORS_H
#define DIALFORGE_HOST_HOSTERRORS_H

#include <string>

#include "sdk/ADOBESDK_Types.h"

namespace dialforge_host {

constexpr ADOBESDK_Error FourCharacterCode(const char (&text)[5]) {
  return static_cast<ADOBESDK_Error>(
      static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
      static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16 |
      static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8 |
      static_cast<uint32_t>(static_cast<unsigned char>(text[3])));
}

// A null pointer where the operation needs an argument, or a value it cannot take (NaN).
constexpr ADOBESDK_Error kHostBadArgument = kADOBESDK_BadParameter;
// A call made while no simulated host exists.
constexpr ADOBESDK_Error kHostNotRunning = FourCharacterCode("Host");
// AcquireSuite of a name or version not offered, or of a suite the project marks missing.
constexpr ADOBESDK_Error kHostUnknownSuite = FourCharacterCode("Suit");
// ReleaseSuite of a suite that is not held.
constexpr ADOBESDK_Error kHostNotAcquired = FourCharacterCode("Acqu");
// A suite list the host did not allocate or has freed.
constexpr ADOBESDK_Error kHostUnknownList = FourCharacterCode("List");
// AddSuite of a name and version the list already holds.
constexpr ADOBESDK_Error kHostDuplicateSuite = FourCharacterCode("Dupl");
// A host handle or reference the host did not hand out, or one of another suite.
constexpr ADOBESDK_Error kHostUnknownReference = FourCharacterCode("Refn");
// An unknown channel id, row, component, parameter, menu, command or index.
constexpr ADOBESDK_Error kHostUnknownItem = FourCharacterCode("Item");
// A string that was disposed, never made, or made for an earlier host.
constexpr ADOBESDK_Error kHostInvalidString = FourCharacterCode("Strg");
// SetPanelMode with a mode above 6.
constexpr ADOBESDK_Error kHostOutOfRange = FourCharacterCode("Rang");
// The host ran out of memory while serving the call.
constexpr ADOBESDK_Error kHostInternalError = FourCharacterCode("Intl");

// The code's four characters, most significant byte first.
inline std::string CodeText(ADOBESDK_Error code) {
  const uint32_t bits = static_cast<uint32_t>(code);
  return {static_cast<char>(bits >> 24), static_cast<char>(bits >> 16),
          static_cast<char>(bits >> 8), static_cast<char>(bits)};
}

// What the host means by one of its codes, for people; empty for a code it never answers.
inline std::string CodeMeaning(ADOBESDK_Error code) {
  switch (code) {
    case kHostBadArgument:
      return "a missing or unusable argument";
    case kHostNotRunning:
      return "no host is running";
    case kHostUnknownSuite:
      return "a suite not offered";
    case kHostNotAcquired:
      return "a suite not held";
    case kHostUnknownList:
      return "an unknown suite list";
    case kHostDuplicateSuite:
      return "a suite already in the list";
    case kHostUnknownReference:
      return "a reference the host did not hand out";
    case kHostUnknownItem:
      return "no such item";
    case kHostInvalidString:
      return "a string that is not valid";
    case kHostOutOfRange:
      return "out of range";
    case kHostInternalError:
      return "the host ran out of memory";
    default:
      return std::string();
  }
}

}  // namespace dialforge_host

#endif
