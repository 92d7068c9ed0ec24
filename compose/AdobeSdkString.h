// A scoped holder of one host string and the suite that makes, reads and disposes it.
#ifndef DIALFORGE_COMPOSE_ADOBESDKSTRING_H
#define DIALFORGE_COMPOSE_ADOBESDKSTRING_H

#include <atomic>
#include <string>

#include "sdk/ADOBESDK_StringSuite.h"

// The string suite of the latest host binding. It is replaced while other listener threads may
// read it, hence atomic; the suite itself is the host's and is never freed by us.
extern std::atomic<const ADOBESDK_StringSuite1*> sStringSuite;

class AdobeSdkString {
 public:
  // A receptacle for a host operation to fill in; never disposed, since the host owns it. It holds
  // nothing until Filled tells that the host operation succeeded.
  explicit AdobeSdkString(const ADOBESDK_StringSuite1* stringSuite);
  // A host string made from NUL-terminated UTF-8 text; disposed at the end of the scope when it
  // was made.
  AdobeSdkString(const ADOBESDK_StringSuite1* stringSuite, const char* text);
  ~AdobeSdkString();

  AdobeSdkString(const AdobeSdkString&) = delete;
  AdobeSdkString& operator=(const AdobeSdkString&) = delete;

  // The UTF-8 text of the held string; empty on any failure of the suite.
  std::string toString();
  // Appends that text to the end of text: the length query, then the copy straight into text's
  // tail, made exactly as long as the host asked for. False, with text as it was, on any failure
  // of the suite.
  bool AppendTo(std::string& text);

  ADOBESDK_String* Get() { return &hostString; }
  // True when the string was made from text, which is also when it will be disposed.
  bool OwnsString() const { return ownsString; }
  // For a receptacle: the result of the host operation that was to fill it. One the host did not
  // fill is no string: its text is empty without asking the suite, and it must not be handed on.
  void Filled(ADOBESDK_Error result) { holdsString = result == kADOBESDK_NoError; }
  // Made from text, or filled by the host.
  bool HoldsString() const { return holdsString; }

 private:
  const ADOBESDK_StringSuite1* stringSuite;
  ADOBESDK_String hostString{};
  bool ownsString = false;
  bool holdsString = false;
};

#endif
