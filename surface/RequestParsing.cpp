#include "surface/RequestParsing.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "socket/SplitString.h"
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
  double value = 0.0;
  double divisor = 1.0;
  bool separatorSeen = false;
  for (const char byte : text) {
    if (byte == '.' || byte == ',') {
      if (separatorSeen) {
        return InvalidDouble(text);
      }
      separatorSeen = true;
    } else if (byte >= '0' && byte <= '9') {
      value = value * 10.0 + (byte - '0');
      if (separatorSeen) {
        divisor *= 10.0;
      }
    } else if (byte == '-') {
      divisor = -divisor;
    } else {
      return InvalidDouble(text);
    }
  }
  // Hundreds of digits overflow to infinity, or to NaN beside a divisor that overflowed too; a
  // value beyond the float range overflows in the conversion. None of that may reach the host.
  const float result = static_cast<float>(value / divisor);
  if (!std::isfinite(result)) {
    return InvalidDouble(text);
  }
  return result;
}

std::optional<int32_t> ParseInteger(const std::string& text) {
  // Refused rather than wrapped: a wrapped number would reach the host as another mode.
  constexpr int64_t kMostNegative = -static_cast<int64_t>(std::numeric_limits<int32_t>::min());
  int64_t magnitude = 0;
  bool negative = false;
  for (const char byte : text) {
    if (byte >= '0' && byte <= '9') {
      magnitude = magnitude * 10 + (byte - '0');
      if (magnitude > kMostNegative) {
        return InvalidInteger(text);
      }
    } else if (byte == '-') {
      negative = true;
    } else {
      return InvalidInteger(text);
    }
  }
  if (!negative && magnitude > std::numeric_limits<int32_t>::max()) {
    return InvalidInteger(text);
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

bool ReadFlag(const std::string& field) {
  return field == "1";
}

int32_t ReadLeadingInteger(const std::string& text) {
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > std::numeric_limits<int32_t>::max()) {
    return std::numeric_limits<int32_t>::max();
  }
  if (value < std::numeric_limits<int32_t>::min()) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(value);
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

bool ReadNavigation(const std::string& text, NavigationStep* step) {
  const std::vector<std::string> pieces = SplitString(text, ',');
  if (pieces.size() != 4) {
    return false;
  }
  step->firstFlag = ReadFlag(pieces[0]);
  step->first = ReadLeadingInteger(pieces[1]);
  step->second = ReadLeadingInteger(pieces[2]);
  step->secondFlag = ReadFlag(pieces[3]);
  return true;
}

}  // namespace VazezeveDudOzizezUziriv
