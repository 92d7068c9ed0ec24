// The host's side of ADOBESDK_String. A string is one of three kinds, told apart by its first
// word: zero (a zero-initialised string, valid empty text), filled in by the host (an index
// into text the host owns, so filling allocates nothing and nothing leaks), or made by the
// plug-in (a unique id, so a double disposal is caught without comparing freed addresses).
// The first word also carries the host's generation, so a string of an earlier host is caught.
#ifndef DIALFORGE_HOST_HOSTSTRINGS_H
#define DIALFORGE_HOST_HOSTSTRINGS_H

#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sdk/ADOBESDK_StringSuite.h"

namespace dialforge_host {

class HostStrings {
 public:
  static constexpr uint32_t kNoLimit = std::numeric_limits<uint32_t>::max();

  explicit HostStrings(uintptr_t generation);

  // The text of a string, or null with the reason in problem.
  const std::string* Resolve(const ADOBESDK_String& string, const char** problem) const;

  // Fills the string with text the host owns. The text must outlive the host's strings; with a
  // limit, at most limit - 1 bytes of it are given, cut at a character boundary.
  void Fill(ADOBESDK_String* out, const std::string& text, uint32_t limit = kNoLimit);

  void Make(ADOBESDK_String* out, std::string text);
  // Null on success, otherwise why the string cannot be disposed.
  const char* Dispose(const ADOBESDK_String& string);

  std::size_t LiveCount() const { return live.size(); }
  std::vector<std::string> LiveTexts() const;

 private:
  enum Kind : uintptr_t { kHostFilled = 1, kPluginMade = 2 };

  uintptr_t Tag(Kind kind) const { return generation << 2 | kind; }
  uint32_t Intern(const std::string& text);

  uintptr_t generation;
  std::vector<const std::string*> hostTexts;
  std::unordered_map<const std::string*, uint32_t> hostTextIndex;
  // Cut copies of texts longer than a caller's limit, made once per text and limit.
  std::deque<std::string> cutTexts;
  std::map<std::pair<const std::string*, uint32_t>, uint32_t> cutTextIndex;
  std::map<uintptr_t, std::string> live;
  uintptr_t nextId = 1;
};

// UTF-16 text, up to its terminating zero, as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const ADOBESDK_UTF16Char* text);

}  // namespace dialforge_host

#endif
