#include "platform/CpuAffinity.h"

#include <pthread.h>
#include <sched.h>

namespace dialforge_platform {

std::vector<int> ProcessCpus() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  std::vector<int> cpus;
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
    return cpus;
  }
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &allowed)) {
      cpus.push_back(cpu);
    }
  }
  return cpus;
}

void RunCallingThreadOn(const std::vector<int>& cpus) {
  cpu_set_t only;
  CPU_ZERO(&only);
  for (const int cpu : cpus) {
    CPU_SET(cpu, &only);
  }
  pthread_setaffinity_np(pthread_self(), sizeof only, &only);
}
}  // namespace dialforge_platform
