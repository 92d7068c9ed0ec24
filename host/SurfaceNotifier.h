// The host's own thread that tells the plug-in's control surface what changed, as the real host
// does: transport state and time display, mixer changes. Calls go through the control-surface
// tables the plug-in registered, never with the host's lock held, and in the order they were
// posted. While the transport plays, the thread also moves the playhead every 40 ms and shows
// the new time.
#ifndef DIALFORGE_HOST_SURFACENOTIFIER_H
#define DIALFORGE_HOST_SURFACENOTIFIER_H

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceSuites.h"

namespace dialforge_host {

// The surface's transport and mixer parts, as the host reaches them.
struct SurfaceTables {
  const ADOBESDK_ControlSurfaceTransportSuite1* transport = nullptr;
  ADOBESDK_ControlSurfaceTransport* transportRef = nullptr;
  const ADOBESDK_ControlSurfaceMixerSuite2* mixer = nullptr;
  ADOBESDK_ControlSurfaceMixer* mixerRef = nullptr;
};

using SurfaceCall = std::function<void(const SurfaceTables&)>;

class SurfaceNotifier {
 public:
  static constexpr std::chrono::milliseconds kPlayheadStep{40};

  // tick runs on the notifier's thread every step while playing, without the notifier's lock; it
  // gives the call that shows the new time, or nothing once the transport no longer plays.
  explicit SurfaceNotifier(std::function<std::optional<SurfaceCall>()> tick);
  ~SurfaceNotifier();
  SurfaceNotifier(const SurfaceNotifier&) = delete;
  SurfaceNotifier& operator=(const SurfaceNotifier&) = delete;

  // Starts the thread. Detach returns once no call into the surface runs any more; calls not yet
  // made are dropped.
  void Attach(const SurfaceTables& tables);
  void Detach();
  // Any thread, any lock: the call is queued, never made here.
  void Post(SurfaceCall call);
  void Playing(bool playing);

 private:
  void Run();

  std::function<std::optional<SurfaceCall>()> tick;
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<SurfaceCall> queue;
  SurfaceTables tables;
  bool attached = false;
  bool playing = false;
  bool stopping = false;
  std::thread thread;
};

}  // namespace dialforge_host

#endif
