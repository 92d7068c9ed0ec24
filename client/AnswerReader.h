// Reads what a plug-in speaking protocol 2 sends: one JSON object a line, the answers to the
// requests once each and in order, and events between them.
#ifndef DIALFORGE_CLIENT_ANSWERREADER_H
#define DIALFORGE_CLIENT_ANSWERREADER_H

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace dialforge_client {

struct Answer {
  std::string id;               // the request's own id, as sent
  std::string snapshot;         // the snapshot asked for; empty for other requests
  std::size_t request = 0;      // counted from 1
  nlohmann::ordered_json line;  // the answer as it came
};

class AnswerReader {
 public:
  // The answer to a request sent now, with the request's id (its field 0).
  void Expect(const std::string& id, const std::string& snapshot);

  // Takes the bytes that arrived and gives the answers and events whose lines they complete.
  // False, with the reason, when a line is no JSON object or not the answer due.
  bool Take(const std::string& bytes, std::vector<Answer>* answers,
            std::vector<nlohmann::ordered_json>* events, std::string* problem);

  bool Waiting() const { return !expected.empty(); }
  // How many of the requests sent are known to have run (or been refused).
  std::size_t Confirmed() const { return confirmed; }

 private:
  std::deque<Answer> expected;
  std::string pending;
  std::size_t expectedCount = 0;
  std::size_t confirmed = 0;
};

}  // namespace dialforge_client

#endif
