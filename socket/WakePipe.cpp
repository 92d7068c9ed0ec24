#include "socket/WakePipe.h"

#include "socket/DescriptorOptions.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

using dialforge_platform::SocketError;
using dialforge_platform::SocketErrorKind;
using dialforge_platform::WatchedSocket;

void WakePipe::Reset() {
  std::lock_guard<std::mutex> lock(mutex);
  woken = false;
}

bool WakePipe::Open() {
  SocketError error;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (pipe.IsOpen()) {
      return true;
    }
    error = pipe.Open();
    // The byte is never read, so the pipe stays readable.
    if (!error && woken) {
      pipe.Raise();
    }
  }
  return Succeeded(error);
}

void WakePipe::Close() {
  std::lock_guard<std::mutex> lock(mutex);
  pipe.Close();
}

void WakePipe::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    woken = true;
    pipe.Raise();
  }
  wakeup.notify_all();
}

WakePipe::Wait WakePipe::SleepUntil(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(mutex);
  return wakeup.wait_until(lock, deadline, [this] { return woken; }) ? Wait::Woken : Wait::TimedOut;
}

WakePipe::Wait WakePipe::WaitFor(std::vector<WatchedSocket>& watched, int timeoutMs) {
  watched.emplace_back();
  const Wait wait = Poll(watched.data(), watched.size(), timeoutMs);
  watched.pop_back();
  return wait;
}

WakePipe::Wait WakePipe::Poll(WatchedSocket* all, size_t count, int timeoutMs) {
  WatchedSocket& wake = all[count - 1];
  wake = {pipe.Watched(), dialforge_platform::kReadable, 0};
  for (;;) {
    SocketError error;
    const int ready = dialforge_platform::WaitForSockets(all, count, timeoutMs, &error);
    if (ready > 0) {
      return wake.ready != 0 ? Wait::Woken : Wait::Ready;
    }
    if (ready == 0) {
      return Wait::TimedOut;
    }
    const SocketErrorKind kind = dialforge_platform::KindOf(error.number);
    if (kind != SocketErrorKind::Interrupted && kind != SocketErrorKind::WouldBlock) {
      Succeeded(error);
      return Wait::Failed;
    }
    if (timeoutMs != -1) {
      return Wait::TimedOut;
    }
  }
}

}  // namespace VazezeveDudOzizezUziriv
