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
  if (transportSubscribed.load()) {
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
  if (transportSubscribed.load()) {
    Wake();
  }
}

void HostNotifications::AddMixerChange(const MixerChange& change) {
  if (!mixerSubscribed.load()) {
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    bool merged = false;
    for (MixerChange& kept : mixerChanges) {
      if (kept.SameSubject(change)) {
        kept = change;
        merged = true;
        break;
      }
    }
    if (!merged) {
      if (mixerChanges.size() < kMostMixerChanges) {
        mixerChanges.push_back(change);
      } else {
        mixerOverflow = true;
      }
    }
  }
  Wake();
}

TransportState HostNotifications::Transport(uint64_t* generation) const {
  std::lock_guard<std::mutex> lock(mutex);
  if (generation != nullptr) {
    *generation = transportGeneration;
  }
  return transport;
}

void HostNotifications::SubscribeMixer(bool on) {
  mixerSubscribed.store(on);
  if (!on) {
    std::lock_guard<std::mutex> lock(mutex);
    mixerChanges.clear();
    mixerOverflow = false;
  }
}

bool HostNotifications::TakeMixerChanges(std::vector<MixerChange>* changes, bool* overflow) {
  std::lock_guard<std::mutex> lock(mutex);
  if (mixerChanges.empty() && !mixerOverflow) {
    return false;
  }
  changes->swap(mixerChanges);
  mixerChanges.clear();
  *overflow = mixerOverflow;
  mixerOverflow = false;
  return true;
}

void HostNotifications::Wake() {
  if (DialforgeSocket* target = listener.load()) {
    target->WakeForOutput();
  }
}

}  // namespace VazezeveDudOzizezUziriv
