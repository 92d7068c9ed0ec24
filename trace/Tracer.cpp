#include "trace/Tracer.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace VazezeveDudOzizezUziriv {

char szTraceBuffer[4096];

namespace {

constexpr unsigned kTracingSwitch = 1u;
constexpr unsigned kLogSwitch = 2u;
// Both switches in one word, so a call with both off costs one load and one test.
std::atomic<unsigned> sSwitches{0};

// Held from formatting to the end of the file write: the host's thread and the listener threads
// trace at once, and neither the buffer nor the log file may be shared between two lines.
std::mutex sTraceMutex;
std::string sLogFileName;

constexpr size_t kMessageBound = 4093;  // 4092 characters and the NUL

void SetSwitch(unsigned which, bool enabled) {
  if (enabled) {
    sSwitches.fetch_or(which, std::memory_order_relaxed);
  } else {
    sSwitches.fetch_and(~which, std::memory_order_relaxed);
  }
}

// Callers hold sTraceMutex.
std::string LogFileNameLocked() {
  if (sLogFileName.empty()) {
    const char* home = std::getenv("HOME");
    if (home == nullptr) {
      return std::string();
    }
    sLogFileName = std::string(home) + "/.local/share/Dialforge/Logs/CPP-" +
                   Tracer::GetCurrentDateTime() + ".log";
  }
  return sLogFileName;
}

// Callers hold sTraceMutex.
void LogToFileLocked(const std::string& line) {
  const std::string path = LogFileNameLocked();
  if (path.empty()) {
    return;
  }
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (file == nullptr) {
    return;
  }
  const std::string stamped = Tracer::GetCurrentDateTime() + " | " + line;
  std::fputs(stamped.c_str(), file);
  std::fclose(file);
}

}  // namespace

void Tracer::SetTracing(bool enabled) {
  SetSwitch(kTracingSwitch, enabled);
}

bool Tracer::GetTracing() {
  return (sSwitches.load(std::memory_order_relaxed) & kTracingSwitch) != 0;
}

void Tracer::SetLog(bool enabled) {
  SetSwitch(kLogSwitch, enabled);
}

bool Tracer::GetLog() {
  return (sSwitches.load(std::memory_order_relaxed) & kLogSwitch) != 0;
}

void Tracer::TRACE(const char* format, ...) {
  const unsigned switches = sSwitches.load(std::memory_order_relaxed);
  if (switches == 0 || format == nullptr) {
    return;
  }
  std::lock_guard<std::mutex> lock(sTraceMutex);
  va_list arguments;
  va_start(arguments, format);
  if (std::vsnprintf(szTraceBuffer, kMessageBound, format, arguments) < 0) {
    szTraceBuffer[0] = '\0';
  }
  va_end(arguments);
  const size_t end = std::strlen(szTraceBuffer);
  szTraceBuffer[end] = '\r';
  szTraceBuffer[end + 1] = '\n';
  szTraceBuffer[end + 2] = '\0';
  std::printf("%s", szTraceBuffer);
  // A host that crashes must not take its last trace lines with it.
  std::fflush(stdout);
  if ((switches & kLogSwitch) != 0) {
    LogToFileLocked(szTraceBuffer);
  }
}

std::string Tracer::GetCurrentDateTime() {
  return GetDateTime(std::time(nullptr));
}

std::string Tracer::GetDateTime(std::time_t moment) {
  std::tm utc{};
  if (gmtime_r(&moment, &utc) == nullptr) {
    return std::string();
  }
  return std::to_string(utc.tm_year + 1900) + "-" + FormatToString(utc.tm_mon + 1) + "-" +
         FormatToString(utc.tm_mday) + "T" + FormatToString(utc.tm_hour) + "-" +
         FormatToString(utc.tm_min) + "-" + FormatToString(utc.tm_sec);
}

std::string Tracer::GetLogFileName() {
  std::lock_guard<std::mutex> lock(sTraceMutex);
  return LogFileNameLocked();
}

void Tracer::LogToFile(std::string line) {
  std::lock_guard<std::mutex> lock(sTraceMutex);
  LogToFileLocked(line);
}

std::string FormatToString(int value) {
  return value < 10 ? "0" + std::to_string(value) : std::to_string(value);
}

}  // namespace VazezeveDudOzizezUziriv
