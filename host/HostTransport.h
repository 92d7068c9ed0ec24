// The simulated host's transport: what plays, where the playhead stands, and the notifications
// the control surface gets when that changes. Internal to host/.
#ifndef DIALFORGE_HOST_HOSTTRANSPORT_H
#define DIALFORGE_HOST_HOSTTRANSPORT_H

#include <cstdint>
#include <optional>
#include <string>

#include "host/Operations.h"

namespace dialforge_host {

// The format number the host gives with its time display: hours, minutes, seconds and frames,
// at 25 frames per second.
constexpr uint32_t kTimeDisplayFormat = 1;

struct TransportModel {
  bool playing = false;
  bool recording = false;
  bool paused = false;
  bool stopped = true;
  bool rewinding = false;
  bool forwarding = false;
  bool cycle = false;
  uint64_t playheadMs = 0;
};

// What a transport operation makes of the model; operations that do not move it leave it.
TransportModel AfterTransportAction(TransportModel model, Operation operation);
// "HH:MM:SS:FF".
std::string Timecode(uint64_t milliseconds);
// A timecode as Timecode writes it (frames below 25, minutes and seconds below 60).
std::optional<uint64_t> ParseTimecode(const std::string& text);

}  // namespace dialforge_host

#endif
