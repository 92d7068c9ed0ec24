#include "platform/Module.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace dialforge_platform {

const char* ModuleFileName() {
  return "Dialforge.so";
}

void* LoadModule(const std::string& path, std::string& reason) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* error = dlerror();
    reason = error != nullptr ? error : "unknown reason";
  }
  return module;
}

void* FindFunction(void* module, const char* name) {
  return dlsym(module, name);
}

void UnloadModule(void* module) {
  dlclose(module);
}

std::string RunningProgram() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : program.string();
}

}  // namespace dialforge_platform
