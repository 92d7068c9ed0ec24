// Cutting text into pieces at one character: the fields of a request at "|", a list of values
// at commas.
#ifndef DIALFORGE_SOCKET_SPLITSTRING_H
#define DIALFORGE_SOCKET_SPLITSTRING_H

#include <string>
#include <vector>

namespace VazezeveDudOzizezUziriv {

// The pieces between delimiters, in order. Adjacent delimiters and a leading one give empty
// pieces; a delimiter at the very end gives no empty last piece, and an empty text no piece.
std::vector<std::string> SplitString(std::string text, char delimiter);

}  // namespace VazezeveDudOzizezUziriv

#endif
