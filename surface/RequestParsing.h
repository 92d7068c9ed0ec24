// The plug-in's readers of request numbers: the grammar's, traced where they refuse the text.
#ifndef DIALFORGE_SURFACE_REQUESTPARSING_H
#define DIALFORGE_SURFACE_REQUESTPARSING_H

#include <cstdint>
#include <optional>
#include <string>

#include "grammar/RequestGrammar.h"

namespace VazezeveDudOzizezUziriv {

// The grammar's readers of a decimal and an integer; what they refuse is traced
// ("Invalid double: '%s'", "Invalid integer: '%s'") and gives nothing.
std::optional<float> ParseDouble(const std::string& text);
std::optional<int32_t> ParseInteger(const std::string& text);

// As std::stoi reads a number, without its exceptions: false when the text does not begin with
// a number or the number does not fit in 32 bits.
bool ReadMenuNumber(const std::string& text, int32_t* number);

}  // namespace VazezeveDudOzizezUziriv

#endif
