#include "platform/PrivateFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace dialforge_platform {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

bool IsOurs(const struct stat& status) {
  return status.st_uid == geteuid() || status.st_uid == 0;
}

bool IsPrivate(int descriptor) {
  struct stat status {};
  return fstat(descriptor, &status) == 0 && IsOurs(status) && (status.st_mode & 022) == 0;
}

std::string RandomName(const std::string& name) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device source;
  std::string random = "." + name + "-";
  for (int i = 0; i < 12; ++i) {
    random += kLetters[source() % (sizeof kLetters - 1)];
  }
  return random;
}

// Every byte of the text, through short writes and interruptions; false when a write fails.
bool WriteAll(int descriptor, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = write(descriptor, text.data() + written, text.size() - written);
    if (count == -1 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      return false;
    }
    written += static_cast<size_t>(count);
  }
  return true;
}

}  // namespace

AppendFile::~AppendFile() {
  if (handle != -1) {
    close(static_cast<int>(handle));
  }
}

long long AppendFile::Size() const {
  struct stat status {};
  return fstat(static_cast<int>(handle), &status) == 0 ? status.st_size : 0;
}

bool AppendFile::Append(const std::string& text) const {
  return WriteAll(static_cast<int>(handle), text);
}

bool AppendFile::StillInPlace() const {
  struct stat opened {};
  struct stat named {};
  return fstat(static_cast<int>(handle), &opened) == 0 && opened.st_nlink == 1 &&
         lstat(place.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
         named.st_ino == opened.st_ino;
}

PrivateFolder::PrivateFolder(const std::string& home, const std::string& below,
                             bool createMissing) {
  int folder = open(home.c_str(), kFolderFlags);
  if (folder == -1) {
    error = errno;
    return;
  }
  std::string walked = home;
  size_t start = 0;
  while (true) {
    if (!IsPrivate(folder)) {
      notPrivate = walked;
      close(folder);
      return;
    }
    if (start > below.size()) {
      break;
    }
    size_t end = below.find('/', start);
    if (end == std::string::npos) {
      end = below.size();
    }
    const std::string name = below.substr(start, end - start);
    start = end + 1;
    if (name.empty()) {
      continue;
    }
    walked += "/" + name;
    int next = openat(folder, name.c_str(), kFolderFlags | O_NOFOLLOW);
    bool created = false;
    if (next == -1 && errno == ENOENT && createMissing) {
      created = mkdirat(folder, name.c_str(), 0700) == 0;
      next = openat(folder, name.c_str(), kFolderFlags | O_NOFOLLOW);
    }
    const int openError = errno;
    if (next == -1) {
      struct stat status {};
      if (fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISLNK(status.st_mode)) {
        notPrivate = walked;
      }
      error = openError;
      close(folder);
      return;
    }
    close(folder);
    folder = next;
    if (created) {
      fchmod(folder, 0700);  // whatever the umask
    }
  }
  held.push_back(folder);
  path = walked;
  opened = true;
}

PrivateFolder::~PrivateFolder() {
  for (const std::intptr_t folder : held) {
    close(static_cast<int>(folder));
  }
}

bool PrivateFolder::PublishFile(const std::string& name, const std::string& text) const {
  const int descriptor = static_cast<int>(held.back());
  std::string temporary;
  int file = -1;
  for (int attempt = 0; file == -1 && attempt < 8; ++attempt) {
    temporary = RandomName(name);
    file = openat(descriptor, temporary.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (file == -1 && errno != EEXIST) {
      return false;
    }
  }
  if (file == -1) {
    return false;
  }
  bool written = fchmod(file, 0600) == 0 && WriteAll(file, text) && fsync(file) == 0;
  written = close(file) == 0 && written;
  if (!written || renameat(descriptor, temporary.c_str(), descriptor, name.c_str()) == -1) {
    unlinkat(descriptor, temporary.c_str(), 0);
    return false;
  }
  return true;
}

Withdrawal PrivateFolder::RemoveFileHolding(const std::string& name,
                                            const std::string& expected) const {
  const int descriptor = static_cast<int>(held.back());
  const int file = openat(descriptor, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (file == -1) {
    return Withdrawal::Unreadable;
  }
  struct stat status {};
  std::string bytes(expected.size() + 1, '\0');
  ssize_t count = -1;
  if (fstat(file, &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 1) {
    do {
      count = read(file, &bytes[0], bytes.size());
    } while (count == -1 && errno == EINTR);
  }
  close(file);
  if (count < 0) {
    return Withdrawal::Unreadable;
  }
  if (bytes.compare(0, static_cast<size_t>(count), expected) != 0 ||
      static_cast<size_t>(count) != expected.size()) {
    return Withdrawal::Differs;
  }
  // POSIX deletes by name only: the file still at the name must be the one read. Only our own
  // processes can change this folder.
  struct stat now {};
  if (fstatat(descriptor, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
      now.st_dev != status.st_dev || now.st_ino != status.st_ino) {
    return Withdrawal::Differs;
  }
  return unlinkat(descriptor, name.c_str(), 0) == 0 ? Withdrawal::Removed : Withdrawal::NotRemoved;
}

AppendFile PrivateFolder::OpenForAppend(const std::string& name, bool* notOurs) const {
  const int descriptor = static_cast<int>(held.back());
  *notOurs = false;
  int file = openat(descriptor, name.c_str(),
                    O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (file != -1) {
    fchmod(file, 0600);
    return AppendFile(file, path + "/" + name);
  }
  if (errno != EEXIST) {
    return AppendFile();
  }
  // A planted FIFO must not block the writer, nor a link send our lines into another file.
  file =
      openat(descriptor, name.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat status {};
  // A hard link is another name of a file that may lie anywhere: it is not taken either.
  if (file == -1 || fstat(file, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1 ||
      status.st_uid != geteuid() || (status.st_mode & 022) != 0) {
    *notOurs = true;
    if (file != -1) {
      close(file);
    }
    return AppendFile();
  }
  return AppendFile(file, path + "/" + name);
}

}  // namespace dialforge_platform
