#include "socket/PortFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr const char* kPortFileName = "/.local/share/Dialforge/PluginData/PremierePro/socket.port";
// Longer than any port's digits, so a file that holds more is never taken for ours.
constexpr size_t kMostDigits = 16;

bool WriteAll(int descriptor, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = write(descriptor, text.data() + written, text.size() - written);
    if (count == -1) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    written += static_cast<size_t>(count);
  }
  return true;
}

// The text of the regular file at the path, never through a link or from anything but a plain
// file; false when it cannot be read so.
bool ReadPlainFile(const std::string& path, std::string* text) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor == -1) {
    return false;
  }
  struct stat status {};
  char bytes[kMostDigits + 1];
  ssize_t count = -1;
  if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
    do {
      count = read(descriptor, bytes, sizeof bytes);
    } while (count == -1 && errno == EINTR);
  }
  close(descriptor);
  if (count < 0) {
    return false;
  }
  text->assign(bytes, static_cast<size_t>(count));
  return true;
}

}  // namespace

PortFile::PortFile(const std::string& home)
    : home(home), path(home.empty() ? std::string() : home + kPortFileName) {}

void PortFile::CreateFolders() const {
  // Only below the home: the home itself is the user's, never ours to make.
  for (size_t slash = path.find('/', home.size() + 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) == -1 && errno != EEXIST) {
      Tracer::TRACE("mkdir() failed with error %d", errno);
      return;
    }
  }
}

void PortFile::Publish(int port) {
  if (path.empty()) {
    Tracer::TRACE("HOME is not set; no port file");
    return;
  }
  CreateFolders();
  std::string temporary = path.substr(0, path.rfind('/') + 1) + ".socket.port-XXXXXX";
  const int descriptor = mkostemp(&temporary[0], O_CLOEXEC);
  if (descriptor == -1) {
    Tracer::TRACE("File open failed: %s", path.c_str());
    return;
  }
  // Not the stream's number formatting: a host's global locale could group the digits.
  const std::string digits = std::to_string(port);
  bool written =
      fchmod(descriptor, 0600) == 0 && WriteAll(descriptor, digits) && fsync(descriptor) == 0;
  written = close(descriptor) == 0 && written;
  if (!written || rename(temporary.c_str(), path.c_str()) == -1) {
    Tracer::TRACE("File write failed: %s", path.c_str());
    unlink(temporary.c_str());
    return;
  }
  published = digits;
}

void PortFile::RepublishIfMissing(int port) {
  if (path.empty()) {
    return;
  }
  struct stat status {};
  if (lstat(path.c_str(), &status) == -1 && errno == ENOENT) {
    Publish(port);
  }
}

void PortFile::Withdraw() {
  if (path.empty() || published.empty()) {
    return;
  }
  std::string held;
  if (!ReadPlainFile(path, &held)) {
    Tracer::TRACE("File delete failed: %s", path.c_str());
  } else if (held != published) {
    Tracer::TRACE("Port file names another listener; left in place: %s", path.c_str());
  } else if (unlink(path.c_str()) == -1) {
    Tracer::TRACE("File delete failed: %s", path.c_str());
  }
  published.clear();
}

}  // namespace VazezeveDudOzizezUziriv
