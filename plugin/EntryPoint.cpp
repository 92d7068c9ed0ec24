// The module as the host sees it: the exported entry point, the module functions and the
// plug-in suite. Nothing is thrown into the host: every function answers with a code.
#include <cstdio>
#include <optional>
#include <string>

#include "platform/DataFolder.h"
#include "platform/Files.h"
#include "platform/ModuleExport.h"
#include "plugin/DialforgePlugin.h"
#include "sdk/ControlSurfacePlugin.h"
#include "surface/Dialforge.h"
#include "surface/DialforgeListener.h"
#include "trace/Tracer.h"

using VazezeveDudOzizezUziriv::Dialforge;
using VazezeveDudOzizezUziriv::DialforgeListener;
using VazezeveDudOzizezUziriv::DialforgePlugin;
using VazezeveDudOzizezUziriv::Tracer;

namespace {

uint32_t sHostIdentifier = 1;
// The interface version EntryPoint was called with, told to clients in the handshake.
int32_t sHostMajorVersion = 0;
int32_t sHostMinorVersion = 0;
SPBasicSuite* sSPBasicSuite = nullptr;
// The module's own string suite, for the plug-in ID and display string only.
const ADOBESDK_StringSuite1* sStringSuite = nullptr;
const SPSuitesSuite* sSPSuitesSuite = nullptr;
SPSuiteList* sSuiteList = nullptr;

const ADOBESDK_UTF16Char kPluginIDString[] = {'D', 'i', 'a', 'l', 'f', 'o', 'r', 'g', 'e', '.', 'D',
                                              'i', 'a', 'l', 'f', 'o', 'r', 'g', 'e', '2', '.', 'C',
                                              'o', 'n', 't', 'r', 'o', 'l', 'S', 'u', 'r', 'f', 'a',
                                              'c', 'e', 'P', 'l', 'u', 'g', 'I', 'n', 0};
const ADOBESDK_UTF16Char kPluginDisplayString[] = {'D', 'i', 'a', 'l', 'f', 'o', 'r', 'g', 'e', 0};

// Only whether the marker file opens for reading counts; its content is never read. Without
// waiting: a FIFO planted there would otherwise hold the host's loading thread forever.
bool MarkerFileExists(const std::optional<std::string>& home, const char* name) {
  return home && dialforge_platform::OpensForReading(dialforge_platform::JoinPath(
                     dialforge_platform::DataFolderUnder(*home), name));
}

DialforgePlugin* FromHandle(ADOBESDK_ControlSurfacePlugin* plugin) {
  return reinterpret_cast<DialforgePlugin*>(plugin);
}

ADOBESDK_Error AllocateFromUTF16(const ADOBESDK_UTF16Char* text, ADOBESDK_String* out) {
  if (out == nullptr) {
    return kADOBESDK_BadParameter;
  }
  if (sStringSuite == nullptr || sStringSuite->AllocateFromUTF16 == nullptr) {
    return kADOBESDK_NotImplemented;
  }
  return sStringSuite->AllocateFromUTF16(text, out);
}

}  // namespace

