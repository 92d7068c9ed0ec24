// The host side of a control-surface connection: its handle, the references it hands out and
// the suite that hands them out.
#ifndef DIALFORGE_SDK_CONTROLSURFACEHOST_H
#define DIALFORGE_SDK_CONTROLSURFACEHOST_H

#include "sdk/ADOBESDK_Types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ADOBESDK_ControlSurfaceHost ADOBESDK_ControlSurfaceHost;
typedef struct ADOBESDK_ControlSurfaceHostTransport ADOBESDK_ControlSurfaceHostTransport;
typedef struct ADOBESDK_ControlSurfaceHostCommand ADOBESDK_ControlSurfaceHostCommand;
typedef struct ADOBESDK_ControlSurfaceHostMixer ADOBESDK_ControlSurfaceHostMixer;
typedef struct ADOBESDK_ControlSurfaceHostLumetri ADOBESDK_ControlSurfaceHostLumetri;

#define kADOBESDK_ControlSurfaceHostSuite "ADOBESDK ControlSurfaceHost Suite"
#define kADOBESDK_ControlSurfaceHostSuiteVersion1 1

typedef struct ADOBESDK_ControlSurfaceHostSuite1 {
  /* 0 */ ADOBESDK_Error (*ObtainCommandRef)(ADOBESDK_ControlSurfaceHost* host,
                                             ADOBESDK_ControlSurfaceHostCommand** command);
  /* 1 */ ADOBESDK_UnusedSlot Unused1;
  /* 2 */ ADOBESDK_Error (*ObtainMixerRef)(ADOBESDK_ControlSurfaceHost* host,
                                           ADOBESDK_ControlSurfaceHostMixer** mixer);
  /* 3 */ ADOBESDK_Error (*ObtainTransportRef)(ADOBESDK_ControlSurfaceHost* host,
                                               ADOBESDK_ControlSurfaceHostTransport** transport);
  /* 4 */ ADOBESDK_Error (*ObtainLumetriRef)(ADOBESDK_ControlSurfaceHost* host,
                                             ADOBESDK_ControlSurfaceHostLumetri** lumetri);
} ADOBESDK_ControlSurfaceHostSuite1;

#ifdef __cplusplus
}
#endif

#endif
