// Tells the listener thread, from any thread, that there is output for its client that is not a
// reply. A pipe: raising it writes one byte without ever blocking, and the listener thread drains
// it before it asks for the output, so no raise is lost.
#ifndef DIALFORGE_SOCKET_OUTPUTSIGNAL_H
#define DIALFORGE_SOCKET_OUTPUTSIGNAL_H

#include <mutex>

namespace VazezeveDudOzizezUziriv {

class OutputSignal {
 public:
  OutputSignal() = default;
  OutputSignal(const OutputSignal&) = delete;
  OutputSignal& operator=(const OutputSignal&) = delete;

  // False (traced) when the pipe cannot be made.
  bool Open();
  // Only once the listener thread has ended.
  void Close();
  // Any thread, any time: a raise while the pipe is closed does nothing.
  void Raise();

  // For the listener thread: the descriptor to watch, and the reading of what was raised.
  int ReadEnd() const { return readEnd; }
  void Drain();

 private:
  int readEnd = -1;
  // Guarded: a raise may come from a thread of the host while the pipe is being closed.
  std::mutex writeMutex;
  int writeEnd = -1;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