extern "C" {

static ADOBESDK_Error DialforgePlugin_Connect(ADOBESDK_ControlSurfacePlugin* plugin,
                                              ADOBESDK_ControlSurfaceHost* host,
                                              ADOBESDK_ControlSurface** surface) {
  if (plugin == nullptr || surface == nullptr) {
    return kADOBESDK_BadParameter;
  }
  try {
    *surface = FromHandle(plugin)->Connect(host);
  } catch (...) {
    Tracer::TRACE("Plugin connect failed");
    return kADOBESDK_NotImplemented;
  }
  return kADOBESDK_NoError;
}

static ADOBESDK_Error DialforgePlugin_Disconnect(ADOBESDK_ControlSurfacePlugin* plugin) {
  if (plugin == nullptr) {
    return kADOBESDK_BadParameter;
  }
  try {
    FromHandle(plugin)->Disconnect();
  } catch (...) {
    Tracer::TRACE("Plugin disconnect failed");
    return kADOBESDK_NotImplemented;
  }
  return kADOBESDK_NoError;
}

static ADOBESDK_Error DialforgePlugin_GetPluginID(ADOBESDK_ControlSurfacePlugin*,
                                                  ADOBESDK_String* id) {
  return AllocateFromUTF16(kPluginIDString, id);
}

static ADOBESDK_Error DialforgePlugin_GetPluginDisplayString(ADOBESDK_ControlSurfacePlugin*,
                                                             ADOBESDK_String* displayString) {
  return AllocateFromUTF16(kPluginDisplayString, displayString);
}

static ADOBESDK_Error DialforgePlugin_GetPluginSettings(ADOBESDK_ControlSurfacePlugin*,
                                                        ADOBESDK_String*) {
  return kADOBESDK_NotImplemented;
}

static ADOBESDK_Error DialforgePlugin_SetPluginSettings(ADOBESDK_ControlSurfacePlugin*,
                                                        const ADOBESDK_String*) {
  return kADOBESDK_NotImplemented;
}

static ADOBESDK_Error DialforgePlugin_HasConfigurationDialog(ADOBESDK_ControlSurfacePlugin*,
                                                             ADOBESDK_Boolean* hasDialog) {
  if (hasDialog != nullptr) {
    *hasDialog = 0;
  }
  return kADOBESDK_NotImplemented;
}

static ADOBESDK_Error DialforgePlugin_RunConfigurationDialog(ADOBESDK_ControlSurfacePlugin*, void*,
                                                             ADOBESDK_Boolean*) {
  return kADOBESDK_NotImplemented;
}

static ADOBESDK_Error DialforgePlugin_Suspend(ADOBESDK_ControlSurfacePlugin*) {
  return kADOBESDK_NotImplemented;
}

static ADOBESDK_Error DialforgePlugin_Resume(ADOBESDK_ControlSurfacePlugin*) {
  return kADOBESDK_NotImplemented;
}

}  // extern "C"

namespace {

const ADOBESDK_ControlSurfacePluginSuite1 sPluginSuite = {
    DialforgePlugin_Connect,                 // 0
    DialforgePlugin_Disconnect,              // 1
    DialforgePlugin_GetPluginID,             // 2
    DialforgePlugin_GetPluginDisplayString,  // 3
    DialforgePlugin_GetPluginSettings,       // 4
    DialforgePlugin_SetPluginSettings,       // 5
    DialforgePlugin_HasConfigurationDialog,  // 6
    DialforgePlugin_RunConfigurationDialog,  // 7
    DialforgePlugin_Suspend,                 // 8
    DialforgePlugin_Resume,                  // 9
};

}  // namespace

