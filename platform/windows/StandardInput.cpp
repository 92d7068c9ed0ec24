#include "platform/StandardInput.h"

#include <windows.h>

namespace dialforge_platform {

namespace {

// Whether a read of the input returns now: a pipe with bytes (or a writer gone), a file, or a
// console with a key pressed. Other console events (focus, mouse) are taken and dropped, since
// they would wake the wait without anything to read.
bool InputReady(HANDLE input, DWORD timeoutMilliseconds) {
  switch (GetFileType(input)) {
    case FILE_TYPE_PIPE: {
      const DWORD start = GetTickCount();
      for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) || available > 0) {
          return true;
        }
        if (GetTickCount() - start >= timeoutMilliseconds) {
          return false;
        }
        Sleep(10);
      }
    }
    case FILE_TYPE_CHAR: {
      if (WaitForSingleObject(input, timeoutMilliseconds) != WAIT_OBJECT_0) {
        return false;
      }
      INPUT_RECORD record;
      DWORD count = 0;
      if (!PeekConsoleInputW(input, &record, 1, &count)) {
        return true;
      }
      if (count == 1 && (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown)) {
        ReadConsoleInputW(input, &record, 1, &count);
        return false;
      }
      return true;
    }
    default:
      return true;
  }
}

}  // namespace

std::optional<std::size_t> ReadStandardInput(char* bytes, std::size_t size,
                                             std::chrono::milliseconds timeout) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) {
    return 0;
  }
  if (!InputReady(input, static_cast<DWORD>(timeout.count()))) {
    return std::nullopt;
  }
  DWORD count = 0;
  if (!ReadFile(input, bytes, static_cast<DWORD>(size), &count, nullptr)) {
    return 0;
  }
  if (GetFileType(input) == FILE_TYPE_CHAR) {
    // A console ends each typed line in CR LF; a request ends in a line feed alone.
    std::size_t kept = 0;
    for (std::size_t at = 0; at < count; ++at) {
      if (!(bytes[at] == '\r' && at + 1 < count && bytes[at + 1] == '\n')) {
        bytes[kept++] = bytes[at];
      }
    }
    return kept;
  }
  return count;
}

}  // namespace dialforge_platform
