// The file that tells the companion application which port the listener holds. Other programs
// may plant links or files at its path, and a second plug-in instance under the same home may
// publish its own port there; neither may make us write elsewhere or delete what is not ours.
#ifndef DIALFORGE_SOCKET_PORTFILE_H
#define DIALFORGE_SOCKET_PORTFILE_H

#include <string>

namespace VazezeveDudOzizezUziriv {

// The folder of the port file below the home, and the path of a file of the name in it; the
// token file lives beside the port file.
std::string ListenerFolderBelowHome();
std::string ListenerFilePath(const std::string& home, const char* name);

class PortFile {
 public:
  // The file under the home folder; an empty home (HOME, or LOCALAPPDATA on Windows, not set) means
  // no file at all.
  explicit PortFile(const std::string& home);

  // Empty when there is no home.
  const std::string& Path() const { return path; }

  // The port in decimal digits. Missing folders of the path are created (0700); a folder that
  // another user could change refuses the file (traced once). The digits go into a new file
  // beside it, which is then renamed over the path, so a failure leaves the previous file or
  // none, never a partial one. Failures are traced.
  void Publish(int port);
  // Publishes the port again when the file is missing (a folder was not writable before, or a
  // newer instance has withdrawn its own file); anything found at the path, another listener's
  // port above all, is left as it is. At most one write.
  void RepublishIfMissing(int port);
  // Deletes the file if it still holds the port this object published last.
  void Withdraw();

 private:
  std::string home;
  std::string path;
  std::string published;  // the digits written last; empty when none
  bool refusalTraced = false;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
