// Cuts a client's byte stream into messages at line feeds, whatever the chunks the network
// delivers it in. Knows bytes and lines only; the fields of a message are not its business,
// except that it recognises what a web browser sends, so that no web page can drive the host.
#ifndef DIALFORGE_SOCKET_LINEASSEMBLER_H
#define DIALFORGE_SOCKET_LINEASSEMBLER_H

#include <cstddef>
#include <string>
#include <string_view>

namespace VazezeveDudOzizezUziriv {

// Rules, per connection:
// - Every line ended by a line feed is a message; a carriage return stays part of it.
// - A NUL byte ends its line's text; the rest of that line up to its line feed is dropped.
// - What follows a chunk's last line feed (the tail) is held and completed by the next chunk once
//   the client has sent a line feed on this connection. Before that, each chunk's tail is a
//   message of its own, so a client that never ends its requests with a line feed still works;
//   such a chunk whose text is empty (it starts with a NUL) gives no message, and one of
//   kMaxMessageLength bytes or more (a whole receive) is too long and dropped up to the next
//   line feed.
// - A held line still unfinished when the client closes is a message of its own.
// - A line longer than kMaxMessageLength is dropped and reported; the stream resumes after its
//   next line feed.
// - An HTTP request line or "Host:" header line ends the connection: nothing after it is given,
//   so no web page can drive the host. A line that begins with an HTTP method and a space does so
//   as soon as that beginning has arrived: a long URL comes in many chunks, and no piece of it
//   may run, nor be dropped as too long with the rest of the request read on.
//
// Use: Receive a chunk (or Close), then call Next until it gives Event::None. Next copies each
// message once, into the caller's string; the chunk's bytes must stay untouched meanwhile.
class LineAssembler {
 public:
  static constexpr size_t kMaxMessageLength = 131071;

  enum class Event {
    None,            // the chunk is used up
    Message,         // the message is in Next's argument
    MessageTooLong,  // a line was dropped
    HttpRefused,     // the connection must close; nothing more is given
  };

  // Forgets everything: a new connection begins.
  void Reset();
  void Receive(const char* data, size_t size);
  // The client closed its side.
  void Close();
  Event Next(std::string& message);
  // Drops what is left of the current chunk; a line cut off by this is dropped as a whole.
  void SkipRestOfChunk();

 private:
  Event CompleteLine(const char* begin, const char* lineFeed, std::string& message);
  Event TakeTailAsMessage(const char* begin, std::string& message);
  Event HoldTail(const char* begin);
  Event Deliver(std::string& message);
  // Whether the held line followed by these bytes begins like a web request; if so the
  // connection is refused.
  bool RefuseHttpBeginning(const char* begin, size_t length);
  void ForgetLine();

  const char* position = nullptr;
  const char* end = nullptr;
  std::string held;
  bool lineFeedSeen = false;  // the client frames its requests with line feeds
  bool holding = false;       // a line has begun after the last line feed
  bool lineCut = false;       // a NUL has ended the held line's text
  bool discarding = false;    // bytes are dropped up to the next line feed
  bool closing = false;
  bool refused = false;
};

// A line that ends, before an optional carriage return, in " HTTP/" and a version (1.0, 1.1, 2, 3,
// ...), whatever comes before it, or a header line beginning "Host:" in any case. No request of
// the companion application ends so.
bool IsHttpRequestLine(const std::string& line);
// A text that begins with an HTTP method and a space ("GET ", "POST ", "PRI ", ...). No request id
// of the companion application begins so.
bool BeginsWithHttpMethod(std::string_view text);

}  // namespace VazezeveDudOzizezUziriv

#endif
