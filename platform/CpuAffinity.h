// Which CPUs a thread may run on.
#ifndef DIALFORGE_PLATFORM_CPUAFFINITY_H
#define DIALFORGE_PLATFORM_CPUAFFINITY_H

#include <vector>

namespace dialforge_platform {

// The CPUs the process was given, in order; empty when the system cannot say.
std::vector<int> ProcessCpus();

// The calling thread runs only on these CPUs from now on; ignored when the system refuses.
void RunCallingThreadOn(const std::vector<int>& cpus);

}  // namespace dialforge_platform

#endif
