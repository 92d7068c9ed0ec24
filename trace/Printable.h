// Client text made safe for a trace line.
#ifndef DIALFORGE_TRACE_PRINTABLE_H
#define DIALFORGE_TRACE_PRINTABLE_H

#include <string>

namespace VazezeveDudOzizezUziriv {

// Bytes below 0x20 and 0x7F become \xNN, so that text a client sent can neither drive the
// terminal that shows the trace nor forge lines of the log; every other byte, UTF-8 included,
// stays as it is.
std::string Printable(const std::string& text);

}  // namespace VazezeveDudOzizezUziriv

#endif
