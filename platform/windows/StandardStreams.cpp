#include "platform/StandardStreams.h"

#include <fcntl.h>
#include <io.h>

#include <initializer_list>

namespace dialforge_platform {

void KeepStandardStreamBytes() {
  for (const int descriptor : {0, 1, 2}) {
    _setmode(descriptor, _O_BINARY);
  }
}

}  // namespace dialforge_platform
