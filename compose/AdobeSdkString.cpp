#include "compose/AdobeSdkString.h"

#include <new>

std::atomic<const ADOBESDK_StringSuite1*> sStringSuite{nullptr};

AdobeSdkString::AdobeSdkString(const ADOBESDK_StringSuite1* stringSuite)
    : stringSuite(stringSuite) {}

AdobeSdkString::AdobeSdkString(const ADOBESDK_StringSuite1* stringSuite, const char* text)
    : stringSuite(stringSuite) {
  if (stringSuite != nullptr && stringSuite->AllocateFromUTF8 != nullptr && text != nullptr) {
    ownsString = stringSuite->AllocateFromUTF8(text, &hostString) == kADOBESDK_NoError;
  }
}

AdobeSdkString::~AdobeSdkString() {
  if (ownsString && stringSuite->DisposeString != nullptr) {
    stringSuite->DisposeString(&hostString);
  }
}

std::string AdobeSdkString::toString() {
  if (stringSuite == nullptr || stringSuite->CopyToUTF8 == nullptr) {
    return std::string();
  }
  uint32_t length = 0;
  if (stringSuite->CopyToUTF8(&hostString, nullptr, &length) != kADOBESDK_StringBufferTooSmall ||
      length == 0) {
    return std::string();
  }
  try {
    std::string text(length, '\0');
    const uint32_t capacity = length;
    if (stringSuite->CopyToUTF8(&hostString, &text[0], &length) != kADOBESDK_NoError ||
        length == 0) {
      return std::string();
    }
    // The reported length counts the NUL; a host that reports more than it was given room for
    // must not make us read past the text.
    text.resize((length < capacity ? length : capacity) - 1);
    return text;
  } catch (const std::bad_alloc&) {
    return std::string();
  }
}
