#include "tests/support/Links.h"

#include <windows.h>

#include <filesystem>

namespace dialforge_test {

// mingw's std::filesystem::create_symlink is not implemented, hence the system's own call.
bool PlantLink(const std::string& target, const std::string& at) {
  const std::wstring link = std::filesystem::u8path(at).wstring();
  const std::filesystem::path to = std::filesystem::u8path(target);
  const DWORD kind = (std::filesystem::is_directory(to) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                     SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (!CreateSymbolicLinkW(link.c_str(), to.wstring().c_str(), kind)) {
    return false;
  }
  const DWORD attributes = GetFileAttributesW(link.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return true;
  }
  // Followed like a plain file or folder: taken away, since the case cannot be shown with it.
  if (!DeleteFileW(link.c_str())) {
    RemoveDirectoryW(link.c_str());
  }
  return false;
}

}  // namespace dialforge_test
