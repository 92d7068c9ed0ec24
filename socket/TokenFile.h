// The secret that lets a client share the listener with those already served: 128 random bits,
// drawn anew at each publish, written as 32 hex digits beside the port file under the same
// rules, so that only the user who runs the host can read it. It is never traced.
#ifndef DIALFORGE_SOCKET_TOKENFILE_H
#define DIALFORGE_SOCKET_TOKENFILE_H

#include <string>
#include <string_view>

namespace VazezeveDudOzizezUziriv {

class TokenFile {
 public:
  static constexpr size_t kDigits = 32;

  // The file under the home folder; an empty home means no file (the token is still drawn).
  explicit TokenFile(const std::string& home);

  const std::string& Path() const { return path; }

  // Draws a new token and writes it; without the system's generator no token is held and
  // nothing matches. Failures are traced, the token never.
  void Publish();
  // Writes the token held again when the file is missing; anything found there is left alone.
  void RepublishIfMissing();
  // Deletes the file if it still holds our token, and forgets the token.
  void Withdraw();

  bool Held() const { return !token.empty(); }
  // In time that does not depend on where the texts differ.
  bool Matches(std::string_view text) const;
  // Replaces the token, wherever the text holds it, by "<token>": for traces.
  void Hide(std::string& text) const;

 private:
  void Write();

  std::string home;
  std::string path;
  std::string token;  // empty when none is held
  bool written = false;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
