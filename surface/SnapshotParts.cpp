#include "surface/SnapshotParts.h"

#include <algorithm>

#include "compose/ComposeHelper.h"
#include "compose/JsonSnapshots.h"

namespace VazezeveDudOzizezUziriv {

namespace {

JsonSnapshots Writer() {
  const ComposeHelper* current = ComposeHelper::GetInstance();
  return JsonSnapshots(current != nullptr ? current->StringSuite() : nullptr);
}

}  // namespace

bool SnapshotParts::ComposedInParts(std::string_view name) {
  return name == "Mixer" || name == "Commands";
}

bool SnapshotParts::Open(std::string_view name, Dialforge& surface, std::string& answer,
                         const char** missing) {
  mixer = name == "Mixer";
  next = 0;
  if (mixer && surface.GetMixerSuite() == nullptr) {
    *missing = "Mixer suite not available";
    return false;
  }
  if (!mixer && surface.GetCommandSuite() == nullptr) {
    *missing = "Command suite not available";
    return false;
  }
  count =
      mixer ? Writer().OpenMixer(surface.GetMixerSuite(), surface.GetHostMixerRef(), answer)
            : Writer().OpenCommands(surface.GetCommandSuite(), surface.GetHostCommandRef(), answer);
  composing = true;
  return true;
}

bool SnapshotParts::AppendNext(Dialforge* surface, std::string& answer) {
  if (!composing) {
    return false;
  }
  const JsonSnapshots writer = Writer();
  uint32_t end = next + std::min(count - next, mixer ? kChannelsPerPart : kCommandsPerPart);
  if (surface == nullptr) {
    end = count;
  } else if (mixer && surface->GetMixerSuite() != nullptr) {
    writer.AppendChannels(surface->GetMixerSuite(), surface->GetHostMixerRef(), next, end, answer);
  } else if (!mixer && surface->GetCommandSuite() != nullptr) {
    writer.AppendCommands(surface->GetCommandSuite(), surface->GetHostCommandRef(), next, end,
                          answer);
  } else {
    end = count;
  }
  next = end;
  if (next == count) {
    Close(answer);
  }
  return true;
}

void SnapshotParts::Close(std::string& answer) {
  if (composing) {
    answer += JsonSnapshots::kCloseRows;
    composing = false;
  }
}

}  // namespace VazezeveDudOzizezUziriv
