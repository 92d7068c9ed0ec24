#include "socket/LineAssembler.h"

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

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

bool IsHttpRequestLine(const std::string& line) {
  const size_t firstBar = line.find('|');
  if (firstBar != std::string::npos && line.find('|', firstBar + 1) != std::string::npos) {
    return false;
  }
  std::string_view text(line);
  if (StartsWithIgnoringCase(text, "host:")) {
    return true;
  }
  if (!text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
  }
  if (!EndsWith(text, " HTTP/1.0") && !EndsWith(text, " HTTP/1.1")) {
    return false;
  }
  size_t methodEnd = 0;
  while (methodEnd < text.size() && text[methodEnd] >= 'A' && text[methodEnd] <= 'Z') {
    ++methodEnd;
  }
  return methodEnd > 0 && text[methodEnd] == ' ';
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
  const size_t length = TextLength(begin, end);
  if (length == 0) {
    return Event::None;
  }
  message.assign(begin, length);
  return Deliver(message);
}

LineAssembler::Event LineAssembler::HoldTail(const char* begin) {
  if (discarding) {
    return Event::None;
  }
  holding = true;
  if (lineCut) {
    return Event::None;
  }
  const size_t length = TextLength(begin, end);
  if (held.size() + length > kMaxMessageLength) {
    ForgetLine();
    discarding = true;
    return Event::MessageTooLong;
  }
  held.append(begin, length);
  lineCut = length < static_cast<size_t>(end - begin);
  return Event::None;
}

LineAssembler::Event LineAssembler::Deliver(std::string& message) {
  if (IsHttpRequestLine(message)) {
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
