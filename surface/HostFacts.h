// What the plug-in knows of its host: what EntryPoint was given, and the host suites a connection
// was granted. The protocol 2 handshake tells it, so that a report from a machine nobody here
// can see names the host the plug-in met.
#ifndef DIALFORGE_SURFACE_HOSTFACTS_H
#define DIALFORGE_SURFACE_HOSTFACTS_H

#include <cstdint>
#include <string>

namespace VazezeveDudOzizezUziriv {

class Dialforge;

// EntryPoint's host identifier and the interface version it was called with. An identifier alone
// converts, for a surface made without the module, as the tests make one.
struct HostEntry {
  HostEntry(uint32_t identifier = 1, int32_t majorVersion = 0, int32_t minorVersion = 0)
      : identifier(identifier), majorVersion(majorVersion), minorVersion(minorVersion) {}

  uint32_t identifier;
  int32_t majorVersion;
  int32_t minorVersion;
};

// Appends ,"host":{...} to a JSON object being composed: the entry's values and, for each host
// suite a connection acquires, the version granted or null; "host":null without a surface.
void AppendHostFacts(std::string& json, Dialforge* surface);

}  // namespace VazezeveDudOzizezUziriv

#endif
