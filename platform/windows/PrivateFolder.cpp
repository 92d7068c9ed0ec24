#include "platform/PrivateFolder.h"

#include <windows.h>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <sddl.h>

#include <random>
#include <type_traits>

#include "platform/windows/AccessControl.h"
#include "platform/windows/Utf16.h"

namespace dialforge_platform {

namespace {

// Another program, the companion application above all, may hold the file open for a moment.
constexpr int kBusyAttempts = 50;
constexpr DWORD kBusyPauseMilliseconds = 20;

HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

bool IsBusy(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

// The process's own user, as the token says. Trivially destroyed, so that its first use, which
// may be on the tracer's writer, registers nothing to run at exit: a thread registering while
// the process exits waits for the exit's own lock, which the exit holds while it joins that
// thread.
struct TokenUser {
  TokenUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
      return;
    }
    DWORD size = 0;
    made = GetTokenInformation(token, ::TokenUser, bytes, sizeof bytes, &size) != FALSE;
    CloseHandle(token);
  }
  PSID Sid() const { return made ? reinterpret_cast<const TOKEN_USER*>(bytes)->User.Sid : nullptr; }

  alignas(TOKEN_USER) unsigned char bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
  bool made = false;
};
static_assert(std::is_trivially_destructible<TokenUser>::value, "registers nothing at exit");

const TokenUser& User() {
  static const TokenUser sUser;
  return sUser;
}

// Owned by us, or by those who can change anything anyway (the counterpart of root), and no
// one else may change it.
bool IsOurs(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                      nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const PSID user = User().Sid();
  const bool ours =
      owner != nullptr &&
      ((user != nullptr && EqualSid(owner, user)) || IsWellKnownSid(owner, WinLocalSystemSid) ||
       IsWellKnownSid(owner, WinBuiltinAdministratorsSid)) &&
      OnlyTrustedMayChange(descriptor, user);
  LocalFree(descriptor);
  return ours;
}

// A folder only we (the system and the administrators) may change, whatever the folder above
// passes down.
bool CreatePrivateFolder(const std::wstring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          PrivateDaclFor(User().Sid()).c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return false;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const bool created = CreateDirectoryW(path.c_str(), &attributes) != 0;
  const DWORD error = GetLastError();
  LocalFree(descriptor);
  SetLastError(error);
  return created;
}

// Held without FILE_SHARE_DELETE, so that the folder cannot be renamed or removed meanwhile.
HANDLE OpenFolder(const std::wstring& path, bool followLink) {
  return CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                     nullptr);
}

DWORD AttributesOf(HANDLE object) {
  BY_HANDLE_FILE_INFORMATION information{};
  return GetFileInformationByHandle(object, &information) ? information.dwFileAttributes
                                                          : INVALID_FILE_ATTRIBUTES;
}

