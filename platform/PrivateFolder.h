// A folder below the user's home that no other user can change. On POSIX every folder of its
// path is reached without following a link and is owned by us (or root) with no group or other
// write bit; on Windows none is a reparse point (symbolic link or junction), each is owned by
// us (or the administrators or the system), and its DACL lets no one else write, delete, change
// the DACL or take ownership. Files are then made, read and removed in the opened
// folder, which is held so that a folder swapped during or after the walk cannot redirect them.
// Paths are UTF-8.
#ifndef DIALFORGE_PLATFORM_PRIVATEFOLDER_H
#define DIALFORGE_PLATFORM_PRIVATEFOLDER_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace dialforge_platform {

// A file opened for appending by a PrivateFolder; closed with the object.
class AppendFile {
 public:
  AppendFile() = default;
  // `place` is the path the file was opened by, which StillInPlace looks at.
  AppendFile(std::intptr_t handle, std::string place) : handle(handle), place(std::move(place)) {}
  ~AppendFile();
  AppendFile(AppendFile&& other) noexcept : handle(other.handle), place(std::move(other.place)) {
    other.handle = -1;
  }
  AppendFile& operator=(AppendFile&& other) = delete;
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  bool IsOpen() const { return handle != -1; }
  // The file's size in bytes; 0 when the system cannot say.
  long long Size() const;
  // Every byte of the text, at the end of the file, exactly as given (no line-end translation).
  bool Append(const std::string& text) const;
  // Whether the file is still at the name it was opened by, and by no other: false once it was
  // deleted, moved, replaced or given a second name, or when the system cannot say, so that a
  // file kept open is opened afresh.
  bool StillInPlace() const;

 private:
  std::intptr_t handle = -1;
  std::string place;
};

// What became of a file to remove if it held what was expected.
enum class Withdrawal {
  Removed,
  Unreadable,  // missing, not a plain file of ours, or unreadable
  Differs,     // it holds something else: another program's file
  NotRemoved,  // it held what was expected, and could not be deleted
};

class PrivateFolder {
 public:
  // `below` is the path under the home, its folders separated by "/" (or, on Windows, "\").
  // The home itself may be a link. Missing folders below the home are created when
  // `createMissing` is set: 0700 on POSIX; on Windows with a protected DACL granting the user,
  // the system and the administrators alone.
  PrivateFolder(const std::string& home, const std::string& below, bool createMissing);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  bool IsOpen() const { return opened; }
  // The first folder of the path that another user could change; empty when the walk failed
  // for another reason (then `Error()` is the system's error number) or succeeded.
  const std::string& NotPrivate() const { return notPrivate; }
  int Error() const { return error; }

  // Writes the text to a new file of a random name (exclusive, only ours) and moves it over
  // `name`: a link planted there is replaced, never followed, and a failure leaves the
  // previous file or none. On Windows a file another program holds open is retried for a
  // moment.
  bool PublishFile(const std::string& name, const std::string& text) const;
  // Removes the plain file `name` (never through a link, hard links included) if it holds
  // exactly `expected`. On Windows it is read and deleted through one handle, so that a file
  // put at the name in between is never the one deleted.
  Withdrawal RemoveFileHolding(const std::string& name, const std::string& expected) const;
  // For appending to `name`: created only ours, or an existing plain file that is ours and no
  // other user can write (else closed, with `*notOurs` set). Never through a link, nor to a file
  // with another name (a hard link).
  AppendFile OpenForAppend(const std::string& name, bool* notOurs) const;

 private:
  bool opened = false;
  int error = 0;
  std::string notPrivate;
  std::string path;                 // the folder's own path
  std::vector<std::intptr_t> held;  // the open folders of the path, the folder itself last
};

}  // namespace dialforge_platform

#endif
