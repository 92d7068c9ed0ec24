#include "trace/Tracer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
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
bool sLogFileFull = false;

constexpr const char* kLimitReached = "Log file limit reached\r\n";

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

// A new file is created 0600 whatever the umask; an existing one is taken only when it is a plain
// file reached without a link (a planted FIFO would block the writer, and a link would send our
// lines into another file).
int OpenLogFile(const std::string& path) {
  int descriptor =
      open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (descriptor != -1) {
    fchmod(descriptor, 0600);
    return descriptor;
  }
  if (errno != EEXIST) {
    return -1;
  }
  descriptor = open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor == -1) {
    return -1;
  }
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(descriptor);
    return -1;
  }
  return descriptor;
}

void WriteAll(int descriptor, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = write(descriptor, text.data() + written, text.size() - written);
    if (count == -1 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      return;
    }
    written += static_cast<size_t>(count);
  }
}

// Callers hold sTraceMutex.
void LogToFileLocked(const std::string& line) {
  if (sLogFileFull) {
    return;
  }
  const std::string path = LogFileNameLocked();
  if (path.empty()) {
    return;
  }
  const int descriptor = OpenLogFile(path);
  if (descriptor == -1) {
    return;
  }
  const std::string stamp = Tracer::GetCurrentDateTime() + " | ";
  std::string stamped = stamp + line.c_str();
  const std::string limitLine = stamp + kLimitReached;
  struct stat status {};
  const long long size = fstat(descriptor, &status) == 0 ? status.st_size : 0;
  // Room is always kept for the line that says the file is full.
  if (size + static_cast<long long>(stamped.size() + limitLine.size()) > Tracer::kLogFileLimit) {
    stamped = size + static_cast<long long>(limitLine.size()) <= Tracer::kLogFileLimit
                  ? limitLine
                  : std::string();
    sLogFileFull = true;
  }
  WriteAll(descriptor, stamped);
  close(descriptor);
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

bool Tracer::IsOn() {
  return sSwitches.load(std::memory_order_relaxed) != 0;
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
