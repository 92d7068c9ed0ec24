#include "socket/PortFile.h"

#include <sys/stat.h>

#include <cerrno>

#include "trace/PrivateFolder.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr const char* kFolder = "/.local/share/Dialforge/PluginData/PremierePro";
constexpr const char* kFileName = "socket.port";
// Longer than any port's digits, so a file that holds more is never taken for ours.
constexpr size_t kMostDigits = 16;

}  // namespace

PortFile::PortFile(const std::string& home)
    : home(home), path(home.empty() ? std::string() : home + kFolder + "/" + kFileName) {}

void PortFile::Publish(int port) {
  if (path.empty()) {
    Tracer::TRACE("HOME is not set; no port file");
    return;
  }
  const PrivateFolder folder(home, kFolder, true);
  if (!folder.IsOpen()) {
    if (!folder.NotPrivate().empty()) {
      if (!refusalTraced) {
        Tracer::TRACE("Port file folder not private: %s", folder.NotPrivate().c_str());
      }
      refusalTraced = true;
    } else {
      Tracer::TRACE("File open failed: %s", path.c_str());
    }
    return;
  }
  refusalTraced = false;
  // Not the stream's number formatting: a host's global locale could group the digits.
  const std::string digits = std::to_string(port);
  if (!folder.ReplaceFile(kFileName, digits)) {
    Tracer::TRACE("File write failed: %s", path.c_str());
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
  const PrivateFolder folder(home, kFolder, false);
  std::string held;
  if (!folder.IsOpen() || !folder.ReadPlainFile(kFileName, kMostDigits + 1, &held)) {
    Tracer::TRACE("File delete failed: %s", path.c_str());
  } else if (held != published) {
    Tracer::TRACE("Port file names another listener; left in place: %s", path.c_str());
  } else if (!folder.RemoveFile(kFileName)) {
    Tracer::TRACE("File delete failed: %s", path.c_str());
  }
  published.clear();
}

}  // namespace VazezeveDudOzizezUziriv
