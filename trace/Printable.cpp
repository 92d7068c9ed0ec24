#include "trace/Printable.h"

namespace VazezeveDudOzizezUziriv {

namespace {

bool IsControl(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::string Printable(const std::string& text) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  std::string printable;
  printable.reserve(text.size());
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if (IsControl(byte)) {
      printable += "\\x";
      printable += kHexDigits[byte >> 4];
      printable += kHexDigits[byte & 0x0F];
    } else {
      printable += character;
    }
  }
  return printable;
}

}  // namespace VazezeveDudOzizezUziriv
