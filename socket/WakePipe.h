// Wakes the listener thread wherever it waits: a pipe whose read end turns readable once a stop
// is asked for and stays readable, so every later wait returns at once as well.
#ifndef DIALFORGE_SOCKET_WAKEPIPE_H
#define DIALFORGE_SOCKET_WAKEPIPE_H

#include <poll.h>

#include <cstddef>

namespace VazezeveDudOzizezUziriv {

class WakePipe {
 public:
  enum class Wait { Ready, Woken, TimedOut, Failed };

  WakePipe() = default;
  WakePipe(const WakePipe&) = delete;
  WakePipe& operator=(const WakePipe&) = delete;

  // A new, unwoken pipe; false (traced) when it cannot be made.
  bool Open();
  void Close();
  // Safe from any thread while the pipe is open.
  void Wake();

  // Waits until one of the watched descriptors is ready (their revents tell which) or the pipe
  // is woken. A failed poll() is traced.
  template <size_t count>
  Wait WaitFor(pollfd (&watched)[count]) {
    pollfd all[count + 1];
    for (size_t i = 0; i < count; ++i) {
      all[i] = watched[i];
    }
    const Wait wait = Poll(all, count + 1, -1);
    for (size_t i = 0; i < count; ++i) {
      watched[i].revents = all[i].revents;
    }
    return wait;
  }
  // Waits until the pipe is woken or the time (milliseconds) has passed; a signal that
  // interrupts the wait also ends it early, as TimedOut, so the caller checks its own clock.
  Wait Sleep(int timeoutMs);

 private:
  // The last of the watched descriptors is filled in with the read end.
  Wait Poll(pollfd* all, size_t count, int timeoutMs);

  int readEnd = -1;
  int writeEnd = -1;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
