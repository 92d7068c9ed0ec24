#include "host/SurfaceNotifier.h"

#include <utility>

namespace dialforge_host {

SurfaceNotifier::SurfaceNotifier(std::function<std::optional<SurfaceCall>()> tick)
    : tick(std::move(tick)) {}

SurfaceNotifier::~SurfaceNotifier() {
  Detach();
}

void SurfaceNotifier::Attach(const SurfaceTables& surface) {
  Detach();
  std::lock_guard<std::mutex> lock(mutex);
  tables = surface;
  attached = true;
  stopping = false;
  thread = std::thread(&SurfaceNotifier::Run, this);
}

void SurfaceNotifier::Detach() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
    attached = false;
    queue.clear();
  }
  wake.notify_all();
  if (thread.joinable()) {
    thread.join();
  }
}

void SurfaceNotifier::Post(SurfaceCall call) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!attached) {
      return;
    }
    queue.push_back(std::move(call));
  }
  wake.notify_all();
}

void SurfaceNotifier::Playing(bool nowPlaying) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    playing = nowPlaying;
  }
  wake.notify_all();
}

void SurfaceNotifier::Run() {
  auto nextStep = std::chrono::steady_clock::now() + kPlayheadStep;
  std::unique_lock<std::mutex> lock(mutex);
  while (!stopping) {
    if (!queue.empty()) {
      SurfaceCall call = std::move(queue.front());
      queue.pop_front();
      const SurfaceTables surface = tables;
      lock.unlock();
      call(surface);
      lock.lock();
      continue;
    }
    if (!playing) {
      wake.wait(lock, [&] { return stopping || playing || !queue.empty(); });
      nextStep = std::chrono::steady_clock::now() + kPlayheadStep;
      continue;
    }
    if (wake.wait_until(lock, nextStep, [&] { return stopping || !playing || !queue.empty(); })) {
      continue;
    }
    nextStep += kPlayheadStep;
    const SurfaceTables surface = tables;
    lock.unlock();
    if (std::optional<SurfaceCall> show = tick()) {
      (*show)(surface);
    }
    lock.lock();
  }
}

}  // namespace dialforge_host
