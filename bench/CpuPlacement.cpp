#include "bench/CpuPlacement.h"

#include "platform/CpuAffinity.h"

namespace dialforge_bench {

namespace {

void MoveTo(int cpu) {
  if (cpu != -1) {
    dialforge_platform::RunCallingThreadOn({cpu});
  }
}

}  // namespace

CpuPlacement::CpuPlacement() : allowed(dialforge_platform::ProcessCpus()) {
  if (allowed.size() >= 2) {
    clientCpu = allowed[0];
    serverCpu = allowed[1];
  }
}

void CpuPlacement::MoveToServerCpu() const {
  MoveTo(serverCpu);
}

void CpuPlacement::MoveToClientCpu() const {
  MoveTo(clientCpu);
}

void CpuPlacement::MoveToAnyCpu() const {
  if (Split()) {
    dialforge_platform::RunCallingThreadOn(allowed);
  }
}

}  // namespace dialforge_bench
