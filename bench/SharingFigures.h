// What protocol 2 clients served at once cost each other, measured on the real plug-in.
#ifndef DIALFORGE_BENCH_SHARINGFIGURES_H
#define DIALFORGE_BENCH_SHARINGFIGURES_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "bench/Statistics.h"

namespace dialforge_bench {

struct JogBesideSnapshotsFigures {
  size_t jogs = 0;
  // From a client's Transport|JogDial leaving it to the host's answer to the JogDial call.
  Latency jog;
  // Pulled by the other client meanwhile, and the median of its request to its reply's end.
  size_t snapshots = 0;
  double usPerSnapshot = 0;
};

// Jogs from one client, at moments spread over the other's work, while that other client pulls
// 512-channel Mixer snapshots back to back, both in protocol 2.
JogBesideSnapshotsFigures MeasureJogBesideSnapshots(const std::string& modulePath, size_t jogs);

struct IdleSubscriberFigures {
  double seconds = 0;         // of play in each phase
  uint64_t frames = 0;        // time displays the host notified in each phase
  uint64_t mixerChanges = 0;  // component parameters the host notified in each phase
  // A reading subscriber's Transport events, from the host's notification to the event's end,
  // without and then beside a subscriber that reads nothing.
  Latency alone;
  Latency besideIdle;
  // The most the heap grew during each phase beyond what it held before; the second phase's
  // count starts before the idle subscriber connects, so it holds everything kept for it (the
  // bench's own client left out).
  long long heapGrowthAlone = 0;
  long long heapGrowthBesideIdle = 0;
  bool idleStillServed = false;  // it was answered once it read again
  // What it then read before that answer: whatever the plug-in and the network buffers held.
  size_t idleBacklogBytes = 0;
};

// The host plays for the given seconds, notifying a time display each frame and mixer changes
// between frames, first with one subscriber that reads everything, then with one more that
// subscribes to Transport and Mixer and reads nothing.
IdleSubscriberFigures MeasureIdleSubscriber(const std::string& modulePath, double seconds);

}  // namespace dialforge_bench

#endif
