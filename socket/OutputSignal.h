// Tells the listener thread, from any thread, that there is output for its client that is not a
// reply. Raising it writes one byte without ever blocking, and the listener thread drains it
// before it asks for the output, so no raise is lost.
#ifndef DIALFORGE_SOCKET_OUTPUTSIGNAL_H
#define DIALFORGE_SOCKET_OUTPUTSIGNAL_H

#include <mutex>

#include "platform/WakeUp.h"

namespace VazezeveDudOzizezUziriv {

class OutputSignal {
 public:
  OutputSignal() = default;
  OutputSignal(const OutputSignal&) = delete;
  OutputSignal& operator=(const OutputSignal&) = delete;

  // False (traced) when the signal cannot be made.
  bool Open();
  // Only once the listener thread has ended.
  void Close();
  // Any thread, any time: a raise while the signal is closed does nothing.
  void Raise();

  // For the listener thread: the handle to watch, and the reading of what was raised.
  dialforge_platform::SocketHandle ReadEnd() const { return signal.Watched(); }
  void Drain() { signal.Drain(); }

 private:
  // Guarded: a raise may come from a thread of the host while the signal is being closed.
  std::mutex writeMutex;
  dialforge_platform::WakeUp signal;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
