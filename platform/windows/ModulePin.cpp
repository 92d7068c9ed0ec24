#include "platform/ModulePin.h"

#include <windows.h>

#include <atomic>

namespace dialforge_platform {

bool PinThisModule() {
  static std::atomic<bool> pinned{false};
  if (pinned.load()) {
    return true;
  }
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                          reinterpret_cast<LPCWSTR>(&PinThisModule), &module)) {
    return false;
  }
  pinned.store(true);
  return true;
}

}  // namespace dialforge_platform
