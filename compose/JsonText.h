// Pieces of JSON text (RFC 8259), appended in place: the plug-in writes its protocol 2 lines with
// these and no library.
#ifndef DIALFORGE_COMPOSE_JSONTEXT_H
#define DIALFORGE_COMPOSE_JSONTEXT_H

#include <cstdint>
#include <string>
#include <string_view>

namespace VazezeveDudOzizezUziriv {

// A quoted string. Quotes, backslashes and control characters (C0, DEL and C1) are escaped, so
// the result never holds a raw line feed nor anything a terminal acts on; a byte sequence that is
// not UTF-8 is written as U+FFFD, one per maximal ill-formed part as Unicode recommends.
void AppendJsonString(std::string& json, std::string_view text);
// The shortest text that reads back as the same float, with ".0" on whole numbers; a value that
// is not finite is null.
void AppendJsonFloat(std::string& json, float value);
void AppendJsonUnsigned(std::string& json, uint32_t value);
void AppendJsonBool(std::string& json, bool value);

}  // namespace VazezeveDudOzizezUziriv

#endif
