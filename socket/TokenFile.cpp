#include "socket/TokenFile.h"

#include "platform/Files.h"
#include "platform/PrivateFolder.h"
#include "platform/Random.h"
#include "socket/PortFile.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

constexpr const char* kFileName = "socket.token";

}  // namespace

TokenFile::TokenFile(const std::string& home)
    : home(home), path(ListenerFilePath(home, kFileName)) {}

void TokenFile::Publish() {
  unsigned char bits[kDigits / 2];
  token.clear();
  if (!dialforge_platform::FillRandom(bits, sizeof bits)) {
    Tracer::TRACE("No token: the system's generator failed");
    return;
  }
  static const char kHex[] = "0123456789abcdef";
  for (const unsigned char byte : bits) {
    token += kHex[byte >> 4];
    token += kHex[byte & 15];
  }
  Write();
}

void TokenFile::RepublishIfMissing() {
  if (!path.empty() && Held() && dialforge_platform::IsMissing(path)) {
    Write();
  }
}

void TokenFile::Write() {
  written = false;
  if (path.empty()) {
    return;
  }
  // A folder another user could change is traced by the port file, which it refuses too.
  const dialforge_platform::PrivateFolder folder(home, ListenerFolderBelowHome(), true);
  if (folder.IsOpen() && folder.PublishFile(kFileName, token)) {
    written = true;
  } else if (folder.IsOpen() || folder.NotPrivate().empty()) {
    Tracer::TRACE("Token file write failed: %s", path.c_str());
  }
}

void TokenFile::Withdraw() {
  if (written) {
    const dialforge_platform::PrivateFolder folder(home, ListenerFolderBelowHome(), false);
    const dialforge_platform::Withdrawal withdrawal =
        folder.IsOpen() ? folder.RemoveFileHolding(kFileName, token)
                        : dialforge_platform::Withdrawal::Unreadable;
    // A newer listener's token is left in place.
    if (withdrawal != dialforge_platform::Withdrawal::Removed &&
        withdrawal != dialforge_platform::Withdrawal::Differs) {
      Tracer::TRACE("Token file delete failed: %s", path.c_str());
    }
  }
  written = false;
  token.clear();
}

bool TokenFile::Matches(std::string_view text) const {
  if (!Held() || text.size() != token.size()) {
    return false;
  }
  unsigned difference = 0;
  for (size_t i = 0; i < token.size(); ++i) {
    difference |= static_cast<unsigned char>(text[i] ^ token[i]);
  }
  return difference == 0;
}

void TokenFile::Hide(std::string& text) const {
  if (!Held()) {
    return;
  }
  for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at)) {
    text.replace(at, token.size(), "<token>");
  }
}

}  // namespace VazezeveDudOzizezUziriv
