#include "tests/support/Inheritable.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace dialforge_test {

std::size_t InheritableSocketCount() {
  std::size_t count = 0;
  std::error_code error;
#if defined(__APPLE__)
  const char* const folder = "/dev/fd";
#else
  const char* const folder = "/proc/self/fd";
#endif
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const int descriptor = std::stoi(entry->path().filename().string());
    struct stat status {};
    if (descriptor > 2 && fstat(descriptor, &status) == 0 &&
        (S_ISSOCK(status.st_mode) || S_ISFIFO(status.st_mode)) &&
        (fcntl(descriptor, F_GETFD) & FD_CLOEXEC) == 0) {
      ++count;
    }
  }
  return count;
}

}  // namespace dialforge_test
