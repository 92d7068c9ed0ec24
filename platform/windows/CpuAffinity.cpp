#include "platform/CpuAffinity.h"

#include <windows.h>

namespace dialforge_platform {

// The process's own processor group, which holds up to 64 CPUs.
std::vector<int> ProcessCpus() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  std::vector<int> cpus;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) {
    return cpus;
  }
  for (int cpu = 0; cpu < static_cast<int>(sizeof process * 8); ++cpu) {
    if ((process >> cpu) & 1) {
      cpus.push_back(cpu);
    }
  }
  return cpus;
}

void RunCallingThreadOn(const std::vector<int>& cpus) {
  DWORD_PTR mask = 0;
  for (const int cpu : cpus) {
    mask |= DWORD_PTR{1} << cpu;
  }
  if (mask != 0) {
    SetThreadAffinityMask(GetCurrentThread(), mask);
  }
}

}  // namespace dialforge_platform
