// Random bytes from the system's own generator, fit for secrets.
#ifndef DIALFORGE_PLATFORM_RANDOM_H
#define DIALFORGE_PLATFORM_RANDOM_H

#include <cstddef>

namespace dialforge_platform {

// Fills all size bytes; false when the system's generator failed (the bytes are then not to be
// used).
bool FillRandom(unsigned char* bytes, std::size_t size);

}  // namespace dialforge_platform

#endif
