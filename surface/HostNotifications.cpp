#include "surface/HostNotifications.h"

#include <utility>

namespace VazezeveDudOzizezUziriv {

bool MixerChange::SameSubject(const MixerChange& other) const {
  if (kind != other.kind) {
    return false;
  }
  switch (kind) {
    case Kind::Configuration:
      return channel == other.channel && number == other.number;
    case Kind::ChannelState:
    case Kind::ComponentBypass:
      return channel == other.channel && item == other.item;
    case Kind::AutomationMode:
      return channel == other.channel;
    case Kind::ComponentParameter:
      return channel == other.channel && item == other.item && parameter == other.parameter;
    case Kind::Selection:
    case Kind::ChannelOffset:
    case Kind::ChannelCount:
    case Kind::RudeSolo:
      return true;
  }
  return false;
}

void HostNotifications::SetTransportFlag(TransportFlag flag, bool state) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    switch (flag) {
      case TransportFlag::Play:
        transport.play = state;
        break;
      case TransportFlag::Record:
        transport.record = state;
        break;
      case TransportFlag::Rewind:
        transport.rewind = state;
        break;
      case TransportFlag::Forward:
        transport.forward = state;
        break;
      case TransportFlag::Stop:
        transport.stop = state;
        break;
      case TransportFlag::Pause:
        transport.pause = state;
        break;
      case TransportFlag::Cycle:
        transport.cycle = state;
        break;
    }
    ++transportGeneration;
  }
  if (transportSubscribers.load() != 0) {
    Wake();
  }
}

void HostNotifications::SetTimeDisplay(uint32_t format, std::optional<std::string> time) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    transport.timeFormat = format;
    transport.time = std::move(time);
    ++transportGeneration;
  }
  if (transportSubscribers.load() != 0) {
    Wake();
  }
}

void HostNotifications::AddMixerChange(const MixerChange& change) {
  const unsigned subscribers = mixerSubscribers.load();
  if (subscribers == 0) {
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    for (size_t client = 0; client < DialforgeSocket::kMostClients; ++client) {
      if ((subscribers & Bit(client)) != 0) {
        Merge(mixerBacklogs[client], change);
      }
    }
  }
  Wake();
}

void HostNotifications::Merge(MixerBacklog& backlog, const MixerChange& change) {
  for (MixerChange& kept : backlog.changes) {
    if (kept.SameSubject(change)) {
      kept = change;
      return;
    }
  }
  if (backlog.changes.size() < kMostMixerChanges) {
    backlog.changes.push_back(change);
  } else {
    backlog.overflow = true;
  }
}

TransportState HostNotifications::Transport(uint64_t* generation) const {
  std::lock_guard<std::mutex> lock(mutex);
  if (generation != nullptr) {
    *generation = transportGeneration;
  }
  return transport;
}

void HostNotifications::SubscribeTransport(size_t client, bool on) {
  if (on) {
    transportSubscribers.fetch_or(Bit(client));
  } else {
    transportSubscribers.fetch_and(~Bit(client));
  }
}

void HostNotifications::SubscribeMixer(size_t client, bool on) {
  if (on) {
    mixerSubscribers.fetch_or(Bit(client));
    return;
  }
  mixerSubscribers.fetch_and(~Bit(client));
  std::lock_guard<std::mutex> lock(mutex);
  mixerBacklogs[client] = MixerBacklog();
}

bool HostNotifications::TakeMixerChanges(size_t client, std::vector<MixerChange>* changes,
                                         bool* overflow) {
  std::lock_guard<std::mutex> lock(mutex);
  MixerBacklog& backlog = mixerBacklogs[client];
  if (backlog.changes.empty() && !backlog.overflow) {
    return false;
  }
  changes->swap(backlog.changes);
  backlog.changes.clear();
  *overflow = backlog.overflow;
  backlog.overflow = false;
  return true;
}

void HostNotifications::Wake() {
  if (DialforgeSocket* target = listener.load()) {
    target->WakeForOutput();
  }
}

}  // namespace VazezeveDudOzizezUziriv
