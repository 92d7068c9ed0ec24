// The readers of request fields, and the JSON string writer, on text of any bytes.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "compose/JsonText.h"
#include "socket/SplitString.h"
#include "surface/RequestParsing.h"

namespace {

using namespace VazezeveDudOzizezUziriv;

void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

bool OnlyDigits(const std::string& text) {
  for (const char byte : text) {
    if (byte < '0' || byte > '9') {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  const char delimiter = static_cast<char>(data[0]);
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  ParseDouble(text);
  const std::optional<int32_t> integer = ParseInteger(text);
  if (!text.empty() && text.size() <= 9 && OnlyDigits(text)) {
    Check(integer == std::atoi(text.c_str()));
  }

  // Joining the pieces gives the text back, but for one delimiter at its very end.
  const std::vector<std::string> pieces = SplitString(text, delimiter);
  std::string joined;
  for (size_t piece = 0; piece < pieces.size(); ++piece) {
    joined += (piece > 0 ? std::string(1, delimiter) : std::string()) + pieces[piece];
  }
  const bool endsWithDelimiter = !text.empty() && text.back() == delimiter;
  Check(joined + (endsWithDelimiter ? std::string(1, delimiter) : std::string()) == text);

  NavigationStep step;
  Check(ReadNavigation(text, &step) == (SplitString(text, ',').size() == 4));
  int32_t menuNumber = 0;
  ReadMenuNumber(text, &menuNumber);

  // A JSON string never holds a raw control character, and plain text goes in as it is.
  std::string json;
  AppendJsonString(json, text);
  Check(json.size() >= 2 && json.front() == '"' && json.back() == '"');
  bool plain = true;
  for (const char byte : text) {
    plain = plain && byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\';
  }
  for (size_t at = 0; at < json.size(); ++at) {
    const unsigned char byte = static_cast<unsigned char>(json[at]);
    Check(byte >= 0x20 && byte != 0x7F);
    // No C1 control (U+0080 to U+009F) either: a terminal acts on those too.
    Check(byte != 0xC2 || static_cast<unsigned char>(json[at + 1]) >= 0xA0);
  }
  Check(!plain || json == '"' + text + '"');
  return 0;
}
