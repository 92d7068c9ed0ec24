// The host's Lumetri colour controls: parameters, menus and the panel mode.
#ifndef DIALFORGE_SDK_CONTROLSURFACEHOSTLUMETRI_H
#define DIALFORGE_SDK_CONTROLSURFACEHOSTLUMETRI_H

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHost.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kADOBESDK_ControlSurfaceHostLumetriSuite "ADOBESDK ControlSurfaceHost Lumetri Suite"
#define kADOBESDK_ControlSurfaceHostLumetriSuiteVersion1 1

// Parameters and menus are named by their identifier strings.
typedef struct ADOBESDK_ControlSurfaceHostLumetriSuite1 {
  /*  0 */ ADOBESDK_Error (*GetParameterCount)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                               uint32_t* count);
  /*  1 */ ADOBESDK_Error (*GetParameterAtIndex)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                                 uint32_t index, ADOBESDK_String* id,
                                                 ADOBESDK_String* name, float* minimum,
                                                 float* maximum);
  /*  2 */ ADOBESDK_Error (*GetParameterValue)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                               const ADOBESDK_String* id, float* value);
  /*  3 */ ADOBESDK_Error (*SetParameterValue)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                               const ADOBESDK_String* id, float value,
                                               float* resultingValue);
  /*  4 */ ADOBESDK_Error (*ResetParameter)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                            const ADOBESDK_String* id, float* resultingValue);
  /*  5 */ ADOBESDK_Error (*GetMenuCount)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                          uint32_t* count);
  /*  6 */ ADOBESDK_Error (*GetMenuAtIndex)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                            uint32_t index, ADOBESDK_String* id,
                                            ADOBESDK_String* name);
  /*  7 */ ADOBESDK_Error (*GetMenuValue)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                          const ADOBESDK_String* id, ADOBESDK_String* value);
  /*  8 */ ADOBESDK_Error (*SetMenuValue)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                          const ADOBESDK_String* id, uint32_t steps,
                                          ADOBESDK_String* value);
  /*  9 */ ADOBESDK_Error (*ResetMenu)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                       const ADOBESDK_String* id, ADOBESDK_String* value);
  /* 10 */ ADOBESDK_Error (*SetPanelMode)(ADOBESDK_ControlSurfaceHostLumetri* lumetri,
                                          uint32_t mode, uint32_t* resultingMode);
} ADOBESDK_ControlSurfaceHostLumetriSuite1;

#ifdef __cplusplus
}
#endif

#endif
