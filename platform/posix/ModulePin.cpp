#include "platform/ModulePin.h"

#include <dlfcn.h>

#include <atomic>

namespace dialforge_platform {

bool PinThisModule() {
  static std::atomic<bool> pinned{false};
  if (pinned.load()) {
    return true;
  }
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&PinThisModule), &info) == 0 || info.dli_fname == nullptr) {
    return false;
  }
  // Already loaded, so this only adds RTLD_NODELETE to it; the reference it takes is never
  // given back.
  if (dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) == nullptr) {
    return false;
  }
  pinned.store(true);
  return true;
}

}  // namespace dialforge_platform
