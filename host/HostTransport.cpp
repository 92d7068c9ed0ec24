#include "host/HostTransport.h"

#include <cstdio>

namespace dialforge_host {

namespace {

constexpr uint64_t kFramesPerSecond = 25;
// GotoPrevious and GotoNext move by one second: the project has no edit points.
constexpr uint64_t kGotoStepMs = 1000;

}  // namespace

TransportModel AfterTransportAction(TransportModel model, Operation operation) {
  switch (operation) {
    case Operation::Play:
      model.playing = true;
      model.paused = false;
      model.stopped = false;
      break;
    case Operation::Record:
      model.playing = model.recording = true;
      model.paused = model.stopped = false;
      break;
    case Operation::Stop:
      model =
          TransportModel{false, false, false, true, false, false, model.cycle, model.playheadMs};
      break;
    case Operation::Pause:
      if (model.playing) {
        model.playing = false;
        model.paused = true;
      }
      break;
    case Operation::BeginRewind:
      model.rewinding = true;
      break;
    case Operation::EndRewind:
      model.rewinding = false;
      break;
    case Operation::BeginForward:
      model.forwarding = true;
      break;
    case Operation::EndForward:
      model.forwarding = false;
      break;
    case Operation::ToggleCycle:
      model.cycle = !model.cycle;
      break;
    case Operation::GotoStart:
      model.playheadMs = 0;
      break;
    case Operation::GotoPrevious:
      model.playheadMs = model.playheadMs > kGotoStepMs ? model.playheadMs - kGotoStepMs : 0;
      break;
    case Operation::GotoNext:
      model.playheadMs += kGotoStepMs;
      break;
    default:
      break;
  }
  return model;
}

std::string Timecode(uint64_t milliseconds) {
  const uint64_t seconds = milliseconds / 1000;
  const uint64_t frames = milliseconds % 1000 * kFramesPerSecond / 1000;
  char text[40];
  std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu:%02llu",
                static_cast<unsigned long long>(seconds / 3600),
                static_cast<unsigned long long>(seconds / 60 % 60),
                static_cast<unsigned long long>(seconds % 60),
                static_cast<unsigned long long>(frames));
  return text;
}

std::optional<uint64_t> ParseTimecode(const std::string& text) {
  unsigned hours = 0;
  unsigned minutes = 0;
  unsigned seconds = 0;
  unsigned frames = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%u:%u:%u:%u%c", &hours, &minutes, &seconds, &frames, &end) != 4 ||
      minutes >= 60 || seconds >= 60 || frames >= kFramesPerSecond || hours > 99) {
    return std::nullopt;
  }
  return ((hours * 60ull + minutes) * 60 + seconds) * 1000 + frames * 1000 / kFramesPerSecond;
}

}  // namespace dialforge_host
