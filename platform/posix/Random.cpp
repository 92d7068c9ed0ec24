#include "platform/Random.h"

#include <cerrno>

#if defined(__APPLE__)
#include <stdlib.h>
#else
#include <sys/random.h>
#endif

namespace dialforge_platform {

bool FillRandom(unsigned char* bytes, std::size_t size) {
#if defined(__APPLE__)
  arc4random_buf(bytes, size);
  return true;
#else
  while (size > 0) {
    const ssize_t got = getrandom(bytes, size, 0);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
#endif
}

}  // namespace dialforge_platform
