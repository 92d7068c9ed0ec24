// Something the client waits for beside its socket, watched on a thread of its own: standard
// input, or a person's request to stop. Windows waits on sockets only, so the watch raises a
// WakeUp, whose socket the connection's wait sees, on every system alike.
#ifndef DIALFORGE_CLIENT_BACKGROUNDWATCH_H
#define DIALFORGE_CLIENT_BACKGROUNDWATCH_H

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/Sockets.h"
#include "platform/WakeUp.h"

namespace dialforge_client {

class BackgroundWatch {
 public:
  enum class Found { Nothing, Something, Ended };
  // Waits up to the interval it is given and tells what it found.
  using Check = std::function<Found(std::chrono::milliseconds)>;

  // Calls check again and again on a thread, raising the wake-up for each Something and for the
  // Ended that ends the calls. Throws std::runtime_error when the wake-up cannot be made.
  explicit BackgroundWatch(Check check);
  // Stops the calls within one interval and joins the thread.
  ~BackgroundWatch();
  BackgroundWatch(const BackgroundWatch&) = delete;
  BackgroundWatch& operator=(const BackgroundWatch&) = delete;

  // Readable from a raise until Drain.
  dialforge_platform::SocketHandle Watched() const { return wakeUp.Watched(); }
  void Drain() { wakeUp.Drain(); }

 private:
  void Watch(const Check& check);

  dialforge_platform::SocketsInUse socketsInUse;
  dialforge_platform::WakeUp wakeUp;
  std::atomic<bool> stopping{false};
  std::thread thread;
};

}  // namespace dialforge_client

#endif
