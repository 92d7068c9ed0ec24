#include "platform/Files.h"

#include <windows.h>

#include "platform/windows/Utf16.h"

namespace dialforge_platform {

// Shared every way, so that another program holding the file open never makes it look absent.
bool OpensForReading(const std::string& path) {
  const HANDLE file = CreateFileW(ToUtf16(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  CloseHandle(file);
  return true;
}

}  // namespace dialforge_platform
