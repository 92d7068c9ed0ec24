#include "platform/ProcessCounts.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <vector>

namespace dialforge_platform {

namespace {

// The system's list of every open handle (SystemExtendedHandleInformation), which wine keeps
// too; its GetProcessHandleCount answers 0.
struct HandleEntry {
  void* object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG access;
  USHORT creatorBackTraceIndex;
  USHORT objectTypeIndex;
  ULONG attributes;
  ULONG reserved;
};
struct HandleList {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry entries[1];
};
// What NtQueryObject's ObjectTypeInformation starts with: the type's name.
struct CountedName {
  USHORT length;
  USHORT maximumLength;
  const wchar_t* buffer;
};
constexpr ULONG kExtendedHandleInformation = 64;
constexpr ULONG kObjectTypeInformation = 2;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

template <typename Function>
Function NtFunction(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

// The thread library makes an event or a semaphore the first time a mutex or a condition
// variable is waited on, and keeps it while that lives, which for a static one is for ever: they
// grow without anything leaking, so they are left out.
bool IsSynchronizationObject(QueryObject query, HANDLE handle) {
  alignas(8) unsigned char information[1024];
  ULONG length = 0;
  if (query == nullptr ||
      query(handle, kObjectTypeInformation, information, sizeof information, &length) < 0) {
    return false;
  }
  const auto* name = reinterpret_cast<const CountedName*>(information);
  const std::wstring type(name->buffer, name->length / sizeof(wchar_t));
  return type == L"Event" || type == L"Semaphore" || type == L"KeyedEvent" || type == L"Mutant";
}

std::optional<std::size_t> HandlesInSystemList() {
  const auto querySystem = NtFunction<QuerySystemInformation>("NtQuerySystemInformation");
  const auto queryObject = NtFunction<QueryObject>("NtQueryObject");
  if (querySystem == nullptr) {
    return std::nullopt;
  }
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    ULONG needed = 0;
    const LONG status = querySystem(kExtendedHandleInformation, buffer.data(),
                                    static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status < 0) {
      return std::nullopt;
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    const ULONG_PTR self = GetCurrentProcessId();
    std::size_t count = 0;
    for (ULONG_PTR at = 0; at < list->count; ++at) {
      const HandleEntry& entry = list->entries[at];
      count += entry.processId == self &&
               !IsSynchronizationObject(queryObject, reinterpret_cast<HANDLE>(entry.handle));
    }
    return count;
  }
}

}  // namespace

std::optional<std::size_t> ThreadCount() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  const DWORD self = GetCurrentProcessId();
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  std::size_t count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    count += entry.th32OwnerProcessID == self;
  }
  CloseHandle(snapshot);
  return count;
}

std::optional<std::size_t> OpenHandleCount() {
  return HandlesInSystemList();
}

}  // namespace dialforge_platform
