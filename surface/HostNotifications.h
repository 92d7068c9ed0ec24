// What the host last told the control surface of its transport and its mixer, recorded on the
// host's thread and read by the listener thread for protocol 2 snapshots and events. The host's
// thread only records, under a small lock never held while anything is sent, and raises the
// listener's output signal when a client is subscribed; it never waits for a client. Each
// client (by its listener slot) subscribes for itself and takes its own mixer changes, merged
// for it alone.
#ifndef DIALFORGE_SURFACE_HOSTNOTIFICATIONS_H
#define DIALFORGE_SURFACE_HOSTNOTIFICATIONS_H

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "socket/DialforgeSocket.h"

namespace VazezeveDudOzizezUziriv {

// Null where the host never notified. The four the host always reports start as false.
struct TransportState {
  bool play = false;
  bool record = false;
  bool rewind = false;
  bool forward = false;
  std::optional<bool> stop;
  std::optional<bool> pause;
  std::optional<bool> cycle;
  std::optional<std::string> time;
  std::optional<uint32_t> timeFormat;
};

enum class TransportFlag { Play, Record, Rewind, Forward, Stop, Pause, Cycle };

// One mixer notification with its numbers; which of them count depends on the kind.
struct MixerChange {
  enum class Kind {
    Configuration,       // first, count
    Selection,           // nothing
    ChannelState,        // channel, item (the state), flag
    AutomationMode,      // channel, number (the mode)
    ChannelOffset,       // number
    ChannelCount,        // number
    RudeSolo,            // flag
    ComponentBypass,     // channel, item (the component), flag
    ComponentParameter,  // channel, item (the component), parameter, value
  };
  Kind kind = Kind::Selection;
  uint32_t channel = 0;
  uint32_t item = 0;
  uint32_t parameter = 0;
  uint32_t number = 0;
  bool flag = false;
  float value = 0.0f;

  // The same thing changed again: the newer change replaces the older.
  bool SameSubject(const MixerChange& other) const;
};

class HostNotifications {
 public:
  // The changes kept between two events; more set the overflow instead.
  static constexpr size_t kMostMixerChanges = 256;

  // The listener to wake; set and cleared by the owner while no notification can come.
  void WakeListener(DialforgeSocket* listener) { this->listener.store(listener); }

  // The host's thread.
  void SetTransportFlag(TransportFlag flag, bool state);
  void SetTimeDisplay(uint32_t format, std::optional<std::string> time);
  void AddMixerChange(const MixerChange& change);

  // The listener thread. The generation grows with every transport notification.
  TransportState Transport(uint64_t* generation) const;
  // Subscriptions of the client of a slot; none when it is served no longer.
  void SubscribeTransport(size_t client, bool on);
  // Off also forgets the changes not yet taken.
  void SubscribeMixer(size_t client, bool on);
  // The changes since the client's last take, merged, and whether some were dropped; false when
  // none.
  bool TakeMixerChanges(size_t client, std::vector<MixerChange>* changes, bool* overflow);

 private:
  struct MixerBacklog {
    std::vector<MixerChange> changes;
    bool overflow = false;
  };
  static void Merge(MixerBacklog& backlog, const MixerChange& change);
  static unsigned Bit(size_t client) { return 1u << client; }
  void Wake();

  std::atomic<DialforgeSocket*> listener{nullptr};
  // One bit per listener slot.
  std::atomic<unsigned> transportSubscribers{0};
  std::atomic<unsigned> mixerSubscribers{0};
  mutable std::mutex mutex;
  TransportState transport;
  uint64_t transportGeneration = 0;
  MixerBacklog mixerBacklogs[DialforgeSocket::kMostClients];
};

}  // namespace VazezeveDudOzizezUziriv

#endif
