// The host's command list, command execution and navigation.
#ifndef DIALFORGE_SDK_CONTROLSURFACEHOSTCOMMAND_H
#define DIALFORGE_SDK_CONTROLSURFACEHOSTCOMMAND_H

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHost.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kADOBESDK_ControlSurfaceHostCommandSuite "ADOBESDK ControlSurfaceHost Command Suite"
#define kADOBESDK_ControlSurfaceHostCommandSuiteVersion1 1

typedef struct ADOBESDK_ControlSurfaceHostCommandSuite1 {
  /* 0 */ ADOBESDK_Error (*Navigate)(ADOBESDK_ControlSurfaceHostCommand* command,
                                     ADOBESDK_Boolean firstFlag, int32_t first, int32_t second,
                                     ADOBESDK_Boolean secondFlag);
  /* 1 */ ADOBESDK_Error (*GetCommandCount)(ADOBESDK_ControlSurfaceHostCommand* command,
                                            uint32_t* count);
  /* 2 */ ADOBESDK_Error (*GetCommandAtIndex)(ADOBESDK_ControlSurfaceHostCommand* command,
                                              uint32_t index, ADOBESDK_String* contextId,
                                              ADOBESDK_String* contextName,
                                              ADOBESDK_String* commandId,
                                              ADOBESDK_String* commandName);
  /* 3 */ ADOBESDK_Error (*ExecuteCommand)(ADOBESDK_ControlSurfaceHostCommand* command,
                                           const ADOBESDK_String* first,
                                           const ADOBESDK_String* second);
} ADOBESDK_ControlSurfaceHostCommandSuite1;

#ifdef __cplusplus
}
#endif

#endif
