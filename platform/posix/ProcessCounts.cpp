#include "platform/ProcessCounts.h"

#include <filesystem>
#include <system_error>

namespace dialforge_platform {

namespace {

// Linux lists them under /proc; elsewhere there is no such folder, and the count is 0.
std::size_t EntriesOf(const char* folder) {
  std::error_code error;
  std::size_t count = 0;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    ++count;
  }
  return count;
}

}  // namespace

std::size_t ThreadsOfThisProcess() {
  return EntriesOf("/proc/self/task");
}

std::size_t HandlesOfThisProcess() {
  return EntriesOf("/proc/self/fd");
}

}  // namespace dialforge_platform
