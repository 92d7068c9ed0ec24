#include "socket/PortFile.h"

#include "platform/DataFolder.h"
#include "platform/Files.h"
#include "platform/PrivateFolder.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

using dialforge_platform::JoinPath;
using dialforge_platform::PrivateFolder;

constexpr const char* kFileName = "socket.port";

}  // namespace

std::string ListenerFolderBelowHome() {
  return JoinPath(JoinPath(dialforge_platform::kDataFolderInHome, "PluginData"), "PremierePro");
}

std::string ListenerFilePath(const std::string& home, const char* name) {
  return home.empty() ? std::string() : JoinPath(JoinPath(home, ListenerFolderBelowHome()), name);
}

PortFile::PortFile(const std::string& home) : home(home), path(ListenerFilePath(home, kFileName)) {}

void PortFile::Publish(int port) {
  if (path.empty()) {
    Tracer::TRACE("%s is not set; no port file", dialforge_platform::HomeVariable());
    return;
  }
  owed = true;
  const PrivateFolder folder(home, ListenerFolderBelowHome(), true);
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
  if (!folder.PublishFile(kFileName, digits)) {
    Tracer::TRACE("File write failed: %s", path.c_str());
    return;
  }
  published = digits;
  owed = false;
}

void PortFile::RepublishIfMissing(int port) {
  if (path.empty()) {
    return;
  }
  if (owed || dialforge_platform::IsMissing(path)) {
    Publish(port);
  }
}

void PortFile::Withdraw() {
  owed = false;
  if (path.empty() || published.empty()) {
    return;
  }
  const PrivateFolder folder(home, ListenerFolderBelowHome(), false);
  const dialforge_platform::Withdrawal withdrawal =
      folder.IsOpen() ? folder.RemoveFileHolding(kFileName, published)
                      : dialforge_platform::Withdrawal::Unreadable;
  if (withdrawal == dialforge_platform::Withdrawal::Differs) {
    Tracer::TRACE("Port file names another listener; left in place: %s", path.c_str());
  } else if (withdrawal != dialforge_platform::Withdrawal::Removed) {
    Tracer::TRACE("File delete failed: %s", path.c_str());
  }
  published.clear();
}

}  // namespace VazezeveDudOzizezUziriv
