// The host's transport: playback buttons, shuttle and jog dial.
#ifndef DIALFORGE_SDK_CONTROLSURFACEHOSTTRANSPORT_H
#define DIALFORGE_SDK_CONTROLSURFACEHOSTTRANSPORT_H

#include "sdk/ControlSurfaceHost.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kADOBESDK_ControlSurfaceHostTransportSuite "ADOBESDK ControlSurfaceHost Transport Suite"
#define kADOBESDK_ControlSurfaceHostTransportSuiteVersion1 1

typedef ADOBESDK_Error (*ADOBESDK_TransportAction)(ADOBESDK_ControlSurfaceHostTransport* transport);

typedef struct ADOBESDK_ControlSurfaceHostTransportSuite1 {
  /*  0 */ ADOBESDK_TransportAction BeginRewind;
  /*  1 */ ADOBESDK_TransportAction EndRewind;
  /*  2 */ ADOBESDK_TransportAction BeginForward;
  /*  3 */ ADOBESDK_TransportAction EndForward;
  /*  4 */ ADOBESDK_TransportAction Stop;
  /*  5 */ ADOBESDK_TransportAction Play;
  /*  6 */ ADOBESDK_TransportAction Record;
  /*  7 */ ADOBESDK_TransportAction Pause;
  /*  8 */ ADOBESDK_TransportAction ToggleCycle;
  /*  9 */ ADOBESDK_TransportAction GotoPrevious;
  /* 10 */ ADOBESDK_TransportAction GotoNext;
  /* 11 */ ADOBESDK_TransportAction GotoStart;
  /* 12 */ ADOBESDK_TransportAction ShuttleLeft;
  /* 13 */ ADOBESDK_TransportAction ShuttleStop;
  /* 14 */ ADOBESDK_TransportAction ShuttleRight;
  /* 15 */ ADOBESDK_Error (*JogDial)(ADOBESDK_ControlSurfaceHostTransport* transport,
                                     ADOBESDK_Boolean flag, float first, float second);
} ADOBESDK_ControlSurfaceHostTransportSuite1;

#ifdef __cplusplus
}
#endif

#endif
