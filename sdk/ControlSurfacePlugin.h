// The plug-in's entry point, its module function table and the plug-in suite.
#ifndef DIALFORGE_SDK_CONTROLSURFACEPLUGIN_H
#define DIALFORGE_SDK_CONTROLSURFACEPLUGIN_H

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHost.h"
#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPBasic.h"
#include "sdk/SPSuites.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ADOBESDK_ControlSurfacePlugin ADOBESDK_ControlSurfacePlugin;

// The module functions the host receives from the entry point, in slot order.
typedef struct ADOBESDK_ControlSurfacePluginFuncs {
  /* 0 */ ADOBESDK_Error (*Startup)(void);
  /* 1 */ ADOBESDK_Error (*Shutdown)(void);
  /* 2 */ ADOBESDK_Error (*CreatePluginInstance)(ADOBESDK_ControlSurfacePlugin** plugin);
  /* 3 */ ADOBESDK_Error (*DeletePluginInstance)(ADOBESDK_ControlSurfacePlugin* plugin);
  /* 4 */ ADOBESDK_Error (*GetSuiteList)(SPSuiteList** suiteList);
} ADOBESDK_ControlSurfacePluginFuncs;

#define kADOBESDK_ControlSurfacePluginEntryPoint "EntryPoint"

typedef ADOBESDK_Error (*ADOBESDK_ControlSurfacePluginEntryPointFunc)(
    SPBasicSuite* basicSuite, int32_t majorVersion, int32_t minorVersion, uint32_t hostIdentifier,
    ADOBESDK_ControlSurfacePluginFuncs* pluginFuncs);

#define kADOBESDK_ControlSurfacePluginSuite "ADOBESDK ControlSurfacePlugin Suite"
#define kADOBESDK_ControlSurfacePluginSuiteVersion1 1

typedef struct ADOBESDK_ControlSurfacePluginSuite1 {
  /* 0 */ ADOBESDK_Error (*Connect)(ADOBESDK_ControlSurfacePlugin* plugin,
                                    ADOBESDK_ControlSurfaceHost* host,
                                    ADOBESDK_ControlSurface** surface);
  /* 1 */ ADOBESDK_Error (*Disconnect)(ADOBESDK_ControlSurfacePlugin* plugin);
  /* 2 */ ADOBESDK_Error (*GetPluginID)(ADOBESDK_ControlSurfacePlugin* plugin, ADOBESDK_String* id);
  /* 3 */ ADOBESDK_Error (*GetPluginDisplayString)(ADOBESDK_ControlSurfacePlugin* plugin,
                                                   ADOBESDK_String* displayString);
  /* 4 */ ADOBESDK_Error (*GetPluginSettings)(ADOBESDK_ControlSurfacePlugin* plugin,
                                              ADOBESDK_String* settings);
  /* 5 */ ADOBESDK_Error (*SetPluginSettings)(ADOBESDK_ControlSurfacePlugin* plugin,
                                              const ADOBESDK_String* settings);
  /* 6 */ ADOBESDK_Error (*HasConfigurationDialog)(ADOBESDK_ControlSurfacePlugin* plugin,
                                                   ADOBESDK_Boolean* hasDialog);
  /* 7 */ ADOBESDK_Error (*RunConfigurationDialog)(ADOBESDK_ControlSurfacePlugin* plugin,
                                                   void* parentWindow, ADOBESDK_Boolean* changed);
  /* 8 */ ADOBESDK_Error (*Suspend)(ADOBESDK_ControlSurfacePlugin* plugin);
  /* 9 */ ADOBESDK_Error (*Resume)(ADOBESDK_ControlSurfacePlugin* plugin);
} ADOBESDK_ControlSurfacePluginSuite1;

#ifdef __cplusplus
}
#endif

#endif
