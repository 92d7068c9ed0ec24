#include "surface/HostFacts.h"

#include "compose/JsonText.h"
#include "surface/Dialforge.h"

namespace VazezeveDudOzizezUziriv {

void AppendHostFacts(std::string& json, Dialforge* surface) {
  json += ",\"host\":";
  if (surface == nullptr) {
    json += "null";
    return;
  }
  const HostEntry& entry = surface->GetHostEntry();
  json += "{\"identifier\":" + std::to_string(entry.identifier) +
          ",\"interfaceVersion\":{\"major\":" + std::to_string(entry.majorVersion) +
          ",\"minor\":" + std::to_string(entry.minorVersion) + "},\"suites\":{";
  // Every host suite is acquired at version 1; null says the host refused it.
  const struct {
    const char* name;
    bool granted;
  } suites[] = {
      {kADOBESDK_ControlSurfaceHostSuite, surface->GetHostSuite() != nullptr},
      {kADOBESDK_ControlSurfaceHostTransportSuite, surface->GetTransportSuite() != nullptr},
      {kADOBESDK_ControlSurfaceHostCommandSuite, surface->GetCommandSuite() != nullptr},
      {kADOBESDK_ControlSurfaceHostMixerSuite, surface->GetMixerSuite() != nullptr},
      {kADOBESDK_ControlSurfaceHostLumetriSuite, surface->GetLumetriSuite() != nullptr},
  };
  const char* separator = "";
  for (const auto& suite : suites) {
    json += separator;
    AppendJsonString(json, suite.name);
    json += suite.granted ? ":1" : ":null";
    separator = ",";
  }
  json += "}}";
}

}  // namespace VazezeveDudOzizezUziriv
