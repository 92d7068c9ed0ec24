// Reading standard input without blocking for longer than the caller can wait.
#ifndef DIALFORGE_PLATFORM_STANDARDINPUT_H
#define DIALFORGE_PLATFORM_STANDARDINPUT_H

#include <chrono>
#include <cstddef>
#include <optional>

namespace dialforge_platform {

// Waits up to the timeout for input and reads what there is into bytes. Returns the count read,
// 0 at the end of the input (or when it cannot be read), nothing when no input came in time.
// What a person types in a Windows console comes with its lines ending in a line feed alone.
std::optional<std::size_t> ReadStandardInput(char* bytes, std::size_t size,
                                             std::chrono::milliseconds timeout);

}  // namespace dialforge_platform

#endif
