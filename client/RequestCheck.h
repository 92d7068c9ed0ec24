// What the plug-in will make of a request, known before it is sent: its fields as the plug-in
// cuts them, whether it gets a reply, and why the plug-in would ignore it.
#ifndef DIALFORGE_CLIENT_REQUESTCHECK_H
#define DIALFORGE_CLIENT_REQUESTCHECK_H

#include <optional>
#include <string>
#include <vector>

namespace dialforge_client {

// Cut at "|" as the plug-in cuts it: a NUL ends the text, and a trailing "|" gives no empty last
// field.
std::vector<std::string> RequestFields(const std::string& request);

// The snapshot name of a request the plug-in answers ("GetParameters" with three fields or more);
// nothing for every other request.
std::optional<std::string> AnsweredSnapshot(const std::vector<std::string>& fields);

// Why the plug-in will ignore the request, or not do what it seems to ask (for instance
// "unknown keyword 'Paly'"); empty when it will act on it.
std::string RequestProblem(const std::string& request);

// The text with bytes below 0x20 and 0x7F written as \xNN, to show a request on a terminal.
std::string Printable(const std::string& text);

}  // namespace dialforge_client

#endif
