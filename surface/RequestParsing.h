// Readers of the numbers and flags in request fields.
#ifndef DIALFORGE_SURFACE_REQUESTPARSING_H
#define DIALFORGE_SURFACE_REQUESTPARSING_H

#include <cstdint>
#include <optional>
#include <string>

namespace VazezeveDudOzizezUziriv {

// Digits with one decimal separator, a point or a comma; every minus sign, wherever it stands,
// flips the sign. Empty text is 0; invalid text, and a value no float holds, is traced
// ("Invalid double: '%s'") and gives nothing.
std::optional<float> ParseDouble(const std::string& text);

// Digits; a minus sign anywhere makes the number negative. Empty text is 0; invalid text, and a
// number beyond 32 signed bits, is traced ("Invalid integer: '%s'") and gives nothing.
std::optional<int32_t> ParseInteger(const std::string& text);

// A flag is true exactly when its field is "1".
bool ReadFlag(const std::string& field);

// As the C library's atoi reads a number (leading white space, a sign, digits up to the first
// other character, 0 without a number), with values beyond 32 bits held at the nearest limit.
int32_t ReadLeadingInteger(const std::string& text);

// As std::stoi reads a number, without its exceptions: false when the text does not begin with
// a number or the number does not fit in 32 bits.
bool ReadMenuNumber(const std::string& text, int32_t* number);

// A navigation step: four comma-separated pieces, a flag, two integers and a flag.
struct NavigationStep {
  bool firstFlag = false;
  int32_t first = 0;
  int32_t second = 0;
  bool secondFlag = false;
};

// False when the text is not exactly four pieces.
bool ReadNavigation(const std::string& text, NavigationStep* step);

}  // namespace VazezeveDudOzizezUziriv

#endif
