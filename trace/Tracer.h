// The one reporting channel: trace lines to standard output and, when logging is on, stamped
// lines to a dated log file under the user's home. Tracing threads only queue their lines; one
// writer thread, started by the first line, writes them in order.
#ifndef DIALFORGE_TRACE_TRACER_H
#define DIALFORGE_TRACE_TRACER_H

#include <ctime>
#include <string>

namespace VazezeveDudOzizezUziriv {

// The line being traced: at most 4092 characters of message, CR LF and a NUL.
extern char szTraceBuffer[4096];

class Tracer {
 public:
  static void SetTracing(bool enabled);
  static bool GetTracing();
  static void SetLog(bool enabled);
  static bool GetLog();
  // True when a trace line would be written anywhere: callers that must prepare its text first
  // (client text made printable) ask this, so that tracing off still costs nothing.
  static bool IsOn();

  // One printf-style line; never throws. With both switches off it only tests them. A line that
  // does not fit the queue (kept below 4,096 lines and 4 MiB) is dropped and counted; the next
  // queued line is preceded by "Trace lines dropped: N".
  static void TRACE(const char* format, ...) __attribute__((format(printf, 1, 2)));
  // Writes out what is queued, waiting at most a second, and joins the writer; a later line
  // starts it again. A writer held in a write past that is interrupted for another second and
  // then left to end on its own. Called by the last instance's stop and by the module's
  // shut-down; nothing calls it at unload or exit, where no wait is safe.
  static void Stop();

  static std::string GetCurrentDateTime();
  // The date-time text of a given moment, in UTC: 2026-12-05T13-51-05.
  static std::string GetDateTime(std::time_t moment);
  // The log file of this process, named by the moment of its first logged line; empty when
  // the home (HOME, or LOCALAPPDATA on Windows) is not set.
  static std::string GetLogFileName();
  // Appends the stamped line now. The file is created 0600 in a Logs folder that no other user
  // can change; an existing one is taken only when it is a plain file of ours that no other user
  // can write, never through a link (else the lines go to standard output only, said once). It
  // stops at kLogFileLimit bytes: its last line then says so, and later lines of this process go
  // to standard output only.
  static void LogToFile(std::string line);

  static constexpr long long kLogFileLimit = 256LL << 20;
};

// Decimal text of the number, zero-padded to two digits.
std::string FormatToString(int value);

}  // namespace VazezeveDudOzizezUziriv

#endif
