// Client text made safe for a trace line.
#ifndef DIALFORGE_TRACE_PRINTABLE_H
#define DIALFORGE_TRACE_PRINTABLE_H

#include <string>

namespace VazezeveDudOzizezUziriv {

// Every byte that is not part of well-formed UTF-8, the controls (below 0x20, 0x7F and U+0080 to
// U+009F) and the backslash become \xNN, so that text a client sent can neither drive the
// terminal that shows the trace nor forge lines of the log or escapes; printable UTF-8 stays.
std::string Printable(const std::string& text);

}  // namespace VazezeveDudOzizezUziriv

#endif
