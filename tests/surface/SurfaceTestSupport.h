// A control surface bound to a simulated host, and the trace lines an action writes.
#ifndef DIALFORGE_TESTS_SURFACE_SURFACETESTSUPPORT_H
#define DIALFORGE_TESTS_SURFACE_SURFACETESTSUPPORT_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/SimulatedHost.h"
#include "surface/Dialforge.h"

namespace dialforge_test {

// The trace lines written to standard output while the action runs, without their CR LF.
std::vector<std::string> Traced(const std::function<void()>& action);

struct BoundSurface {
  explicit BoundSurface(dialforge_host::Project project);
  ~BoundSurface();

  // The reply to one request made of these fields.
  std::string Request(std::vector<std::string> fields) {
    return surface.ProcessDialforgeCommand(std::move(fields));
  }
  // The journal lines the action adds.
  std::vector<std::string> Journaled(const std::function<void()>& action);

  dialforge_host::SimulatedHost host;
  VazezeveDudOzizezUziriv::Dialforge surface;
};

}  // namespace dialforge_test

#endif
