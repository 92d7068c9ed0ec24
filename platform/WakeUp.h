// A signal one thread raises and another waits for beside its sockets: a pipe on Linux and
// macOS; on Windows, where WSAPoll waits on nothing but sockets, a pair of connected loopback
// sockets. Neither end blocks or is inherited by child processes. Raising and draining need no
// lock of their own here; opening and closing while another thread raises do, and the owner
// holds it.
#ifndef DIALFORGE_PLATFORM_WAKEUP_H
#define DIALFORGE_PLATFORM_WAKEUP_H

#include "platform/Sockets.h"

namespace dialforge_platform {

class WakeUp {
 public:
  WakeUp() = default;
  ~WakeUp() { Close(); }
  WakeUp(const WakeUp&) = delete;
  WakeUp& operator=(const WakeUp&) = delete;

  // Makes both ends; on failure nothing is left open.
  SocketError Open();
  // Why an end opened last may be inherited after all (a null call when it is not): it does not
  // keep the pair from working.
  SocketError NotKeptFromChildren() const { return notKeptFromChildren; }
  void Close();
  bool IsOpen() const { return watched != kNoSocket; }

  // Writes one byte, never blocking: a full pipe is raised already. Nothing while closed.
  void Raise();
  // Reads whatever was raised, without blocking.
  void Drain();
  // The end to wait on: readable from the first raise until it is drained.
  SocketHandle Watched() const { return watched; }

 private:
  SocketHandle watched = kNoSocket;
  SocketHandle raised = kNoSocket;
  SocketError notKeptFromChildren;
};

}  // namespace dialforge_platform

#endif
