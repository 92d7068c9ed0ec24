#include "platform/Files.h"

#include <fcntl.h>
#include <unistd.h>

namespace dialforge_platform {

bool OpensForReading(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor == -1) {
    return false;
  }
  close(descriptor);
  return true;
}

}  // namespace dialforge_platform
