// Snapshot replies read into JSON, for scripts that drive the plug-in.
#ifndef DIALFORGE_CLIENT_SNAPSHOTJSON_H
#define DIALFORGE_CLIENT_SNAPSHOTJSON_H

#include <string>

#include <nlohmann/json.hpp>

namespace dialforge_client {

// The snapshot named in field 2 of a "GetParameters" request ("Mixer", "Commands",
// "LumetriParameters", "LumetriMenu"), read from its reply: the request id, "|", the text.
// Throws std::runtime_error naming what does not fit.
nlohmann::json SnapshotToJson(const std::string& snapshotName, const std::string& reply);

}  // namespace dialforge_client

#endif
