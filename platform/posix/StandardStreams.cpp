#include "platform/StandardStreams.h"

namespace dialforge_platform {

// The streams carry bytes as they are already.
void KeepStandardStreamBytes() {}

}  // namespace dialforge_platform
