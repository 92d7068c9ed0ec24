#include "platform/OutputCapture.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace dialforge_platform {

// Standard output is both the C runtime's descriptor 1 and the process's standard handle; a
// module may write to either, so both are moved.
struct OutputCapture::Ends {
  // Kept open until the end, since a reader may still be copying to it after Release.
  HANDLE real = INVALID_HANDLE_VALUE;
  int realDescriptor = -1;
  HANDLE reader = INVALID_HANDLE_VALUE;
  bool captured = false;
};

OutputCapture::OutputCapture() : ends(new Ends) {}

OutputCapture::~OutputCapture() {
  Release();
  if (ends->realDescriptor != -1) {
    _close(ends->realDescriptor);
  }
  if (ends->reader != INVALID_HANDLE_VALUE) {
    CloseHandle(ends->reader);
  }
}

bool OutputCapture::Capture(Into where) {
  if (ends->realDescriptor != -1) {
    return false;
  }
  std::fflush(stdout);
  HANDLE reader = INVALID_HANDLE_VALUE;
  HANDLE writer = INVALID_HANDLE_VALUE;
  if (where == Into::Pipe) {
    if (!CreatePipe(&reader, &writer, nullptr, 0)) {
      return false;
    }
  } else {
    writer = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
    if (writer == INVALID_HANDLE_VALUE) {
      return false;
    }
  }
  const int realDescriptor = _dup(1);
  const int writerDescriptor =
      realDescriptor == -1 ? -1 : _open_osfhandle(reinterpret_cast<intptr_t>(writer), _O_BINARY);
  if (writerDescriptor == -1 || _dup2(writerDescriptor, 1) != 0) {
    if (writerDescriptor != -1) {
      _close(writerDescriptor);
    } else {
      CloseHandle(writer);
    }
    if (realDescriptor != -1) {
      _close(realDescriptor);
    }
    if (reader != INVALID_HANDLE_VALUE) {
      CloseHandle(reader);
    }
    return false;
  }
  _close(writerDescriptor);
  _setmode(1, _O_BINARY);
  ends->real = reinterpret_cast<HANDLE>(_get_osfhandle(realDescriptor));
  ends->realDescriptor = realDescriptor;
  SetStdHandle(STD_OUTPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(1)));
  ends->reader = reader;
  ends->captured = true;
  return true;
}

std::size_t OutputCapture::Read(char* bytes, std::size_t size) {
  DWORD count = 0;
  if (!ReadFile(ends->reader, bytes, static_cast<DWORD>(size), &count, nullptr)) {
    return 0;
  }
  return count;
}

bool OutputCapture::WriteToRealOutput(const char* bytes, std::size_t size) {
  const HANDLE output = ends->realDescriptor == -1 ? GetStdHandle(STD_OUTPUT_HANDLE) : ends->real;
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(output, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0) {
      return false;
    }
    bytes += written;
    size -= written;
  }
  return true;
}

void OutputCapture::Release() {
  if (!ends->captured) {
    return;
  }
  std::fflush(stdout);
  // The pipe's last writer goes with the descriptor it replaced.
  _dup2(ends->realDescriptor, 1);
  SetStdHandle(STD_OUTPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(1)));
  ends->captured = false;
}

}  // namespace dialforge_platform
