#include "platform/ProcessCounts.h"

#include <windows.h>

#include <tlhelp32.h>

namespace dialforge_platform {

std::size_t ThreadsOfThisProcess() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    return 0;
  }
  const DWORD process = GetCurrentProcessId();
  std::size_t count = 0;
  THREADENTRY32 thread{};
  thread.dwSize = sizeof thread;
  for (BOOL found = Thread32First(snapshot, &thread); found;
       found = Thread32Next(snapshot, &thread)) {
    count += thread.th32OwnerProcessID == process ? 1 : 0;
  }
  CloseHandle(snapshot);
  return count;
}

std::size_t HandlesOfThisProcess() {
  DWORD count = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &count) ? count : 0;
}

}  // namespace dialforge_platform
