#include "platform/Module.h"

#include <windows.h>

#include "platform/windows/Utf16.h"

namespace dialforge_platform {

const char* ModuleFileName() {
  return "Dialforge.dll";
}

void* LoadModule(const std::string& path, std::string& reason) {
  // The module's own folder is searched for what it depends on, never the current folder.
  HMODULE module =
      LoadLibraryExW(ToUtf16(path).c_str(), nullptr,
                     LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (module == nullptr) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_PARAMETER) {
      // Systems without the safe search flags.
      module = LoadLibraryW(ToUtf16(path).c_str());
    }
    if (module == nullptr) {
      reason = "error " + std::to_string(GetLastError());
    }
  }
  return module;
}

void* FindFunction(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void UnloadModule(void* module) {
  FreeLibrary(static_cast<HMODULE>(module));
}

std::string RunningProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) {
      return std::string();
    }
    if (length < path.size()) {
      path.resize(length);
      return ToUtf8(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace dialforge_platform