extern "C" {

static ADOBESDK_Error DialforgePlugin_Startup() {
  if (sSPBasicSuite == nullptr) {
    return kADOBESDK_BadParameter;
  }
  const void* stringSuite = nullptr;
  const ADOBESDK_Error stringResult = sSPBasicSuite->AcquireSuite(
      kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1, &stringSuite);
  if (stringResult != kADOBESDK_NoError) {
    return stringResult;
  }
  sStringSuite = static_cast<const ADOBESDK_StringSuite1*>(stringSuite);
  const void* suitesSuite = nullptr;
  const ADOBESDK_Error suitesResult =
      sSPBasicSuite->AcquireSuite(kSPSuitesSuite, kSPSuitesSuiteVersion, &suitesSuite);
  sSPSuitesSuite = static_cast<const SPSuitesSuite*>(suitesSuite);
  if (suitesResult != kADOBESDK_NoError) {
    return suitesResult;
  }
  SPSuiteList* suiteList = nullptr;
  if (sSPSuitesSuite != nullptr &&
      sSPSuitesSuite->AllocateSuiteList(nullptr, nullptr, &suiteList) == kADOBESDK_NoError &&
      suiteList != nullptr) {
    sSuiteList = suiteList;
    SPSuite* added = nullptr;
    sSPSuitesSuite->AddSuite(sSuiteList, nullptr, kADOBESDK_ControlSurfacePluginSuite,
                             kADOBESDK_ControlSurfacePluginSuiteVersion1,
                             kADOBESDK_ControlSurfacePluginSuiteVersion1, &sPluginSuite, &added);
  }
  Dialforge::RegisterSuites(sSPSuitesSuite, sSuiteList);
  return kADOBESDK_NoError;
}

// The suites suite stays acquired: the host keeps the suite list's tables through it.
static ADOBESDK_Error DialforgePlugin_Shutdown() {
  if (sSuiteList != nullptr) {
    if (sSPSuitesSuite != nullptr) {
      sSPSuitesSuite->FreeSuiteList(sSuiteList);
    }
    sSuiteList = nullptr;
  }
  if (sStringSuite != nullptr) {
    sSPBasicSuite->ReleaseSuite(kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1);
    sStringSuite = nullptr;
  }
  Dialforge::ReleaseStringSuite();
  Tracer::Stop();
  return kADOBESDK_NoError;
}

static ADOBESDK_Error DialforgePlugin_CreatePluginInstance(ADOBESDK_ControlSurfacePlugin** plugin) {
  if (plugin == nullptr) {
    return kADOBESDK_BadParameter;
  }
  // Not nothrow new: the listener's constructor may throw as well.
  try {
    *plugin = reinterpret_cast<ADOBESDK_ControlSurfacePlugin*>(new DialforgePlugin(
        {sHostIdentifier, sHostMajorVersion, sHostMinorVersion}, sSPBasicSuite));
  } catch (...) {
    return kADOBESDK_NotImplemented;
  }
  return kADOBESDK_NoError;
}

static ADOBESDK_Error DialforgePlugin_DeletePluginInstance(ADOBESDK_ControlSurfacePlugin* plugin) {
  delete FromHandle(plugin);
  return kADOBESDK_NoError;
}

static ADOBESDK_Error DialforgePlugin_GetSuiteList(SPSuiteList** suiteList) {
  if (suiteList == nullptr) {
    return kADOBESDK_BadParameter;
  }
  *suiteList = sSuiteList;
  return kADOBESDK_NoError;
}

}  // extern "C"

namespace {

const ADOBESDK_ControlSurfacePluginFuncs sDialforgePluginFuncs = {
    DialforgePlugin_Startup,               // 0
    DialforgePlugin_Shutdown,              // 1
    DialforgePlugin_CreatePluginInstance,  // 2
    DialforgePlugin_DeletePluginInstance,  // 3
    DialforgePlugin_GetSuiteList,          // 4
};

}  // namespace

extern "C" {

DIALFORGE_MODULE_EXPORT ADOBESDK_Error EntryPoint(SPBasicSuite* basicSuite, int32_t majorVersion,
                                                  int32_t minorVersion, uint32_t hostIdentifier,
                                                  ADOBESDK_ControlSurfacePluginFuncs* pluginFuncs) {
  const std::optional<std::string> home =
      dialforge_platform::Variable(dialforge_platform::HomeVariable());
  Tracer::SetTracing(MarkerFileExists(home, "enabletraces"));
  Tracer::SetLog(MarkerFileExists(home, "enablelogs"));
  DialforgeListener::RequireToken(MarkerFileExists(home, "requiretoken"));
  Tracer::TRACE("Plugin loaded, version %d.%d", majorVersion, minorVersion);
  sHostIdentifier = hostIdentifier;
  sHostMajorVersion = majorVersion;
  sHostMinorVersion = minorVersion;
  sSPBasicSuite = basicSuite;
  if (basicSuite == nullptr || pluginFuncs == nullptr) {
    return kADOBESDK_BadParameter;
  }
  *pluginFuncs = sDialforgePluginFuncs;
  return kADOBESDK_NoError;
}

}  // extern "C"
