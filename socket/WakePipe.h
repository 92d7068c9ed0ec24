// Wakes the listener thread wherever it waits, once a stop is asked for. Its waits watch a
// wake-up (a pipe, or a socket pair on Windows) that turns readable and stays readable, so every
// later wait returns at once as well. The listener thread makes the pipe itself, again at each
// attempt while it is missing, so a shortage of descriptors costs an attempt, never the listener; a
// stop asked for before the pipe exists wakes it as soon as it is made. The pause needs no
// descriptor at all.
#ifndef DIALFORGE_SOCKET_WAKEPIPE_H
#define DIALFORGE_SOCKET_WAKEPIPE_H

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

#include "platform/WakeUp.h"

namespace VazezeveDudOzizezUziriv {

class WakePipe {
 public:
  enum class Wait { Ready, Woken, TimedOut, Failed };

  WakePipe() = default;
  WakePipe(const WakePipe&) = delete;
  WakePipe& operator=(const WakePipe&) = delete;

  // Forgets an earlier wake: a new run of the listener thread begins.
  void Reset();
  // Makes the pipe when it is missing; false (traced) when it cannot be made.
  bool Open();
  void Close();
  // Safe from any thread, with or without the pipe.
  void Wake();

  // Only while the pipe is open. Waits until one of the watched sockets is ready (their ready
  // flags tell which), the pipe is woken or the time (milliseconds, -1 for none) has passed.
  // A failed wait is traced; a signal that interrupts a timed wait ends it early, as TimedOut.
  template <size_t count>
  Wait WaitFor(dialforge_platform::WatchedSocket (&watched)[count], int timeoutMs = -1) {
    dialforge_platform::WatchedSocket all[count + 1];
    for (size_t i = 0; i < count; ++i) {
      all[i] = watched[i];
    }
    const Wait wait = Poll(all, count + 1, timeoutMs);
    for (size_t i = 0; i < count; ++i) {
      watched[i].ready = all[i].ready;
    }
    return wait;
  }
  // The same for as many sockets as the vector holds.
  Wait WaitFor(std::vector<dialforge_platform::WatchedSocket>& watched, int timeoutMs);
  // Waits until woken or until the deadline.
  Wait SleepUntil(std::chrono::steady_clock::time_point deadline);

 private:
  // The last of the watched descriptors is filled in with the read end.
  Wait Poll(dialforge_platform::WatchedSocket* all, size_t count, int timeoutMs);

  std::mutex mutex;
  std::condition_variable wakeup;
  bool woken = false;
  dialforge_platform::WakeUp
      pipe;  // opened and closed by the listener thread only, under the mutex
};

}  // namespace VazezeveDudOzizezUziriv

#endif
