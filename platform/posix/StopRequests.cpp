#include "platform/StopRequests.h"

#include <pthread.h>
#include <signal.h>

#include <ctime>

namespace dialforge_platform {

namespace {

// Blocked in every thread, since each inherits the mask, so that only sigtimedwait takes them.
sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

}  // namespace

void HoldStopRequests() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

std::optional<int> TakeStopRequest(std::chrono::milliseconds timeout) {
  const sigset_t signals = StopSignals();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
  const timespec wait{static_cast<time_t>(seconds.count()),
                      static_cast<long>((timeout - seconds).count() * 1000 * 1000)};
  const int signal = sigtimedwait(&signals, nullptr, &wait);
  if (signal < 0) {
    return std::nullopt;
  }
  return 128 + signal;
}

}  // namespace dialforge_platform
