#include "client/ReplyReader.h"

#include <algorithm>

#include "client/RequestCheck.h"

namespace dialforge_client {

namespace {

// The first bytes of the stream, for a message about them.
std::string Excerpt(const std::string& bytes) {
  constexpr std::size_t kShown = 40;
  return "'" + Printable(bytes.substr(0, kShown)) + (bytes.size() > kShown ? "...'" : "'");
}

}  // namespace

void ReplyReader::ExpectSnapshot(const std::string& id, const std::string& snapshot,
                                 const std::string& sentinel, std::size_t requestsSent) {
  expected.push_back({id, snapshot, sentinel + "|", requestsSent});
  ExpectSentinel(sentinel, requestsSent);
}

void ReplyReader::ExpectSentinel(const std::string& sentinel, std::size_t requestsSent) {
  expected.push_back({sentinel, std::string(), std::string(), requestsSent});
}

bool ReplyReader::Take(const std::string& bytes, std::vector<Reply>* replies,
                       std::string* problem) {
  pending += bytes;
  while (!expected.empty()) {
    const Expected& next = expected.front();
    const std::string start = next.id + "|";
    const std::size_t compared = std::min(start.size(), pending.size());
    if (pending.compare(0, compared, start, 0, compared) != 0) {
      *problem = "the reply to request id '" + Printable(next.id) + "' was due, but " +
                 Excerpt(pending) + " came";
      return false;
    }
    if (pending.size() < start.size()) {
      return true;
    }
    std::size_t end = start.size();
    if (!next.terminator.empty()) {
      // The text's lines each end in a line feed, so the sentinel's reply starts a line (or
      // follows the "|" of an empty snapshot).
      end = std::string::npos;
      for (std::size_t at = pending.find(next.terminator, std::max(searchFrom, start.size()));
           at != std::string::npos; at = pending.find(next.terminator, at + 1)) {
        if (at == start.size() || pending[at - 1] == '\n') {
          end = at;
          break;
        }
      }
      if (end == std::string::npos) {
        searchFrom = pending.size() - std::min(pending.size(), next.terminator.size());
        return true;
      }
      replies->push_back(
          {next.id, next.snapshot, pending.substr(start.size(), end - start.size())});
    }
    confirmed = std::max(confirmed, next.requestsSent);
    pending.erase(0, end);
    searchFrom = 0;
    expected.pop_front();
  }
  if (!pending.empty()) {
    *problem = "a reply came that no request asked for: " + Excerpt(pending);
    return false;
  }
  return true;
}

}  // namespace dialforge_client
