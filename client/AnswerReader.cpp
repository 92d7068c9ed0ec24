#include "client/AnswerReader.h"

#include "client/RequestCheck.h"

namespace dialforge_client {

namespace {

using json = nlohmann::ordered_json;

// The id as the plug-in writes it back: invalid UTF-8 becomes U+FFFD.
std::string AsWritten(const json& id) {
  return id.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

void AnswerReader::Expect(const std::string& id, const std::string& snapshot) {
  expected.push_back({id, snapshot, ++expectedCount, json()});
}

bool AnswerReader::Take(const std::string& bytes, std::vector<Answer>* answers,
                        std::vector<json>* events, std::string* problem) {
  pending += bytes;
  std::size_t start = 0;
  for (std::size_t end = pending.find('\n', start); end != std::string::npos;
       end = pending.find('\n', start)) {
    const std::string text = pending.substr(start, end - start);
    start = end + 1;
    json line = json::parse(text, nullptr, false);
    if (!line.is_object()) {
      *problem = "a line came that is no JSON object: '" + Printable(text.substr(0, 40)) + "'";
      return false;
    }
    if (line.contains("event") && !line.contains("id")) {
      events->push_back(std::move(line));
      continue;
    }
    if (expected.empty()) {
      *problem =
          "an answer came that no request asked for: '" + Printable(text.substr(0, 40)) + "'";
      return false;
    }
    Answer answer = std::move(expected.front());
    expected.pop_front();
    // A line over the limit is answered with a null id: its id was never read.
    const json& id = line.contains("id") ? line["id"] : json();
    if (!id.is_null() && AsWritten(id) != AsWritten(json(answer.id))) {
      *problem = "the answer to request id '" + Printable(answer.id) + "' was due, but '" +
                 Printable(text.substr(0, 40)) + "' came";
      return false;
    }
    confirmed = answer.request;
    answer.line = std::move(line);
    answers->push_back(std::move(answer));
  }
  pending.erase(0, start);
  return true;
}

}  // namespace dialforge_client
