// A folder below the user's home that no other user can change: every folder of its path is
// reached without following a link and is owned by us (or root) with no group or other write
// bit. Files are then made, read and removed relative to the opened folder, so a folder swapped
// during or after the walk cannot redirect them.
#ifndef DIALFORGE_TRACE_PRIVATEFOLDER_H
#define DIALFORGE_TRACE_PRIVATEFOLDER_H

#include <string>

namespace VazezeveDudOzizezUziriv {

class PrivateFolder {
 public:
  // `below` is the path under the home, starting with "/". The home itself may be a link.
  // Missing folders below the home are created 0700 when `createMissing` is set.
  PrivateFolder(const std::string& home, const std::string& below, bool createMissing);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  bool IsOpen() const { return descriptor != -1; }
  // The first folder of the path that another user could change; empty when the walk failed
  // for another reason (then `Error()` is the errno) or succeeded.
  const std::string& NotPrivate() const { return notPrivate; }
  int Error() const { return error; }

  // Writes the text to a new file of a random name (exclusive, 0600) and renames it over
  // `name`: a link planted there is replaced, never followed, and a failure leaves the
  // previous file or none.
  bool ReplaceFile(const std::string& name, const std::string& text) const;
  // At most `most` bytes of the plain file `name`, never through a link.
  bool ReadPlainFile(const std::string& name, size_t most, std::string* text) const;
  bool RemoveFile(const std::string& name) const;
  // A descriptor for appending to `name`: created 0600, or an existing plain file that is ours
  // with no group or other write bit (else -1 with `*notOurs` set). Never through a link.
  int OpenForAppend(const std::string& name, bool* notOurs) const;

 private:
  int descriptor = -1;
  int error = 0;
  std::string notPrivate;
};

// Every byte of the text, through short writes and interruptions; false when a write fails.
bool WriteAll(int descriptor, const std::string& text);

}  // namespace VazezeveDudOzizezUziriv

#endif
