#include "socket/SplitString.h"

#include <algorithm>

namespace VazezeveDudOzizezUziriv {

std::vector<std::string> SplitString(std::string text, char delimiter) {
  std::vector<std::string> pieces;
  if (text.empty()) {
    return pieces;
  }
  // Every message is split: one allocation for the vector, not one per doubling of it.
  pieces.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), delimiter)) + 1);
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
