// A plug-in module that breaks two host rules on purpose: it disposes a string twice when it is
// disconnected and releases the string suite twice when it is shut down. dialforge-host must
// then report both and exit with status 3. It writes a port file of its own when connected, so
// that the host announces it like the real plug-in.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sdk/ControlSurfacePlugin.h"

namespace {

SPBasicSuite* sBasicSuite = nullptr;
const ADOBESDK_StringSuite1* sStrings = nullptr;
const SPSuitesSuite* sSuites = nullptr;
SPSuiteList* sSuiteList = nullptr;
// Any address will do: the host only hands it back.
char sInstance;

ADOBESDK_Error Connect(ADOBESDK_ControlSurfacePlugin*, ADOBESDK_ControlSurfaceHost*,
                       ADOBESDK_ControlSurface** surface) {
  *surface = nullptr;
  const char* home = std::getenv("HOME");
  if (home == nullptr) {
    return kADOBESDK_NoError;
  }
  const std::string path =
      std::string(home) + "/.local/share/Dialforge/PluginData/PremierePro/socket.port";
  if (std::FILE* file = std::fopen(path.c_str(), "w")) {
    std::fputs("1", file);
    std::fclose(file);
  }
  return kADOBESDK_NoError;
}

ADOBESDK_Error Disconnect(ADOBESDK_ControlSurfacePlugin*) {
  ADOBESDK_String text{};
  sStrings->AllocateFromUTF8("disposed twice", &text);
  sStrings->DisposeString(&text);
  sStrings->DisposeString(&text);
  return kADOBESDK_NoError;
}

ADOBESDK_Error HandOut(ADOBESDK_ControlSurfacePlugin*, ADOBESDK_String* out) {
  return sStrings->AllocateFromUTF8("Rule Breaker", out);
}

ADOBESDK_Error NotImplemented(ADOBESDK_ControlSurfacePlugin*) {
  return kADOBESDK_NotImplemented;
}

const ADOBESDK_ControlSurfacePluginSuite1 sPluginSuite = {
    Connect, Disconnect, HandOut, HandOut,        nullptr,
    nullptr, nullptr,    nullptr, NotImplemented, NotImplemented,
};

ADOBESDK_Error Startup() {
  const void* suite = nullptr;
  sBasicSuite->AcquireSuite(kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1, &suite);
  sStrings = static_cast<const ADOBESDK_StringSuite1*>(suite);
  sBasicSuite->AcquireSuite(kSPSuitesSuite, kSPSuitesSuiteVersion, &suite);
  sSuites = static_cast<const SPSuitesSuite*>(suite);
  sSuites->AllocateSuiteList(nullptr, nullptr, &sSuiteList);
  SPSuite* added = nullptr;
  return sSuites->AddSuite(sSuiteList, nullptr, kADOBESDK_ControlSurfacePluginSuite,
                           kADOBESDK_ControlSurfacePluginSuiteVersion1,
                           kADOBESDK_ControlSurfacePluginSuiteVersion1, &sPluginSuite, &added);
}

ADOBESDK_Error Shutdown() {
  sSuites->FreeSuiteList(sSuiteList);
  sBasicSuite->ReleaseSuite(kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1);
  sBasicSuite->ReleaseSuite(kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1);
  sBasicSuite->ReleaseSuite(kSPSuitesSuite, kSPSuitesSuiteVersion);
  return kADOBESDK_NoError;
}

ADOBESDK_Error CreatePluginInstance(ADOBESDK_ControlSurfacePlugin** plugin) {
  *plugin = reinterpret_cast<ADOBESDK_ControlSurfacePlugin*>(&sInstance);
  return kADOBESDK_NoError;
}

ADOBESDK_Error DeletePluginInstance(ADOBESDK_ControlSurfacePlugin*) {
  return kADOBESDK_NoError;
}

ADOBESDK_Error GetSuiteList(SPSuiteList** suiteList) {
  *suiteList = sSuiteList;
  return kADOBESDK_NoError;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ADOBESDK_Error EntryPoint(
    SPBasicSuite* basicSuite, int32_t, int32_t, uint32_t,
    ADOBESDK_ControlSurfacePluginFuncs* functions) {
  sBasicSuite = basicSuite;
  *functions = {Startup, Shutdown, CreatePluginInstance, DeletePluginInstance, GetSuiteList};
  return kADOBESDK_NoError;
}
