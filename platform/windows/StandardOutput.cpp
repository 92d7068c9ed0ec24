#include "platform/StandardOutput.h"

#include <windows.h>

#include <algorithm>
#include <mutex>

#include "platform/windows/Utf16.h"

namespace dialforge_platform {

namespace {

// Standard output cannot be polled on Windows: the writer's own thread blocks in WriteFile,
// and a stop that cannot wait longer cancels that write.
constexpr size_t kChunk = 4096;
constexpr DWORD kFullPipeMilliseconds = 10;

std::mutex sWriterMutex;
HANDLE sWriterThread = nullptr;  // while a write is under way

void SetWriterThread(HANDLE thread) {
  std::lock_guard<std::mutex> lock(sWriterMutex);
  sWriterThread = thread;
}

}  // namespace

void WriteStandardOutput(const std::string& text, bool (*giveUp)()) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) {
    return;  // a host without a console
  }
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0,
                       FALSE, DUPLICATE_SAME_ACCESS)) {
    return;  // a write nobody could cancel must not start
  }
  SetWriterThread(self);
  size_t written = 0;
  while (written < text.size() && !giveUp()) {
    const DWORD chunk = static_cast<DWORD>(std::min(text.size() - written, kChunk));
    DWORD count = 0;
    // Fails when the reader has gone, or when the write was cancelled.
    if (!WriteFile(output, text.data() + written, chunk, &count, nullptr)) {
      break;
    }
    if (count == 0) {
      Sleep(kFullPipeMilliseconds);  // a full pipe that the host made non-blocking
    }
    written += count;
  }
  SetWriterThread(nullptr);
  CloseHandle(self);
}

void InterruptStandardOutput() {
  std::lock_guard<std::mutex> lock(sWriterMutex);
  if (sWriterThread != nullptr) {
    CancelSynchronousIo(sWriterThread);
  }
}

// The host has no console on Windows; a debugger or DebugView shows these lines.
void WriteDebuggerOutput(const std::string& text) {
  // The wide call: the narrow one reads the text in the system's code page, not as UTF-8.
  OutputDebugStringW(ToUtf16(text).c_str());
}

}  // namespace dialforge_platform
