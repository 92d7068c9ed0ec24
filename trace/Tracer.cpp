#include "trace/Tracer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/DataFolder.h"
#include "platform/ModulePin.h"
#include "platform/PrivateFolder.h"
#include "platform/StandardOutput.h"
#include "platform/Time.h"

namespace VazezeveDudOzizezUziriv {

char szTraceBuffer[4096];

namespace {

using Clock = std::chrono::steady_clock;
using dialforge_platform::JoinPath;

constexpr unsigned kTracingSwitch = 1u;
constexpr unsigned kLogSwitch = 2u;
// Both switches in one word, so a call with both off costs one load and one test.
std::atomic<unsigned> sSwitches{0};

constexpr const char* kLogsFolder = "Logs";
constexpr const char* kLimitReached = "Log file limit reached\r\n";
constexpr size_t kMessageBound = 4093;  // 4092 characters and the NUL
constexpr size_t kMostQueuedLines = 4096;
constexpr size_t kMostQueuedBytes = 4u << 20;
constexpr auto kStopDeadline = std::chrono::seconds(1);
// How long a stop goes on interrupting a write the system holds before it leaves the writer to
// end on its own.
constexpr auto kGiveUpAfter = std::chrono::seconds(1);
// How often a stop past its deadline interrupts a write that the system holds.
constexpr auto kInterruptInterval = std::chrono::milliseconds(50);

struct QueuedLine {
  std::string text;   // the message and CR LF
  std::string stamp;  // the moment it was traced; empty when it is not logged
};

// The threads that trace only format and queue; one writer thread does all the writing, so a
// stalled standard output or log file holds no host or listener thread.
struct TraceQueue {
  std::mutex mutex;  // guards everything here and szTraceBuffer
  std::condition_variable wake;
  std::deque<QueuedLine> lines;
  size_t bytes = 0;
  int dropped = 0;
  std::thread writer;
  bool writerRunning = false;
  bool stopping = false;
  std::condition_variable writerEnded;
  unsigned endedWriters = 0;
  std::string logHome;      // empty until the first logged line names the file
  std::string logFileName;  // the file's name in the Logs folder
  bool missingHomeTraced = false;
};

// Made by the first line and never destroyed: at exit, or at an unload under the system's
// loader lock, no destructor may wait for the writer (Windows has already ended it at exit, and
// joining it at an unload would deadlock). The module is pinned before the writer starts, so
// the queue stays reachable for the life of the process.
std::atomic<TraceQueue*> sQueue{nullptr};
std::mutex sQueueMaking;

TraceQueue& Queue() {
  TraceQueue* queue = sQueue.load();
  if (queue == nullptr) {
    std::lock_guard<std::mutex> lock(sQueueMaking);
    queue = sQueue.load();
    if (queue == nullptr) {
      queue = new TraceQueue;
      sQueue.store(queue);
    }
  }
  return *queue;
}

// The moment after which a stopping writer gives up (steady clock, nanoseconds); 0 when none.
std::atomic<long long> sStopDeadline{0};
std::mutex sStopMutex;  // one stop at a time

// The log file, kept open between lines until the writer ends: the walk to it is made when it is
// opened, and again only once the file is gone from its name. Never destroyed, like the queue.
struct LogFile {
  std::mutex mutex;  // held by the writer for each line; taken after the queue's, never before
  std::optional<dialforge_platform::AppendFile> file;
  int linesSincePlaceCheck = 0;
  bool full = false;
  bool refusalTraced = false;
};

// Lines that were queued behind the one written before them share its look at the file's
// place, up to this many: on Windows that look opens the file's path.
constexpr int kLinesPerPlaceCheck = 64;

LogFile& TheLogFile() {
  static LogFile* const log = new LogFile;
  return *log;
}

void CloseLogFile() {
  LogFile& log = TheLogFile();
  std::lock_guard<std::mutex> lock(log.mutex);
  log.file.reset();
}

void SetSwitch(unsigned which, bool enabled) {
  if (enabled) {
    sSwitches.fetch_or(which, std::memory_order_relaxed);
  } else {
    sSwitches.fetch_and(~which, std::memory_order_relaxed);
  }
}

bool StopDeadlinePassed() {
  const long long deadline = sStopDeadline.load();
  return deadline != 0 && Clock::now().time_since_epoch().count() >= deadline;
}

// The Logs folder's path below the home.
std::string LogsBelowHome() {
  return JoinPath(dialforge_platform::kDataFolderInHome, kLogsFolder);
}

std::string LogsFolderOf(const std::string& home) {
  return JoinPath(dialforge_platform::DataFolderUnder(home), kLogsFolder);
}

// Callers hold the queue's mutex. False when the home (HOME, or LOCALAPPDATA) is not set.
bool NameLogFileLocked(TraceQueue& queue) {
  if (queue.logHome.empty()) {
    const std::optional<std::string> home =
        dialforge_platform::Variable(dialforge_platform::HomeVariable());
    if (!home || home->empty()) {
      return false;
    }
    queue.logHome = *home;
    queue.logFileName = "CPP-" + Tracer::GetCurrentDateTime() + ".log";
  }
  return true;
}

// Whether the open file may take the line. Callers hold the log file's mutex.
bool StillUsableLocked(LogFile& log, bool queuedBehindLast) {
  if (!log.file) {
    return false;
  }
  if (queuedBehindLast && log.linesSincePlaceCheck < kLinesPerPlaceCheck) {
    ++log.linesSincePlaceCheck;
    return true;
  }
  log.linesSincePlaceCheck = 0;
  return log.file->StillInPlace();
}

// The log file, opened afresh when it is not open or no longer at its name; null when it cannot
// be, with the refusal to trace (once) in `refusal`. Callers hold the log file's mutex.
dialforge_platform::AppendFile* OpenLogLocked(LogFile& log, const std::string& home,
                                              const std::string& name, bool queuedBehindLast,
                                              std::string* refusal) {
  if (StillUsableLocked(log, queuedBehindLast)) {
    return &*log.file;
  }
  log.file.reset();
  const dialforge_platform::PrivateFolder folder(home, LogsBelowHome(), false);
  bool notOurs = false;
  dialforge_platform::AppendFile file =
      folder.IsOpen() ? folder.OpenForAppend(name, &notOurs) : dialforge_platform::AppendFile();
  if (!file.IsOpen()) {
    // A missing folder only loses the file copy; one that another user could change, or a
    // file that is not ours, is said once.
    if (!log.refusalTraced && (!folder.NotPrivate().empty() || notOurs)) {
      log.refusalTraced = true;
      *refusal = folder.IsOpen() ? "Log file not private: " + JoinPath(LogsFolderOf(home), name)
                                 : "Log file folder not private: " + folder.NotPrivate();
    }
    return nullptr;
  }
  return &log.file.emplace(std::move(file));
}

// Appends one stamped line; the writer's step, and LogToFile's. A line that cannot be made is
// lost, as one whose file cannot be opened. `queuedBehindLast`: the line was waiting already when
// the one before it was written.
void AppendToLog(const std::string& home, const std::string& name, const std::string& stamp,
                 const std::string& line, bool queuedBehindLast) {
  std::string refusal;
  try {
    LogFile& log = TheLogFile();
    std::lock_guard<std::mutex> lock(log.mutex);
    if (log.full) {
      return;
    }
    if (const dialforge_platform::AppendFile* file =
            OpenLogLocked(log, home, name, queuedBehindLast, &refusal)) {
      std::string stamped = stamp + " | " + line.c_str();
      const std::string limitLine = stamp + " | " + kLimitReached;
      const long long size = file->Size();
      // Room is always kept for the line that says the file is full.
      if (size + static_cast<long long>(stamped.size() + limitLine.size()) >
          Tracer::kLogFileLimit) {
        stamped = size + static_cast<long long>(limitLine.size()) <= Tracer::kLogFileLimit
                      ? limitLine
                      : std::string();
        log.full = true;
      }
      file->Append(stamped);
    }
  } catch (...) {
    return;
  }
  if (!refusal.empty()) {
    Tracer::TRACE("%s", refusal.c_str());
  }
}

void QueueDroppedLocked(TraceQueue& queue, bool logged);

// Callers hold the queue's mutex. The stamp of a line logged now; empty when it is not logged.
// Without a home nothing is logged, which is said once, before the line.
std::string StampLocked(TraceQueue& queue, bool logged) {
  if (!logged) {
    return std::string();
  }
  if (NameLogFileLocked(queue)) {
    return Tracer::GetCurrentDateTime();
  }
  if (!queue.missingHomeTraced) {
    queue.missingHomeTraced = true;
    const std::string said =
        std::string(dialforge_platform::HomeVariable()) + " is not set; no log file\r\n";
    queue.lines.push_back({said, std::string()});
    queue.bytes += said.size();
  }
  return std::string();
}

void WriterLoop() {
  TraceQueue& queue = Queue();
  std::unique_lock<std::mutex> lock(queue.mutex);
  bool linesWereWaiting = false;
  while (true) {
    queue.wake.wait(lock,
                    [&] { return !queue.lines.empty() || queue.dropped > 0 || queue.stopping; });
    // Caught up after a flood: the drops are said now, not only before some later line.
    if (queue.lines.empty() && queue.dropped > 0) {
      QueueDroppedLocked(queue, (sSwitches.load(std::memory_order_relaxed) & kLogSwitch) != 0);
    }
    // What a stop's deadline leaves stays queued for the next writer.
    if (queue.lines.empty() || StopDeadlinePassed()) {
      break;
    }
    const QueuedLine line = std::move(queue.lines.front());
    queue.lines.pop_front();
    const bool queuedBehindLast = linesWereWaiting;
    linesWereWaiting = !queue.lines.empty();
    queue.bytes -= line.text.size();
    const std::string home = queue.logHome;
    const std::string name = queue.logFileName;
    lock.unlock();
    dialforge_platform::WriteStandardOutput(line.text, StopDeadlinePassed);
    dialforge_platform::WriteDebuggerOutput(line.text);
    if (!line.stamp.empty()) {
      AppendToLog(home, name, line.stamp, line.text, queuedBehindLast);
    }
    lock.lock();
  }
  // Until the next writer: a stopped plug-in holds no file that others may want to remove.
  CloseLogFile();
  queue.writerRunning = false;
  queue.stopping = false;
  ++queue.endedWriters;
  sStopDeadline.store(0);
  queue.writerEnded.notify_all();
}

// Callers hold the queue's mutex. The line may go beyond the queue's bound: it is one short line.
void QueueDroppedLocked(TraceQueue& queue, bool logged) {
  char said[64];
  std::snprintf(said, sizeof said, "Trace lines dropped: %d\r\n", queue.dropped);
  const std::string stamp = StampLocked(queue, logged);
  queue.lines.push_back({said, stamp});
  queue.bytes += std::strlen(said);
  queue.dropped = 0;
}

// Callers hold the queue's mutex.
void EnqueueLocked(TraceQueue& queue, const char* text, bool logged) {
  const size_t length = std::strlen(text);
  if (queue.lines.size() >= kMostQueuedLines || queue.bytes + length > kMostQueuedBytes) {
    ++queue.dropped;
    return;
  }
  if (queue.dropped > 0) {
    QueueDroppedLocked(queue, logged);
  }
  const std::string stamp = StampLocked(queue, logged);
  queue.lines.push_back({std::string(text, length), stamp});
  queue.bytes += length;
  if (!queue.writerRunning) {
    try {
      // A host that unloads the module without shutting it down must not unmap the writer's code.
      dialforge_platform::PinThisModule();
      queue.writer = std::thread(WriterLoop);
      queue.writerRunning = true;
    } catch (...) {
      // The lines wait for the next attempt, or are dropped once the queue is full.
    }
  }
  queue.wake.notify_one();
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
  // Tracing never throws, least of all into the host: a line that cannot be made is dropped.
  try {
    TraceQueue& queue = Queue();
    std::lock_guard<std::mutex> lock(queue.mutex);
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
    try {
      EnqueueLocked(queue, szTraceBuffer, (switches & kLogSwitch) != 0);
    } catch (...) {
      ++queue.dropped;
    }
  } catch (...) {
  }
}

void Tracer::Stop() {
  std::lock_guard<std::mutex> stopLock(sStopMutex);
  if (sQueue.load() == nullptr) {
    return;
  }
  TraceQueue& queue = Queue();
  std::thread writer;
  std::unique_lock<std::mutex> lock(queue.mutex);
  if (!queue.writerRunning || !queue.writer.joinable()) {
    return;
  }
  const Clock::time_point deadline = Clock::now() + kStopDeadline;
  sStopDeadline.store(deadline.time_since_epoch().count());
  queue.stopping = true;
  writer = std::move(queue.writer);
  const unsigned ended = queue.endedWriters;
  const auto writerEnded = [&] { return queue.endedWriters != ended; };
  queue.wake.notify_one();
  // A write the system holds past the deadline is interrupted until the writer sees it, for a
  // while; a writer that still has not ended is left to end on its own, and nothing waits for it.
  if (!queue.writerEnded.wait_until(lock, deadline, writerEnded)) {
    const Clock::time_point givingUp = deadline + kGiveUpAfter;
    do {
      if (Clock::now() >= givingUp) {
        writer.detach();
        return;
      }
      lock.unlock();
      dialforge_platform::InterruptStandardOutput();
      lock.lock();
    } while (!queue.writerEnded.wait_for(lock, kInterruptInterval, writerEnded));
  }
  lock.unlock();
  writer.join();
}

std::string Tracer::GetCurrentDateTime() {
  return GetDateTime(std::time(nullptr));
}

std::string Tracer::GetDateTime(std::time_t moment) {
  std::tm utc{};
  if (!dialforge_platform::UtcTime(moment, utc)) {
    return std::string();
  }
  return std::to_string(utc.tm_year + 1900) + "-" + FormatToString(utc.tm_mon + 1) + "-" +
         FormatToString(utc.tm_mday) + "T" + FormatToString(utc.tm_hour) + "-" +
         FormatToString(utc.tm_min) + "-" + FormatToString(utc.tm_sec);
}

std::string Tracer::GetLogFileName() {
  TraceQueue& queue = Queue();
  std::lock_guard<std::mutex> lock(queue.mutex);
  return NameLogFileLocked(queue) ? JoinPath(LogsFolderOf(queue.logHome), queue.logFileName)
                                  : std::string();
}

void Tracer::LogToFile(std::string line) {
  std::string home;
  std::string name;
  {
    TraceQueue& queue = Queue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    if (!NameLogFileLocked(queue)) {
      return;
    }
    home = queue.logHome;
    name = queue.logFileName;
  }
  AppendToLog(home, name, GetCurrentDateTime(), line, false);
  // Without a writer nothing else would close the file.
  TraceQueue& queue = Queue();
  std::lock_guard<std::mutex> lock(queue.mutex);
  if (!queue.writerRunning) {
    CloseLogFile();
  }
}

std::string FormatToString(int value) {
  return value < 10 ? "0" + std::to_string(value) : std::to_string(value);
}

}  // namespace VazezeveDudOzizezUziriv
