// What the process holds, for checks that nothing is left behind: its threads and its open
// descriptors or handles.
#ifndef DIALFORGE_PLATFORM_PROCESSCOUNTS_H
#define DIALFORGE_PLATFORM_PROCESSCOUNTS_H

#include <cstddef>

namespace dialforge_platform {

// 0 when the system does not tell.
std::size_t ThreadsOfThisProcess();
// 0 when the system does not tell (wine's GetProcessHandleCount always says 0).
std::size_t HandlesOfThisProcess();

}  // namespace dialforge_platform

#endif
