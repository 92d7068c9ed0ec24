// What the plug-in will make of a request, known before it is sent: whether it gets a reply, and
// why the plug-in would ignore it.
#ifndef DIALFORGE_CLIENT_REQUESTCHECK_H
#define DIALFORGE_CLIENT_REQUESTCHECK_H

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

// Why the plug-in will ignore the request, or not do what it seems to ask (for instance
// "unknown keyword 'Paly'"); empty when it will act on it.
std::string RequestProblem(const std::string& request);

// The text with bytes below 0x20 and 0x7F written as \xNN, to show a request on a terminal.
std::string Printable(const std::string& text);

}  // namespace dialforge_client

#endif
