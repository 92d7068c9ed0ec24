#include "host/HostStrings.h"

namespace dialforge_host {

namespace {

const std::string kEmptyText;

void AppendUtf8(std::string& text, uint32_t codePoint) {
  if (codePoint < 0x80) {
    text += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    text += static_cast<char>(0xC0 | codePoint >> 6);
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    text += static_cast<char>(0xE0 | codePoint >> 12);
    text += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | codePoint >> 18);
    text += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
    text += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

bool IsHighSurrogate(uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::string Utf16ToUtf8(const ADOBESDK_UTF16Char* text) {
  constexpr uint32_t kReplacement = 0xFFFD;
  std::string result;
  for (const ADOBESDK_UTF16Char* unit = text; *unit != 0; ++unit) {
    if (IsHighSurrogate(unit[0]) && IsLowSurrogate(unit[1])) {
      AppendUtf8(result, 0x10000 + ((unit[0] - 0xD800u) << 10) + (unit[1] - 0xDC00u));
      ++unit;
    } else if (IsHighSurrogate(unit[0]) || IsLowSurrogate(unit[0])) {
      AppendUtf8(result, kReplacement);
    } else {
      AppendUtf8(result, unit[0]);
    }
  }
  return result;
}

HostStrings::HostStrings(uintptr_t generation) : generation(generation) {}

const std::string* HostStrings::Resolve(const ADOBESDK_String& string, const char** problem) const {
  const uintptr_t tag = string.opaque[0];
  const uintptr_t value = string.opaque[1];
  if (tag == 0 && value == 0) {
    return &kEmptyText;
  }
  if (tag >> 2 != generation) {
    *problem = tag != 0 && tag >> 2 < generation ? "belongs to an earlier host"
                                                 : "was never made by the host";
    return nullptr;
  }
  if (tag == Tag(kHostFilled) && value < hostTexts.size()) {
    return hostTexts[value];
  }
  if (tag == Tag(kPluginMade)) {
    const auto found = live.find(value);
    if (found != live.end()) {
      return &found->second;
    }
    if (value != 0 && value < nextId) {
      *problem = "was already disposed";
      return nullptr;
    }
  }
  *problem = "was never made by the host";
  return nullptr;
}

uint32_t HostStrings::Intern(const std::string& text) {
  // Looked up first: emplace would make and free a node at every fill of a known text.
  const auto found = hostTextIndex.find(&text);
  if (found != hostTextIndex.end()) {
    return found->second;
  }
  const auto index = static_cast<uint32_t>(hostTexts.size());
  hostTextIndex.emplace(&text, index);
  hostTexts.push_back(&text);
  return index;
}

void HostStrings::Fill(ADOBESDK_String* out, const std::string& text, uint32_t limit) {
  uint32_t index = 0;
  if (limit == kNoLimit || text.size() < limit) {
    index = Intern(text);
  } else {
    const auto found = cutTextIndex.find({&text, limit});
    if (found != cutTextIndex.end()) {
      index = found->second;
    } else {
      std::size_t length = limit == 0 ? 0 : limit - 1;
      while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
      }
      cutTexts.push_back(text.substr(0, length));
      index = Intern(cutTexts.back());
      cutTextIndex.emplace(std::make_pair(&text, limit), index);
    }
  }
  out->opaque[0] = Tag(kHostFilled);
  out->opaque[1] = index;
}

void HostStrings::Make(ADOBESDK_String* out, std::string text) {
  const uintptr_t id = nextId++;
  live.emplace(id, std::move(text));
  out->opaque[0] = Tag(kPluginMade);
  out->opaque[1] = id;
}

const char* HostStrings::Dispose(const ADOBESDK_String& string) {
  const char* problem = nullptr;
  if (Resolve(string, &problem) == nullptr) {
    return problem;
  }
  if (string.opaque[0] == 0) {
    return "is a zero-initialised string, which needs no disposal";
  }
  if (string.opaque[0] == Tag(kHostFilled)) {
    return "was filled in by the host, which owns it";
  }
  live.erase(string.opaque[1]);
  return nullptr;
}

std::vector<std::string> HostStrings::LiveTexts() const {
  std::vector<std::string> texts;
  for (const auto& [id, text] : live) {
    texts.push_back(text);
  }
  return texts;
}

}  // namespace dialforge_host
