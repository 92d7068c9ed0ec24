#include "platform/StopRequests.h"

#include <windows.h>

namespace dialforge_platform {

namespace {

HANDLE sStopRequested = nullptr;

// Runs on a thread of its own that Windows starts for each console event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      SetEvent(sStopRequested);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void HoldStopRequests() {
  sStopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void WaitForStopRequest() {
  WaitForSingleObject(sStopRequested, INFINITE);
}

void ReleaseStopRequests() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

}  // namespace dialforge_platform
