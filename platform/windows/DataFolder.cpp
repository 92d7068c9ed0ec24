#include "platform/DataFolder.h"

#include <windows.h>

#include "platform/windows/Utf16.h"

namespace dialforge_platform {

const char* HomeVariable() {
  return "LOCALAPPDATA";
}

const char* const kDataFolderInHome = "Dialforge";

std::string DataFolderUnder(const std::string& home) {
  return home + "\\" + kDataFolderInHome;
}

// The process environment itself, not the C runtime's copy of it, so that what one part of the
// process sets every other part, and every child, sees.
std::optional<std::string> Variable(const char* name) {
  const std::wstring wideName = ToUtf16(name);
  const DWORD needed = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (needed == 0) {
    return std::nullopt;
  }
  std::wstring value(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(wideName.c_str(), &value[0], needed);
  if (length == 0 || length >= needed) {
    return length == 0 ? std::optional<std::string>(std::string()) : std::nullopt;
  }
  value.resize(length);
  return ToUtf8(value);
}

bool SetVariable(const char* name, const std::string& value) {
  return SetEnvironmentVariableW(ToUtf16(name).c_str(), ToUtf16(value).c_str()) != 0;
}

void UnsetVariable(const char* name) {
  SetEnvironmentVariableW(ToUtf16(name).c_str(), nullptr);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

}  // namespace dialforge_platform