// A plain file with no other name: a hard link planted at our name is another name of a file
// that may lie anywhere.
bool IsPlainFileOfOneName(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information{};
  return GetFileInformationByHandle(file, &information) &&
         (information.dwFileAttributes &
          (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
         information.nNumberOfLinks == 1;
}

// Whether the path names the file itself, not a reparse point or another file.
bool PathNamesFile(const std::wstring& path, HANDLE file) {
  const HANDLE named = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (named == INVALID_HANDLE_VALUE) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION atPath{};
  BY_HANDLE_FILE_INFORMATION opened{};
  const bool same = GetFileInformationByHandle(named, &atPath) &&
                    GetFileInformationByHandle(file, &opened) &&
                    atPath.dwVolumeSerialNumber == opened.dwVolumeSerialNumber &&
                    atPath.nFileIndexHigh == opened.nFileIndexHigh &&
                    atPath.nFileIndexLow == opened.nFileIndexLow;
  CloseHandle(named);
  return same;
}

// A plain file of ours at the path, opened without following a reparse point; else null.
HANDLE OpenPlainFile(const std::wstring& path, DWORD access, DWORD disposition, DWORD* error) {
  const HANDLE file =
      CreateFileW(path.c_str(), access | READ_CONTROL | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  *error = GetLastError();
  if (file == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  if (!IsPlainFileOfOneName(file) || GetFileType(file) != FILE_TYPE_DISK || !IsOurs(file)) {
    CloseHandle(file);
    *error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  return file;
}

std::wstring RandomName(const std::string& name) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device source;
  std::string random = "." + name + "-";
  for (int i = 0; i < 12; ++i) {
    random += kLetters[source() % (sizeof kLetters - 1)];
  }
  return ToUtf16(random);
}

bool WriteAll(HANDLE file, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    DWORD count = 0;
    if (!WriteFile(file, text.data() + written, static_cast<DWORD>(text.size() - written), &count,
                   nullptr) ||
        count == 0) {
      return false;
    }
    written += count;
  }
  return true;
}

// Retried while another program holds the file open; false with the last error otherwise.
template <typename Operation>
bool UnlessBusy(Operation operation) {
  for (int attempt = 1;; ++attempt) {
    if (operation()) {
      return true;
    }
    if (!IsBusy(GetLastError()) || attempt == kBusyAttempts) {
      return false;
    }
    Sleep(kBusyPauseMilliseconds);
  }
}

}  // namespace

AppendFile::~AppendFile() {
  if (handle != -1) {
    _close(static_cast<int>(handle));
  }
}

long long AppendFile::Size() const {
  const long long size = _filelengthi64(static_cast<int>(handle));
  return size < 0 ? 0 : size;
}

bool AppendFile::Append(const std::string& text) const {
  size_t written = 0;
  while (written < text.size()) {
    const int count = _write(static_cast<int>(handle), text.data() + written,
                             static_cast<unsigned>(text.size() - written));
    if (count <= 0) {
      return false;
    }
    written += static_cast<size_t>(count);
  }
  return true;
}

bool AppendFile::StillInPlace() const {
  // Deleting a file held open with FILE_SHARE_DELETE leaves it pending until its last handle
  // closes; a file moved away keeps its handle, and its name may then name another file.
  const HANDLE file = AsHandle(_get_osfhandle(static_cast<int>(handle)));
  FILE_STANDARD_INFO standard{};
  return file != INVALID_HANDLE_VALUE &&
         GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) &&
         !standard.DeletePending && standard.NumberOfLinks == 1 &&
         PathNamesFile(ToUtf16(place), file);
}

PrivateFolder::PrivateFolder(const std::string& home, const std::string& below,
                             bool createMissing) {
  HANDLE folder = OpenFolder(ToUtf16(home), true);
  if (folder == INVALID_HANDLE_VALUE) {
    error = static_cast<int>(GetLastError());
    return;
  }
  held.push_back(reinterpret_cast<std::intptr_t>(folder));
  std::string walked = home;
  size_t start = 0;
  while (true) {
    if (!IsOurs(folder)) {
      notPrivate = walked;
      return;
    }
    if (start > below.size()) {
      break;
    }
    size_t end = below.find_first_of("/\\", start);
    if (end == std::string::npos) {
      end = below.size();
    }
    const std::string name = below.substr(start, end - start);
    start = end + 1;
    if (name.empty()) {
      continue;
    }
    walked += "\\" + name;
    const std::wstring wide = ToUtf16(walked);
    folder = OpenFolder(wide, false);
    if (folder == INVALID_HANDLE_VALUE && createMissing &&
        (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) &&
        CreatePrivateFolder(wide)) {
      folder = OpenFolder(wide, false);
    }
    if (folder == INVALID_HANDLE_VALUE) {
      error = static_cast<int>(GetLastError());
      return;
    }
    held.push_back(reinterpret_cast<std::intptr_t>(folder));
    const DWORD attributes = AttributesOf(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      notPrivate = walked;  // a symbolic link or a junction
      return;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      error = ERROR_DIRECTORY;
      return;
    }
  }
  path = walked;
  opened = true;
}

PrivateFolder::~PrivateFolder() {
  for (const std::intptr_t folder : held) {
    CloseHandle(AsHandle(folder));
  }
}

bool PrivateFolder::PublishFile(const std::string& name, const std::string& text) const {
  std::wstring temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; file == INVALID_HANDLE_VALUE && attempt < 8; ++attempt) {
    temporary = ToUtf16(path) + L"\\" + RandomName(name);
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  bool written = WriteAll(file, text) && FlushFileBuffers(file);
  written = CloseHandle(file) && written;
  // A reparse point at the name is replaced itself, never followed.
  const std::wstring target = ToUtf16(path + "\\" + name);
  if (!written || !UnlessBusy([&] {
        return MoveFileExW(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      })) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

Withdrawal PrivateFolder::RemoveFileHolding(const std::string& name,
                                            const std::string& expected) const {
  const std::wstring target = ToUtf16(path + "\\" + name);
  DWORD error = 0;
  HANDLE file = nullptr;
  // Delete access is refused while another program holds the file without delete sharing.
  UnlessBusy([&] {
    file = OpenPlainFile(target, GENERIC_READ | DELETE, OPEN_EXISTING, &error);
    SetLastError(error);
    return file != nullptr;
  });
  if (file == nullptr) {
    return Withdrawal::Unreadable;
  }
  std::string bytes(expected.size() + 1, '\0');
  DWORD count = 0;
  Withdrawal withdrawal = Withdrawal::Unreadable;
  if (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &count, nullptr)) {
    withdrawal = count == expected.size() && bytes.compare(0, count, expected) == 0
                     ? Withdrawal::NotRemoved
                     : Withdrawal::Differs;
  }
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (withdrawal == Withdrawal::NotRemoved &&
      SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)) {
    withdrawal = Withdrawal::Removed;
  }
  // The file goes when its last handle closes: this one, unless another program holds it.
  CloseHandle(file);
  return withdrawal;
}

AppendFile PrivateFolder::OpenForAppend(const std::string& name, bool* notOurs) const {
  *notOurs = false;
  const std::wstring target = ToUtf16(path + "\\" + name);
  // Append access alone: every write goes to the end, whoever else writes the file.
  DWORD error = 0;
  HANDLE file = OpenPlainFile(target, FILE_APPEND_DATA | SYNCHRONIZE, CREATE_NEW, &error);
  if (file == nullptr && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)) {
    file = OpenPlainFile(target, FILE_APPEND_DATA | SYNCHRONIZE, OPEN_EXISTING, &error);
    *notOurs = file == nullptr;
  }
  if (file == nullptr) {
    return AppendFile();
  }
  // Binary: the lines end in CR LF already, and text mode would make that CR CR LF.
  const int descriptor =
      _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_WRONLY | _O_APPEND | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(file);
    return AppendFile();
  }
  return AppendFile(descriptor, path + "\\" + name);
}

}  // namespace dialforge_platform
