#include "platform/DataFolder.h"

#include <cstdlib>

namespace dialforge_platform {

const char* HomeVariable() {
  return "HOME";
}

const char* const kDataFolderInHome = ".local/share/Dialforge";

std::string DataFolderUnder(const std::string& home) {
  return home + "/" + kDataFolderInHome;
}

std::optional<std::string> Variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) {
    return std::nullopt;
  }
  return std::string(value);
}

bool SetVariable(const char* name, const std::string& value) {
  return setenv(name, value.c_str(), 1) == 0;
}

void UnsetVariable(const char* name) {
  unsetenv(name);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

}  // namespace dialforge_platform
