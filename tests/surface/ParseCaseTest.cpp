// One table of request numbers, read by the plug-in's parser and by dialforge-client's check for
// --strict, which meets the plug-in only on the wire: the two must agree on every case.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/RequestCheck.h"
#include "surface/RequestParsing.h"
#include "tests/surface/SurfaceTestSupport.h"
#include "trace/Printable.h"

namespace {

using VazezeveDudOzizezUziriv::ParseDouble;
using VazezeveDudOzizezUziriv::ParseInteger;
using VazezeveDudOzizezUziriv::Printable;
using Lines = std::vector<std::string>;

// The plug-in's reading; invalid text, and only that, is traced with its name, made printable.
template <typename Number, typename Read>
std::optional<Number> PluginReading(const Read& read, const std::string& invalidLine) {
  std::optional<Number> value;
  const Lines traced = dialforge_test::Traced([&] { value = read(); });
  EXPECT_EQ(traced, value ? Lines() : Lines{invalidLine});
  return value;
}

TEST(ParseCaseTable, ThePluginAndTheClientReadEveryNumberAlike) {
  // Too many digits overflow to infinity or NaN, a value beyond the float range to infinity.
  const std::string digits(400, '9');
  const struct {
    std::string text;
    std::optional<float> value;
  } lumetriValues[] = {
      {"0.25", 0.25f},
      {"0,25", 0.25f},
      {"1.5-", -1.5f},
      {"1-.5", -1.5f},
      {"--2", 2.0f},
      {".5", 0.5f},
      {"5.", 5.0f},
      {"007", 7.0f},
      {"", 0.0f},
      {"abc", std::nullopt},
      {"+5", std::nullopt},
      {"1e-7", std::nullopt},
      {"1.5.0", std::nullopt},
      {"1.234,5", std::nullopt},
      {" 1", std::nullopt},
      {"0x10", std::nullopt},
      {"1\r", std::nullopt},
      {digits, std::nullopt},
      {digits + "." + digits, std::nullopt},
      {"1" + std::string(39, '0'), std::nullopt},
  };
  for (const auto& row : lumetriValues) {
    SCOPED_TRACE("ChangeLumetri value '" + row.text + "'");
    EXPECT_EQ(PluginReading<float>([&] { return ParseDouble(row.text); },
                                   "Invalid double: '" + Printable(row.text) + "'"),
              row.value);
    EXPECT_EQ(dialforge_client::LumetriValue(row.text), row.value);
  }
  const struct {
    std::string text;
    std::optional<int32_t> value;
  } panelModes[] = {
      {"3", 3},
      {"-0", 0},
      {"3-", -3},
      {"--3", -3},
      {"0006", 6},
      {"", 0},
      {"2147483647", std::numeric_limits<int32_t>::max()},
      {"-2147483648", std::numeric_limits<int32_t>::min()},
      {"a", std::nullopt},
      {"3a", std::nullopt},
      {"+3", std::nullopt},
      {" 3", std::nullopt},
      {"1.0", std::nullopt},
      // Beyond 32 bits nothing wraps into a valid mode.
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"4294967299", std::nullopt},
      {"-4294967293", std::nullopt},
      {"12884901894", std::nullopt},
  };
  for (const auto& row : panelModes) {
    SCOPED_TRACE("ChangeLumetriPanelMode '" + row.text + "'");
    EXPECT_EQ(PluginReading<int32_t>([&] { return ParseInteger(row.text); },
                                     "Invalid integer: '" + Printable(row.text) + "'"),
              row.value);
    EXPECT_EQ(dialforge_client::PanelModeNumber(row.text), row.value);
  }
}

}  // namespace
