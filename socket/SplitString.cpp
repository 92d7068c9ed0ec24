#include "socket/SplitString.h"

namespace VazezeveDudOzizezUziriv {

std::vector<std::string> SplitString(std::string text, char delimiter) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start < text.size()) {
    const size_t at = text.find(delimiter, start);
    if (at == std::string::npos) {
      pieces.emplace_back(text, start);
      break;
    }
    pieces.emplace_back(text, start, at - start);
    start = at + 1;
  }
  return pieces;
}

}  // namespace VazezeveDudOzizezUziriv
