// What dialforge-host shows while it runs: a line for each call of the plug-in that changes the
// project, as it happens, with the time since the program started and what the host did.
#ifndef DIALFORGE_HOST_LIVEVIEW_H
#define DIALFORGE_HOST_LIVEVIEW_H

#include <chrono>
#include <string>

#include "host/SimulatedHost.h"

namespace dialforge_host {

class LiveView {
 public:
  LiveView() : start(std::chrono::steady_clock::now()) {}

  // "   125 ms  Lumetri SetParameterValue(exposure, 9.000000): clamped, kept 4.000000"
  std::string Line(const ChangeReport& change) const;
  // The same start for an event of the host itself, such as "plug-in connected".
  std::string Line(const std::string& event) const;
  // Writes each change's line to standard output from now on.
  void Watch(SimulatedHost& host) const;
  void Show(const std::string& event) const;

 private:
  std::chrono::steady_clock::time_point start;
};

}  // namespace dialforge_host

#endif
