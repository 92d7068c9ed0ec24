// One table of request numbers, read by the plug-in's parser and by dialforge-client's check for
// --strict, which meets the plug-in only on the wire: the two must agree on every case.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/RequestCheck.h"
#include "surface/RequestParsing.h"
#include "tests/surface/SurfaceTestSupport.h"

namespace {

using VazezeveDudOzizezUziriv::ParseDouble;
using VazezeveDudOzizezUziriv::ParseInteger;

// Whether the parser gives the number itself or an optional one.
template <typename Number>
Number ValueOf(Number value) {
  return value;
}
template <typename Number>
Number ValueOf(std::optional<Number> value) {
  return value.value_or(Number{});
}

// The plug-in's reading as a value or nothing: invalid text is the text it traces as invalid.
template <typename Number, typename Read>
std::optional<Number> PluginReading(const Read& read) {
  Number value{};
  const std::vector<std::string> traced = dialforge_test::Traced([&] { value = ValueOf(read()); });
  return traced.empty() ? std::optional<Number>(value) : std::nullopt;
}

TEST(ParseCaseTable, ThePluginAndTheClientReadEveryNumberAlike) {
  const struct {
    std::string text;
    std::optional<float> value;
  } lumetriValues[] = {
      {"0.25", 0.25f},
      {"0,25", 0.25f},
      {"-1.5", -1.5f},
      {"1.5-", -1.5f},
      {"--2", 2.0f},
      {"", 0.0f},
      {"abc", std::nullopt},
      {"+5", std::nullopt},
      {"1e-7", std::nullopt},
      {"1.234,5", std::nullopt},
      {" 1", std::nullopt},
      {"1\r", std::nullopt},
      {std::string(400, '9'), std::nullopt},
      {"1" + std::string(39, '0'), std::nullopt},
  };
  for (const auto& row : lumetriValues) {
    SCOPED_TRACE("ChangeLumetri value '" + row.text + "'");
    EXPECT_EQ(PluginReading<float>([&] { return ParseDouble(row.text); }), row.value);
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
      {"", 0},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"a", std::nullopt},
      {"+3", std::nullopt},
      {" 3", std::nullopt},
      {"1.0", std::nullopt},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"4294967299", std::nullopt},
  };
  for (const auto& row : panelModes) {
    SCOPED_TRACE("ChangeLumetriPanelMode '" + row.text + "'");
    EXPECT_EQ(PluginReading<int32_t>([&] { return ParseInteger(row.text); }), row.value);
    EXPECT_EQ(dialforge_client::PanelModeNumber(row.text), row.value);
  }
}

}  // namespace
