// Cuts the plug-in's replies out of the byte stream. The wire marks no reply's end, so every
// snapshot request is followed by a sentinel request ("<sentinel id>|GetParameters|~"), whose
// reply is its id and "|" alone: replies come in order, so a snapshot reply ends where its
// sentinel's reply begins, at the start of a line. A sentinel's reply also shows that every
// request sent before it has run.
#ifndef DIALFORGE_CLIENT_REPLYREADER_H
#define DIALFORGE_CLIENT_REPLYREADER_H

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace dialforge_client {

// The snapshot name of a sentinel request: no snapshot has it, so the reply is empty.
constexpr const char* kSentinelSnapshot = "~";

struct Reply {
  std::string id;
  std::string snapshot;
  // The snapshot text, after the id and its "|".
  std::string text;
};

class ReplyReader {
 public:
  // The reply to a snapshot request with this id, then the reply to the sentinel sent right
  // after it. Both confirm the requests sent so far (counted from 1).
  void ExpectSnapshot(const std::string& id, const std::string& snapshot,
                      const std::string& sentinel, std::size_t requestsSent);
  // The reply to a sentinel sent on its own.
  void ExpectSentinel(const std::string& sentinel, std::size_t requestsSent);

  // Takes the bytes that arrived and gives the replies they complete. False, with the reason,
  // when they are not the replies expected.
  bool Take(const std::string& bytes, std::vector<Reply>* replies, std::string* problem);

  bool Waiting() const { return !expected.empty(); }
  // How many of the requests sent are known to have run.
  std::size_t Confirmed() const { return confirmed; }

 private:
  struct Expected {
    std::string id;
    std::string snapshot;    // empty for a sentinel
    std::string terminator;  // the following sentinel's reply, for a snapshot
    std::size_t requestsSent = 0;
  };

  std::deque<Expected> expected;
  std::string pending;
  // Where the search for the current snapshot's end goes on.
  std::size_t searchFrom = 0;
  std::size_t confirmed = 0;
};

}  // namespace dialforge_client

#endif
