#include "compose/NumberText.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr uint64_t kMicros = 1000000;
// A float is mantissa * 2^exponent with a 24-bit mantissa. Up to this exponent its integer part
// fits 64 bits; beyond it (from 2^64 up, and for inf and NaN) the C library writes the value.
constexpr int kLargestExponent = 40;

void AppendWithPrintf(std::string& text, float value) {
  // The largest float has 39 digits before the point.
  char digits[64];
  const int length = std::snprintf(digits, sizeof digits, "%f", static_cast<double>(value));
  if (length > 0) {
    text.append(digits, static_cast<size_t>(length));
  }
}

}  // namespace

void AppendUnsigned(std::string& text, uint32_t value) {
  char digits[10];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  text.append(digits, static_cast<size_t>(end - digits));
}

void AppendFloat(std::string& text, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 31) != 0;
  const uint32_t biasedExponent = bits >> 23 & 0xFFu;
  uint64_t mantissa = bits & 0x7FFFFFu;
  int exponent = -149;  // subnormal
  if (biasedExponent != 0) {
    mantissa |= 0x800000u;
    exponent = static_cast<int>(biasedExponent) - 150;
  }
  if (biasedExponent == 0xFFu || exponent > kLargestExponent) {
    AppendWithPrintf(text, value);
    return;
  }
  uint64_t whole = 0;
  uint64_t micros = 0;
  if (exponent >= 0) {
    whole = mantissa << exponent;
  } else {
    // value * 10^6 = scaled / 2^shift exactly; scaled is below 2^44.
    const uint64_t scaled = mantissa * kMicros;
    const int shift = -exponent;
    uint64_t rounded = 0;
    if (shift < 64) {
      rounded = scaled >> shift;
      const uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
      const uint64_t half = uint64_t{1} << (shift - 1);
      if (rest > half || (rest == half && (rounded & 1) != 0)) {
        ++rounded;
      }
    }
    whole = rounded / kMicros;
    micros = rounded % kMicros;
  }
  // A sign, 20 digits, the point and 6 decimals.
  char digits[28];
  char* end = digits;
  if (negative) {
    *end++ = '-';
  }
  end = std::to_chars(end, digits + sizeof digits, whole).ptr;
  *end++ = '.';
  for (int place = 5; place >= 0; --place) {
    end[place] = static_cast<char>('0' + micros % 10);
    micros /= 10;
  }
  text.append(digits, static_cast<size_t>(end + 6 - digits));
}

}  // namespace VazezeveDudOzizezUziriv
