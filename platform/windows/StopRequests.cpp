#include "platform/StopRequests.h"

#include <windows.h>

#include <atomic>

namespace dialforge_platform {

namespace {

// Counts the requests not yet taken; the console's own thread releases it.
HANDLE sRequests = nullptr;
std::atomic<int> sLastExitStatus{0};

// The exit status a POSIX shell would give the same request: SIGINT, SIGBREAK, SIGHUP.
int ExitStatusOf(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      return 128 + 2;
    case CTRL_BREAK_EVENT:
      return 128 + 21;
    default:
      return 128 + 1;
  }
}

// Runs on a thread of its own that Windows starts for each console event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      sLastExitStatus.store(ExitStatusOf(event));
      ReleaseSemaphore(sRequests, 1, nullptr);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void HoldStopRequests() {
  sRequests = CreateSemaphoreW(nullptr, 0, 1000, nullptr);
  // Ctrl-C stops the program even when whoever started it chose to have it ignored.
  SetConsoleCtrlHandler(nullptr, FALSE);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

std::optional<int> TakeStopRequest(std::chrono::milliseconds timeout) {
  if (WaitForSingleObject(sRequests, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  return sLastExitStatus.load();
}

}  // namespace dialforge_platform
