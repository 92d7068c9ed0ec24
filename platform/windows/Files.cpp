#include "platform/Files.h"

#include <windows.h>

#include <string>

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

bool IsMissing(const std::string& path) {
  if (GetFileAttributesW(ToUtf16(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// CreateDirectoryW fails on a name that exists, so a folder someone planted is never taken.
std::string MakeTemporaryFolder(const std::string& prefix) {
  wchar_t temporary[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
  if (length == 0 || length > MAX_PATH) {
    return std::string();
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring path = std::wstring(temporary, length) + ToUtf16(prefix) +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(attempt);
    if (CreateDirectoryW(path.c_str(), nullptr)) {
      return ToUtf8(path);
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      return std::string();
    }
  }
  return std::string();
}

}  // namespace dialforge_platform
