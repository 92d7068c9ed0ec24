// What a process holds, counted, for checks that nothing is left behind.
#ifndef DIALFORGE_PLATFORM_PROCESSCOUNTS_H
#define DIALFORGE_PLATFORM_PROCESSCOUNTS_H

#include <cstddef>
#include <optional>

namespace dialforge_platform {

// The threads of this process; nothing when the system cannot say.
std::optional<std::size_t> ThreadCount();

// This process's open descriptors, or on Windows its open handles (files, sockets, pipes,
// threads, keys) less the synchronization objects the thread library keeps for as long as a
// mutex lives; nothing when the system cannot say.
std::optional<std::size_t> OpenHandleCount();

}  // namespace dialforge_platform

#endif
