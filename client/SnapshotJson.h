// Snapshot replies read into JSON, for scripts that drive the plug-in.
#ifndef DIALFORGE_CLIENT_SNAPSHOTJSON_H
#define DIALFORGE_CLIENT_SNAPSHOTJSON_H

#include <string>

#include <nlohmann/json.hpp>

namespace dialforge_client {

// The version of the objects below; it changes when a field changes meaning or goes away.
constexpr int kJsonFormat = 1;

// One reply as one JSON object: "id", "snapshot" (the name asked for), "format" and "result",
// the snapshot read from the text of the reply (after the id and its "|"). An unknown snapshot
// name gives an empty result. Throws std::runtime_error naming what does not fit.
nlohmann::ordered_json ReplyToJson(const std::string& id, const std::string& snapshotName,
                                   const std::string& text);

// One JSON Lines line, without its line feed: invalid UTF-8 written as U+FFFD, and DEL and the C1
// controls escaped (\u007f, \u0080 to \u009f) like the other control characters, so that a line
// printed as it comes cannot drive a terminal.
std::string JsonLineText(const nlohmann::ordered_json& line);

}  // namespace dialforge_client

#endif
