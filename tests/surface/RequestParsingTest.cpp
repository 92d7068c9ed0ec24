#include "surface/RequestParsing.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/surface/SurfaceTestSupport.h"

namespace {

using namespace VazezeveDudOzizezUziriv;
using dialforge_test::Traced;

TEST(ParseDouble, ReadsEitherSeparatorAndEveryMinusFlipsTheSign) {
  const std::vector<std::pair<std::string, float>> valid = {
      {"", 0.0f},      {"0", 0.0f},     {"3", 3.0f},         {"1,5", 1.5f},
      {"1.5", 1.5f},   {"0.25", 0.25f}, {"0,25", 0.25f},     {"-2", -2.0f},
      {"25-", -25.0f}, {"--3", 3.0f},   {"1-.5", -1.5f},     {".5", 0.5f},
      {"5.", 5.0f},    {"007", 7.0f},   {"-0.125", -0.125f}, {"12.500", 12.5f}};
  for (const auto& [text, expected] : valid) {
    std::vector<std::string> traces = Traced([&, text = text, expected = expected] {
      EXPECT_EQ(ParseDouble(text), expected) << "'" << text << "'";
    });
    EXPECT_TRUE(traces.empty()) << "'" << text << "'";
  }
  const std::string digits(400, '9');
  // Too many digits overflow to infinity or NaN, a value beyond the float range to infinity.
  const std::vector<std::pair<std::string, std::string>> invalid = {
      {"1.5.0", "1.5.0"},
      {"1,5.0", "1,5.0"},
      {"abc", "abc"},
      {"1e3", "1e3"},
      {"+1", "+1"},
      {" 1", " 1"},
      {"1 ", "1 "},
      {"0x10", "0x10"},
      {"1\r", "1\\x0D"},
      {digits, digits},
      {"-" + digits, "-" + digits},
      {digits + "." + digits, digits + "." + digits},
      {"1" + std::string(39, '0'), "1" + std::string(39, '0')}};
  for (const auto& [text, traced] : invalid) {
    std::vector<std::string> traces;
    traces = Traced([&, text = text] { EXPECT_EQ(ParseDouble(text), 0.0f) << "'" << text << "'"; });
    EXPECT_EQ(traces, std::vector<std::string>{"Invalid double: '" + traced + "'"});
  }
}

TEST(ParseInteger, ReadsDigitsWithAMinusAnywhereAndWrapsInThirtyTwoBits) {
  const std::vector<std::pair<std::string, int32_t>> valid = {
      {"", 0},
      {"3", 3},
      {"-1", -1},
      {"1-", -1},
      {"--5", -5},
      {"2147483647", 2147483647},
      {"2147483648", std::numeric_limits<int32_t>::min()},
      {"4294967297", 1},
      {"-4294967295", 1},
      {"0006", 6}};
  for (const auto& [text, expected] : valid) {
    const auto traces = Traced([&, text = text, expected = expected] {
      EXPECT_EQ(ParseInteger(text), expected) << "'" << text << "'";
    });
    EXPECT_TRUE(traces.empty()) << "'" << text << "'";
  }
  for (const std::string text : {"3a", "1.0", "+2", " 4", "x"}) {
    const auto traces = Traced([&] { EXPECT_EQ(ParseInteger(text), 0) << "'" << text << "'"; });
    EXPECT_EQ(traces, std::vector<std::string>{"Invalid integer: '" + text + "'"});
  }
}

TEST(ReadNavigation, TakesExactlyFourPiecesWithFlagsTrueOnlyForOne) {
  NavigationStep step;
  ASSERT_TRUE(ReadNavigation("1,2,3,0", &step));
  EXPECT_TRUE(step.firstFlag);
  EXPECT_EQ(step.first, 2);
  EXPECT_EQ(step.second, 3);
  EXPECT_FALSE(step.secondFlag);

  ASSERT_TRUE(ReadNavigation("1,-4,x,1", &step));
  EXPECT_EQ(step.first, -4);
  EXPECT_EQ(step.second, 0);
  EXPECT_TRUE(step.secondFlag);

  ASSERT_TRUE(ReadNavigation("true, 7x,-99999999999, 1", &step));
  EXPECT_FALSE(step.firstFlag);
  EXPECT_EQ(step.first, 7);
  EXPECT_EQ(step.second, std::numeric_limits<int32_t>::min());
  EXPECT_FALSE(step.secondFlag);

  ASSERT_TRUE(ReadNavigation("1,2,3,,", &step)) << "two trailing commas make an empty fourth";
  EXPECT_FALSE(step.secondFlag);
  for (const char* refused : {"1,2,3", "1,2,3,", "1,2,3,4,5", "", ",,,,,"}) {
    EXPECT_FALSE(ReadNavigation(refused, &step)) << refused;
  }
}

TEST(ReadMenuNumber, ReadsLikeStoiWithoutThrowing) {
  int32_t number = -1;
  EXPECT_TRUE(ReadMenuNumber("2", &number));
  EXPECT_EQ(number, 2);
  EXPECT_TRUE(ReadMenuNumber("  -3 apples", &number));
  EXPECT_EQ(number, -3);
  for (const char* refused : {"", "x2", " : 3", "99999999999", "-2147483649"}) {
    EXPECT_FALSE(ReadMenuNumber(refused, &number)) << refused;
  }
}

}  // namespace
