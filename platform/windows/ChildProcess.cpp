#include "platform/ChildProcess.h"

#include <windows.h>

#include <mutex>
#include <stdexcept>

#include "platform/windows/Utf16.h"

namespace dialforge_platform {

namespace {

// One argument as the C runtime's parser reads it back: quoted when needed, with the
// backslashes before a quote, and before the closing quote, doubled.
std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t character : argument) {
    if (character == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(character == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += character;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

HANDLE Open(const std::string& path, bool forWriting) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  return CreateFileW(ToUtf16(path).c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                     forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Inheritable handles exist only while one child is being started, so that no other child,
// started by another thread, gets them.
std::mutex sStarting;
// A process is attached to one console at a time, and a stop request borrows the child's.
std::mutex sBorrowingConsole;

// The Ctrl-C sent to a child's console reaches every process attached to it, this one too.
BOOL WINAPI IgnoreBorrowedCtrlC(DWORD event) {
  return event == CTRL_C_EVENT;
}

}  // namespace

struct ChildProcess::Running {
  PROCESS_INFORMATION process{};
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& inputPath, const std::string& outputPath,
                           const std::string& errorsPath)
    : running(new Running) {
  std::wstring commandLine = Quoted(ToUtf16(program));
  for (const std::string& argument : arguments) {
    commandLine += L" " + Quoted(ToUtf16(argument));
  }
  const std::lock_guard<std::mutex> starting(sStarting);
  const HANDLE files[] = {Open(inputPath, false), Open(outputPath, true), Open(errorsPath, true)};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = files[0];
  startup.hStdOutput = files[1];
  startup.hStdError = files[2];
  bool started = false;
  if (files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE &&
      files[2] != INVALID_HANDLE_VALUE) {
    // A console of its own, so that a Ctrl-C can be sent to it alone: Windows sends console
    // events to a whole console, or to a process group, which wine does not support.
    started = CreateProcessW(ToUtf16(program).c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                             CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr,
                             &startup, &running->process) != 0;
  }
  for (const HANDLE file : files) {
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
    }
  }
  if (!started) {
    throw std::runtime_error("cannot start " + program + " (error " +
                             std::to_string(GetLastError()) + ")");
  }
  CloseHandle(running->process.hThread);
}

ChildProcess::~ChildProcess() {
  if (!status) {
    TerminateProcess(running->process.hProcess, 1);
    WaitForSingleObject(running->process.hProcess, INFINITE);
  }
  CloseHandle(running->process.hProcess);
}

void ChildProcess::RequestStop(StopRequest) const {
  static const bool ignoring = SetConsoleCtrlHandler(IgnoreBorrowedCtrlC, TRUE) != 0;
  static_cast<void>(ignoring);
  const std::lock_guard<std::mutex> borrowing(sBorrowingConsole);
  const bool hadConsole = GetConsoleWindow() != nullptr;
  FreeConsole();
  if (AttachConsole(running->process.dwProcessId)) {
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    FreeConsole();
  }
  if (hadConsole) {
    AttachConsole(ATTACH_PARENT_PROCESS);
  }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds deadline) {
  DWORD exitCode = 0;
  if (!status &&
      WaitForSingleObject(running->process.hProcess, static_cast<DWORD>(deadline.count())) ==
          WAIT_OBJECT_0 &&
      GetExitCodeProcess(running->process.hProcess, &exitCode)) {
    status = static_cast<int>(exitCode);
  }
  return status;
}

}  // namespace dialforge_platform
