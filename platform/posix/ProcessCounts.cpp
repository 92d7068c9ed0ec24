#include "platform/ProcessCounts.h"

#include <filesystem>
#include <system_error>

namespace dialforge_platform {

namespace {

// Entries of a folder of /proc; nothing where there is none (macOS).
std::optional<std::size_t> EntriesOf(const char* folder) {
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error) {
    return std::nullopt;
  }
  std::size_t count = 0;
  for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    if (error) {
      return std::nullopt;
    }
    ++count;
  }
  return count;
}

}  // namespace

std::optional<std::size_t> ThreadCount() {
  return EntriesOf("/proc/self/task");
}

std::optional<std::size_t> OpenHandleCount() {
  return EntriesOf("/proc/self/fd");
}

}  // namespace dialforge_platform
