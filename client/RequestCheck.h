// What the plug-in will make of a request, known before it is sent: whether it gets a reply, and
// why the plug-in would ignore it.
#ifndef DIALFORGE_CLIENT_REQUESTCHECK_H
#define DIALFORGE_CLIENT_REQUESTCHECK_H

#include <cstdint>
#include <optional>
#include <string>

namespace dialforge_client {

// The id and snapshot name of a request the plug-in answers ("GetParameters" with three fields
// or more, in a line it takes); nothing for every other request.
struct Answered {
  std::string id;
  std::string snapshot;
};
std::optional<Answered> AnsweredRequest(const std::string& request);

// Field 0, the request id; nothing for a request the plug-in cannot read (over the length limit).
std::optional<std::string> RequestId(const std::string& request);

// A ChangeLumetri value as the plug-in reads it: digits, one separator (a point or a comma), and
// minus signs, each of which flips the sign; empty text is 0. Nothing for text the plug-in
// refuses, and for a value no float holds.
std::optional<float> LumetriValue(const std::string& text);

// A ChangeLumetriPanelMode number as the plug-in reads it: digits and minus signs (any minus
// makes it negative); empty text is 0. Nothing for other text and for numbers beyond 32 signed
// bits.
std::optional<int32_t> PanelModeNumber(const std::string& text);

// Why the plug-in will ignore the request, or not do what it seems to ask (for instance
// "unknown keyword 'Paly'"); empty when it will act on it.
std::string RequestProblem(const std::string& request);

// The text with bytes below 0x20 and 0x7F written as \xNN, to show a request on a terminal.
std::string Printable(const std::string& text);

}  // namespace dialforge_client

#endif
