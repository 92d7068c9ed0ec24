#include "tests/support/Inheritable.h"

#include <winsock2.h>

#include <cstdint>

namespace dialforge_test {

// Handles are small multiples of four: every one that is a socket is looked at.
std::size_t InheritableSocketCount() {
  std::size_t count = 0;
  for (std::uintptr_t value = 4; value < (1u << 16); value += 4) {
    const HANDLE handle = reinterpret_cast<HANDLE>(value);
    DWORD flags = 0;
    int type = 0;
    int size = sizeof type;
    if (handle != GetStdHandle(STD_INPUT_HANDLE) && handle != GetStdHandle(STD_OUTPUT_HANDLE) &&
        handle != GetStdHandle(STD_ERROR_HANDLE) && GetHandleInformation(handle, &flags) &&
        (flags & HANDLE_FLAG_INHERIT) != 0 &&
        getsockopt(static_cast<SOCKET>(value), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type),
                   &size) == 0) {
      ++count;
    }
  }
  return count;
}

}  // namespace dialforge_test
