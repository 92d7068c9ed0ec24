#include "compose/ErrorMessage.h"

#include <cstdint>

std::string GetErrorMessage(int code) {
  if (code == 0) {
    return std::string();
  }
  const auto bits = static_cast<uint32_t>(code);
  std::string text(4, '\0');
  for (int byte = 0; byte < 4; ++byte) {
    text[byte] = static_cast<char>((bits >> (24 - 8 * byte)) & 0xFFu);
  }
  return text;
}
