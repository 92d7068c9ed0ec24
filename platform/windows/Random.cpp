#include "platform/Random.h"

#include <windows.h>

#include <bcrypt.h>

#include <climits>

namespace dialforge_platform {

bool FillRandom(unsigned char* bytes, std::size_t size) {
  while (size > 0) {
    const ULONG part = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
    if (BCryptGenRandom(nullptr, bytes, part, BCRYPT_USE_SYSTEM_PREFERRED_RNG) < 0) {
      return false;
    }
    bytes += part;
    size -= part;
  }
  return true;
}

}  // namespace dialforge_platform
