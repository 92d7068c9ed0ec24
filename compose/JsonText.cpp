#include "compose/JsonText.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "compose/NumberText.h"

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at the start of text, or 0 when it is ill-formed;
// then *skip is the length of its maximal ill-formed part (at least 1).
size_t WellFormedLength(std::string_view text, size_t* skip) {
  const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(0);
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    *skip = 1;
    return 0;
  }
  size_t at = 1;
  for (; at < length && at < text.size(); ++at) {
    const unsigned char continuation = byte(at);
    const unsigned char from = at == 1 ? low : 0x80;
    const unsigned char to = at == 1 ? high : 0xBF;
    if (continuation < from || continuation > to) {
      break;
    }
  }
  if (at == length) {
    return length;
  }
  *skip = at;
  return 0;
}

}  // namespace

void AppendJsonString(std::string& json, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto escape = [&](unsigned char code) {
    json += "\\u00";
    json += kHex[code >> 4];
    json += kHex[code & 0xF];
  };
  json += '"';
  size_t at = 0;
  while (at < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x20 && byte < 0x7F) {
      // The common case: a run of plain characters goes in at once.
      size_t end = at;
      while (end < text.size()) {
        const unsigned char next = static_cast<unsigned char>(text[end]);
        if (next < 0x20 || next >= 0x7F || next == '"' || next == '\\') {
          break;
        }
        ++end;
      }
      if (end > at) {
        json.append(text.data() + at, end - at);
        at = end;
        continue;
      }
      json += '\\';
      json += static_cast<char>(byte);
      ++at;
    } else if (byte < 0x20 || byte == 0x7F) {
      switch (byte) {
        case '\n':
          json += "\\n";
          break;
        case '\r':
          json += "\\r";
          break;
        case '\t':
          json += "\\t";
          break;
        default:
          escape(byte);
      }
      ++at;
    } else {
      size_t skip = 0;
      const size_t length = WellFormedLength(text.substr(at), &skip);
      if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
        // A C1 control (U+0080 to U+009F), such as a terminal's CSI: escaped like the others,
        // so that a line printed as it comes cannot drive a terminal.
        escape(static_cast<unsigned char>(text[at + 1]));
        at += length;
      } else if (length > 0) {
        json.append(text.data() + at, length);
        at += length;
      } else {
        json += kReplacement;
        at += skip;
      }
    }
  }
  json += '"';
}

void AppendJsonFloat(std::string& json, float value) {
  if (!std::isfinite(value)) {
    json += "null";
    return;
  }
  // Most host values have few decimals: their six-decimal text, without its trailing zeros,
  // reads back as the same float and costs far less than the shortest form.
  const double scaled = std::nearbyint(static_cast<double>(value) * 1e6);
  if (std::fabs(value) < 1e9f && static_cast<float>(scaled / 1e6) == value) {
    AppendFloat(json, value);
    size_t end = json.size();
    while (json[end - 1] == '0' && json[end - 2] != '.') {
      --end;
    }
    json.resize(end);
    return;
  }
  char digits[32];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  json.append(digits, static_cast<size_t>(end - digits));
  if (std::memchr(digits, '.', static_cast<size_t>(end - digits)) == nullptr &&
      std::memchr(digits, 'e', static_cast<size_t>(end - digits)) == nullptr) {
    json += ".0";
  }
}

void AppendJsonUnsigned(std::string& json, uint32_t value) {
  char digits[16];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  json.append(digits, static_cast<size_t>(end - digits));
}

void AppendJsonBool(std::string& json, bool value) {
  json += value ? "true" : "false";
}

}  // namespace VazezeveDudOzizezUziriv
