#include "compose/AdobeSdkString.h"

#include <new>
#include <stdexcept>

std::atomic<const ADOBESDK_StringSuite1*> sStringSuite{nullptr};

AdobeSdkString::AdobeSdkString(const ADOBESDK_StringSuite1* stringSuite)
    : stringSuite(stringSuite) {}

AdobeSdkString::AdobeSdkString(const ADOBESDK_StringSuite1* stringSuite, const char* text)
    : stringSuite(stringSuite) {
  if (stringSuite != nullptr && stringSuite->AllocateFromUTF8 != nullptr && text != nullptr) {
    ownsString = stringSuite->AllocateFromUTF8(text, &hostString) == kADOBESDK_NoError;
  }
  holdsString = ownsString;
}

AdobeSdkString::~AdobeSdkString() {
  if (ownsString && stringSuite->DisposeString != nullptr) {
    stringSuite->DisposeString(&hostString);
  }
}

std::string AdobeSdkString::toString() {
  std::string text;
  AppendTo(text);
  return text;
}

bool AdobeSdkString::AppendTo(std::string& text) {
  if (!holdsString || stringSuite == nullptr || stringSuite->CopyToUTF8 == nullptr) {
    return false;
  }
  uint32_t length = 0;
  if (stringSuite->CopyToUTF8(&hostString, nullptr, &length) != kADOBESDK_StringBufferTooSmall ||
      length == 0) {
    return false;
  }
  const size_t start = text.size();
  try {
    text.resize(start + length);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  const uint32_t capacity = length;
  if (stringSuite->CopyToUTF8(&hostString, &text[start], &length) != kADOBESDK_NoError ||
      length == 0) {
    text.resize(start);
    return false;
  }
  // The reported length counts the NUL; a host that reports more than it was given room for
  // must not make us read past the text.
  text.resize(start + (length < capacity ? length : capacity) - 1);
  return true;
}
