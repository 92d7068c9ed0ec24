#include "socket/DescriptorOptions.h"

#include <fcntl.h>
#include <sys/socket.h>

#include <cerrno>

#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

bool PrepareDescriptor(int descriptor, bool nonBlocking) {
  const int descriptorFlags = fcntl(descriptor, F_GETFD);
  if (descriptorFlags == -1 || fcntl(descriptor, F_SETFD, descriptorFlags | FD_CLOEXEC) == -1) {
    Tracer::TRACE("fcntl() failed with error %d", errno);
    return false;
  }
  if (!nonBlocking) {
    return true;
  }
  const int statusFlags = fcntl(descriptor, F_GETFL);
  if (statusFlags == -1 || fcntl(descriptor, F_SETFL, statusFlags | O_NONBLOCK) == -1) {
    Tracer::TRACE("fcntl() failed with error %d", errno);
    return false;
  }
  return true;
}

void SetOption(int descriptor, int level, int option) {
  const int on = 1;
  if (setsockopt(descriptor, level, option, &on, sizeof on) == -1) {
    Tracer::TRACE("setsockopt() failed with error %d", errno);
  }
}

}  // namespace VazezeveDudOzizezUziriv
