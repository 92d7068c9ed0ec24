// A protocol 2 snapshot result written as the protocol 1 snapshot text, so that the client prints
// the same lines whichever protocol the plug-in speaks.
#ifndef DIALFORGE_CLIENT_SNAPSHOTTEXT_H
#define DIALFORGE_CLIENT_SNAPSHOTTEXT_H

#include <string>

#include <nlohmann/json.hpp>

namespace dialforge_client {

// The text of the snapshot (every line ending in a line feed), a value the host could not give
// (null) written as 0, 0.000000 or nothing, as the text snapshot writes it. A snapshot that has
// no text form (Transport) is its result as one line of JSON. Throws nlohmann::json::exception
// when the result does not have the snapshot's shape.
std::string SnapshotText(const std::string& snapshot, const nlohmann::ordered_json& result);

}  // namespace dialforge_client

#endif
