#include "tests/surface/SurfaceTestSupport.h"

#include "tests/support/CapturedOutput.h"
#include "tests/support/TestSupport.h"
#include "trace/Tracer.h"

namespace dialforge_test {

std::vector<std::string> Traced(const std::function<void()>& action) {
  VazezeveDudOzizezUziriv::Tracer::SetTracing(true);
  const std::string output = CapturedOutput(action);
  VazezeveDudOzizezUziriv::Tracer::SetTracing(false);
  std::vector<std::string> lines = SplitLines(output, "\r\n");
  lines.pop_back();
  return lines;
}

BoundSurface::BoundSurface(dialforge_host::Project project)
    : host(std::move(project)), surface(1, host.BasicSuite()) {
  surface.SetDialforgeHost(host.HostHandle());
}

// As the module's shutdown does: the next test's binding must not release through a host gone.
BoundSurface::~BoundSurface() {
  surface.SetDialforgeHost(nullptr);
  VazezeveDudOzizezUziriv::Dialforge::ReleaseStringSuite();
}

std::vector<std::string> BoundSurface::Journaled(const std::function<void()>& action) {
  host.ClearJournalLines();
  action();
  return host.JournalLines();
}

}  // namespace dialforge_test
