#include "bench/CpuPlacement.h"

#include <pthread.h>
#include <sched.h>

namespace dialforge_bench {

namespace {

void MoveTo(int cpu) {
  if (cpu == -1) {
    return;
  }
  cpu_set_t only;
  CPU_ZERO(&only);
  CPU_SET(cpu, &only);
  pthread_setaffinity_np(pthread_self(), sizeof only, &only);
}

}  // namespace

CpuPlacement::CpuPlacement() {
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
    return;
  }
  int found[2] = {-1, -1};
  int count = 0;
  for (int cpu = 0; cpu < CPU_SETSIZE && count < 2; ++cpu) {
    if (CPU_ISSET(cpu, &allowed)) {
      found[count++] = cpu;
    }
  }
  if (count == 2) {
    clientCpu = found[0];
    serverCpu = found[1];
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
    pthread_setaffinity_np(pthread_self(), sizeof allowed, &allowed);
  }
}

}  // namespace dialforge_bench
