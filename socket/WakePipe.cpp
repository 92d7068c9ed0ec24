#include "socket/WakePipe.h"

#include <unistd.h>

#include <cerrno>

#include "socket/DescriptorOptions.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

void WakePipe::Reset() {
  std::lock_guard<std::mutex> lock(mutex);
  woken = false;
}

bool WakePipe::Open() {
  std::lock_guard<std::mutex> lock(mutex);
  if (readEnd != -1) {
    return true;
  }
  int ends[2];
  if (pipe(ends) == -1) {
    Tracer::TRACE("pipe() failed with error %d", errno);
    return false;
  }
  // The write end never blocks: one byte is enough, and a full pipe is woken already.
  if (!PrepareDescriptor(ends[0], false) || !PrepareDescriptor(ends[1], true)) {
    close(ends[0]);
    close(ends[1]);
    return false;
  }
  readEnd = ends[0];
  writeEnd = ends[1];
  if (woken) {
    WritePipeLocked();
  }
  return true;
}

void WakePipe::Close() {
  std::lock_guard<std::mutex> lock(mutex);
  if (readEnd != -1) {
    close(readEnd);
    close(writeEnd);
  }
  readEnd = writeEnd = -1;
}

void WakePipe::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    woken = true;
    WritePipeLocked();
  }
  wakeup.notify_all();
}

void WakePipe::WritePipeLocked() {
  if (writeEnd == -1) {
    return;
  }
  // The byte is never read, so the pipe stays readable.
  const char wake = 1;
  while (write(writeEnd, &wake, 1) == -1 && errno == EINTR) {
  }
}

WakePipe::Wait WakePipe::SleepUntil(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(mutex);
  return wakeup.wait_until(lock, deadline, [this] { return woken; }) ? Wait::Woken : Wait::TimedOut;
}

WakePipe::Wait WakePipe::Poll(pollfd* all, size_t count, int timeoutMs) {
  pollfd& wake = all[count - 1];
  wake = {readEnd, POLLIN, 0};
  for (size_t i = 0; i + 1 < count; ++i) {
    all[i].revents = 0;
  }
  for (;;) {
    const int ready = poll(all, static_cast<nfds_t>(count), timeoutMs);
    if (ready > 0) {
      return wake.revents != 0 ? Wait::Woken : Wait::Ready;
    }
    if (ready == 0) {
      return Wait::TimedOut;
    }
    const int error = errno;
    if (error != EINTR && error != EAGAIN) {
      Tracer::TRACE("poll() failed with error %d", error);
      return Wait::Failed;
    }
    if (timeoutMs != -1) {
      return Wait::TimedOut;
    }
  }
}

}  // namespace VazezeveDudOzizezUziriv
