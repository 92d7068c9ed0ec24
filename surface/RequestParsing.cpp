#include "surface/RequestParsing.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "grammar/RequestGrammar.h"
#include "trace/Printable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

std::optional<float> InvalidDouble(const std::string& text) {
  Tracer::TRACE("Invalid double: '%s'", Printable(text).c_str());
  return std::nullopt;
}

std::optional<int32_t> InvalidInteger(const std::string& text) {
  Tracer::TRACE("Invalid integer: '%s'", Printable(text).c_str());
  return std::nullopt;
}

}  // namespace

std::optional<float> ParseDouble(const std::string& text) {
  const std::optional<float> value = ReadDecimal(text);
  return value ? value : InvalidDouble(text);
}

std::optional<int32_t> ParseInteger(const std::string& text) {
  const std::optional<int32_t> value = ReadInteger(text);
  return value ? value : InvalidInteger(text);
}

bool ReadMenuNumber(const std::string& text, int32_t* number) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(start, &end, 10);
  if (end == start || errno == ERANGE || value > std::numeric_limits<int32_t>::max() ||
      value < std::numeric_limits<int32_t>::min()) {
    return false;
  }
  *number = static_cast<int32_t>(value);
  return true;
}

}  // namespace VazezeveDudOzizezUziriv
