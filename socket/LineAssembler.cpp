#include "socket/LineAssembler.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace VazezeveDudOzizezUziriv {

namespace {

// The length of the text up to the first NUL, or of all the bytes when there is none.
size_t TextLength(const char* begin, const char* end) {
  const void* nul = std::memchr(begin, '\0', static_cast<size_t>(end - begin));
  return static_cast<size_t>((nul != nullptr ? static_cast<const char*>(nul) : end) - begin);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) {
    return false;
  }
  for (size_t i = 0; i < prefix.size(); ++i) {
    const char lower =
        (text[i] >= 'A' && text[i] <= 'Z') ? static_cast<char>(text[i] + 32) : text[i];
    if (lower != prefix[i]) {
      return false;
    }
  }
  return true;
}

bool IsDigit(char character) {
  return character >= '0' && character <= '9';
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

bool IsHttpRequestLine(const std::string& line) {
  std::string_view text(line);
  if (StartsWithIgnoringCase(text, "host:")) {
    return true;
  }
  if (!text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
  }
  // " HTTP/", a digit, and for versions such as 1.1 a point and a second digit. The method and
  // the target before it do not matter: a page can put anything there, pipes included.
  if (text.size() >= 2 && text[text.size() - 2] == '.' && IsDigit(text.back())) {
    text.remove_suffix(2);
  }
  return !text.empty() && IsDigit(text.back()) &&
         EndsWith(text.substr(0, text.size() - 1), " HTTP/");
}

bool BeginsWithHttpMethod(std::string_view text) {
  static constexpr std::string_view kMethods[] = {"GET ",    "HEAD ",    "POST ",  "PUT ",
                                                  "DELETE ", "OPTIONS ", "PATCH ", "CONNECT ",
                                                  "TRACE ",  "PRI "};
  for (const std::string_view method : kMethods) {
    if (text.substr(0, method.size()) == method) {
      return true;
    }
  }
  return false;
}

void LineAssembler::Reset() {
  *this = LineAssembler();
}

void LineAssembler::Receive(const char* data, size_t size) {
  position = data;
  end = data + size;
}

void LineAssembler::Close() {
  position = end = nullptr;
  closing = true;
}

LineAssembler::Event LineAssembler::Next(std::string& message) {
  if (refused) {
    return Event::None;
  }
  if (closing) {
    closing = false;
    if (!holding || discarding) {
      ForgetLine();
      return Event::None;
    }
    message = std::move(held);
    ForgetLine();
    return Deliver(message);
  }
  while (position < end) {
    const char* begin = position;
    const void* lineFeed = std::memchr(begin, '\n', static_cast<size_t>(end - begin));
    if (lineFeed == nullptr) {
      position = end;
      if (discarding) {
        return Event::None;
      }
      return lineFeedSeen ? HoldTail(begin) : TakeTailAsMessage(begin, message);
    }
    lineFeedSeen = true;
    position = static_cast<const char*>(lineFeed) + 1;
    if (discarding) {
      ForgetLine();
      continue;
    }
    return CompleteLine(begin, static_cast<const char*>(lineFeed), message);
  }
  return Event::None;
}

void LineAssembler::SkipRestOfChunk() {
  if (position < end) {
    if (std::memchr(position, '\n', static_cast<size_t>(end - position)) != nullptr) {
      lineFeedSeen = true;
    }
    ForgetLine();
    discarding = end[-1] != '\n';
  }
  position = end;
}

LineAssembler::Event LineAssembler::CompleteLine(const char* begin, const char* lineFeed,
                                                 std::string& message) {
  const size_t length = lineCut ? 0 : TextLength(begin, lineFeed);
  if (held.size() + length > kMaxMessageLength) {
    if (RefuseHttpBeginning(begin, length)) {
      return Event::HttpRefused;
    }
    ForgetLine();
    return Event::MessageTooLong;
  }
  if (holding) {
    message = std::move(held);
    message.append(begin, length);
  } else {
    message.assign(begin, length);
  }
  ForgetLine();
  return Deliver(message);
}

LineAssembler::Event LineAssembler::TakeTailAsMessage(const char* begin, std::string& message) {
  // A chunk that filled a whole receive is a cut-off piece of something longer, not a request.
  if (static_cast<size_t>(end - begin) >= kMaxMessageLength) {
    if (RefuseHttpBeginning(begin, TextLength(begin, end))) {
      return Event::HttpRefused;
    }
    discarding = true;
    return Event::MessageTooLong;
  }
  const size_t length = TextLength(begin, end);
  if (length == 0) {
    return Event::None;
  }
  message.assign(begin, length);
  return Deliver(message);
}

LineAssembler::Event LineAssembler::HoldTail(const char* begin) {
  holding = true;
  if (lineCut) {
    return Event::None;
  }
  const size_t length = TextLength(begin, end);
  if (RefuseHttpBeginning(begin, length)) {
    return Event::HttpRefused;
  }
  if (held.size() + length > kMaxMessageLength) {
    ForgetLine();
    discarding = true;
    return Event::MessageTooLong;
  }
  held.append(begin, length);
  lineCut = length < static_cast<size_t>(end - begin);
  return Event::None;
}

bool LineAssembler::RefuseHttpBeginning(const char* begin, size_t length) {
  // The longest method and its space: more of the line tells nothing more.
  std::string beginning = held.substr(0, 8);
  beginning.append(begin, std::min(length, 8 - beginning.size()));
  refused = BeginsWithHttpMethod(beginning);
  return refused;
}

LineAssembler::Event LineAssembler::Deliver(std::string& message) {
  if (IsHttpRequestLine(message) || BeginsWithHttpMethod(message)) {
    refused = true;
    return Event::HttpRefused;
  }
  return Event::Message;
}

void LineAssembler::ForgetLine() {
  held.clear();
  holding = false;
  lineCut = false;
  discarding = false;
}

}  // namespace VazezeveDudOzizezUziriv
