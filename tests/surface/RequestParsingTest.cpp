#include "surface/RequestParsing.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/surface/SurfaceTestSupport.h"

namespace {

using namespace VazezeveDudOzizezUziriv;
using dialforge_test::Traced;
using Lines = std::vector<std::string>;

TEST(ParseDouble, ReadsEitherSeparatorAndEveryMinusFlipsTheSign) {
  const std::pair<std::string, float> valid[] = {
      {"", 0.0f},      {"1,5", 1.5f}, {"1.5", 1.5f}, {"25-", -25.0f}, {"--3", 3.0f},
      {"1-.5", -1.5f}, {".5", 0.5f},  {"5.", 5.0f},  {"007", 7.0f},   {"-0.125", -0.125f}};
  for (const auto& [text, expected] : valid) {
    EXPECT_EQ(Traced([&, text = text, expected = expected] {
                EXPECT_EQ(ParseDouble(text), expected) << "'" << text << "'";
              }),
              Lines());
  }
  // Too many digits overflow to infinity or NaN, a value beyond the float range to infinity.
  const std::string digits(400, '9');
  const Lines invalid = {"1.5.0",
                         "1.234,5",
                         "1e-7",
                         "+5",
                         " 1",
                         "0x10",
                         "abc",
                         digits,
                         digits + "." + digits,
                         "1" + std::string(39, '0')};
  for (const std::string& text : invalid) {
    EXPECT_EQ(Traced([&] { EXPECT_EQ(ParseDouble(text), std::nullopt) << "'" << text << "'"; }),
              Lines{"Invalid double: '" + text + "'"});
  }
  EXPECT_EQ(Traced([] { ParseDouble("1\r"); }), Lines{"Invalid double: '1\\x0D'"})
      << "client text is traced printable";
}

TEST(ParseInteger, ReadsDigitsWithAMinusAnywhereWithinThirtyTwoSignedBits) {
  const std::pair<std::string, int32_t> valid[] = {
      {"", 0},     {"1-", -1},
      {"--5", -5}, {"-2147483648", std::numeric_limits<int32_t>::min()},
      {"0006", 6}, {"2147483647", std::numeric_limits<int32_t>::max()}};
  for (const auto& [text, expected] : valid) {
    EXPECT_EQ(Traced([&, text = text, expected = expected] {
                EXPECT_EQ(ParseInteger(text), expected) << "'" << text << "'";
              }),
              Lines());
  }
  // Beyond 32 bits nothing wraps into a valid mode.
  for (const std::string text : {"3a", "1.0", "+2", " 4", "a", "2147483648", "-2147483649",
                                 "4294967299", "-4294967293", "12884901894"}) {
    EXPECT_EQ(Traced([&] { EXPECT_EQ(ParseInteger(text), std::nullopt) << "'" << text << "'"; }),
              Lines{"Invalid integer: '" + text + "'"});
  }
}

}  // namespace
