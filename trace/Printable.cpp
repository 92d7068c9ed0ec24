#include "trace/Printable.h"

namespace VazezeveDudOzizezUziriv {

namespace {

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at `at` (shortest form, no surrogates, at most
// U+10FFFF), or 0 when the byte there starts none.
size_t SequenceLength(const std::string& text, size_t at) {
  const auto byte = [&](size_t offset) {
    return at + offset < text.size() ? static_cast<unsigned char>(text[at + offset]) : 0;
  };
  const unsigned char lead = byte(0);
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  size_t length = 0;
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
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
    return 0;
  }
  if (byte(1) < low || byte(1) > high) {
    return 0;
  }
  for (size_t offset = 2; offset < length; ++offset) {
    if (!IsContinuation(byte(offset))) {
      return 0;
    }
  }
  return length;
}

// Controls that a terminal obeys (C0, DEL and, as C2 80 to C2 9F, C1), and the backslash, so
// that an escape in the trace is always ours.
bool MustEscape(const std::string& text, size_t at, size_t length) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (length == 1) {
    return lead < 0x20 || lead == 0x7F || lead == '\\';
  }
  return length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

void AppendEscaped(unsigned char byte, std::string* printable) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  *printable += "\\x";
  *printable += kHexDigits[byte >> 4];
  *printable += kHexDigits[byte & 0x0F];
}

}  // namespace

std::string Printable(const std::string& text) {
  std::string printable;
  printable.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t length = SequenceLength(text, at);
    if (length == 0) {
      AppendEscaped(static_cast<unsigned char>(text[at]), &printable);
      ++at;
      continue;
    }
    if (MustEscape(text, at, length)) {
      for (size_t offset = 0; offset < length; ++offset) {
        AppendEscaped(static_cast<unsigned char>(text[at + offset]), &printable);
      }
    } else {
      printable.append(text, at, length);
    }
    at += length;
  }
  return printable;
}

}  // namespace VazezeveDudOzizezUziriv
