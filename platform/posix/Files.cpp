#include "platform/Files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace dialforge_platform {

bool OpensForReading(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor == -1) {
    return false;
  }
  close(descriptor);
  return true;
}

bool IsMissing(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == -1 && errno == ENOENT;
}

std::string MakeTemporaryFolder(const std::string& prefix) {
  std::error_code error;
  std::string pattern =
      (std::filesystem::temp_directory_path(error) / (prefix + "XXXXXX")).string();
  if (error || mkdtemp(&pattern[0]) == nullptr) {
    return std::string();
  }
  return pattern;
}

}  // namespace dialforge_platform
