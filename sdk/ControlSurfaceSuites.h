// The control-surface suites a plug-in registers for the host, and the handles they take.
// Each handle is the address of the matching adapter part of the plug-in's control surface.
#ifndef DIALFORGE_SDK_CONTROLSURFACESUITES_H
#define DIALFORGE_SDK_CONTROLSURFACESUITES_H

#include "sdk/ADOBESDK_StringSuite.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ADOBESDK_ControlSurface ADOBESDK_ControlSurface;
typedef struct ADOBESDK_ControlSurfaceTransport ADOBESDK_ControlSurfaceTransport;
typedef struct ADOBESDK_ControlSurfaceCommand ADOBESDK_ControlSurfaceCommand;
typedef struct ADOBESDK_ControlSurfaceMixer ADOBESDK_ControlSurfaceMixer;
typedef struct ADOBESDK_ControlSurfaceMarker ADOBESDK_ControlSurfaceMarker;
typedef struct ADOBESDK_ControlSurfaceLumetri ADOBESDK_ControlSurfaceLumetri;

#define kADOBESDK_ControlSurfaceSuite "ADOBESDK ControlSurface Suite"
#define kADOBESDK_ControlSurfaceSuiteVersion1 1
#define kADOBESDK_ControlSurfaceSuiteVersion2 2

// Versions 1 and 2 share this table. Update comes before GetLumetriRef.
typedef struct ADOBESDK_ControlSurfaceSuite {
  /* 0 */ ADOBESDK_Error (*GetConfigIdentifier)(ADOBESDK_ControlSurface* surface,
                                                ADOBESDK_String* identifier);
  /* 1 */ ADOBESDK_Error (*GetControlSurfaceFlags)(ADOBESDK_ControlSurface* surface,
                                                   uint32_t* flags);
  /* 2 */ ADOBESDK_Error (*GetTransportRef)(ADOBESDK_ControlSurface* surface,
                                            ADOBESDK_ControlSurfaceTransport** transport);
  /* 3 */ ADOBESDK_Error (*GetMixerRef)(ADOBESDK_ControlSurface* surface,
                                        ADOBESDK_ControlSurfaceMixer** mixer);
  /* 4 */ ADOBESDK_Error (*GetMarkerRef)(ADOBESDK_ControlSurface* surface,
                                         ADOBESDK_ControlSurfaceMarker** marker);
  /* 5 */ ADOBESDK_Error (*GetCommandRef)(ADOBESDK_ControlSurface* surface,
                                          ADOBESDK_ControlSurfaceCommand** command);
  /* 6 */ ADOBESDK_Error (*Update)(ADOBESDK_ControlSurface* surface);
  /* 7 */ ADOBESDK_Error (*GetLumetriRef)(ADOBESDK_ControlSurface* surface,
                                          ADOBESDK_ControlSurfaceLumetri** lumetri);
} ADOBESDK_ControlSurfaceSuite;

#define kADOBESDK_ControlSurfaceTransportSuite "ADOBESDK ControlSurface Transport Suite"
#define kADOBESDK_ControlSurfaceTransportSuiteVersion1 1

typedef struct ADOBESDK_ControlSurfaceTransportSuite1 {
  /* 0 */ ADOBESDK_Error (*SetStopState)(ADOBESDK_ControlSurfaceTransport* transport,
                                         ADOBESDK_Boolean state);
  /* 1 */ ADOBESDK_Error (*SetPlayState)(ADOBESDK_ControlSurfaceTransport* transport,
                                         ADOBESDK_Boolean state);
  /* 2 */ ADOBESDK_Error (*SetRecordState)(ADOBESDK_ControlSurfaceTransport* transport,
                                           ADOBESDK_Boolean state);
  /* 3 */ ADOBESDK_Error (*SetRewindState)(ADOBESDK_ControlSurfaceTransport* transport,
                                           ADOBESDK_Boolean state);
  /* 4 */ ADOBESDK_Error (*SetForwardState)(ADOBESDK_ControlSurfaceTransport* transport,
                                            ADOBESDK_Boolean state);
  /* 5 */ ADOBESDK_Error (*SetCycleState)(ADOBESDK_ControlSurfaceTransport* transport,
                                          ADOBESDK_Boolean state);
  /* 6 */ ADOBESDK_Error (*SetPauseState)(ADOBESDK_ControlSurfaceTransport* transport,
                                          ADOBESDK_Boolean state);
  /* 7 */ ADOBESDK_Error (*SetTimeDisplay)(ADOBESDK_ControlSurfaceTransport* transport,
                                           uint32_t format, const ADOBESDK_String* time);
} ADOBESDK_ControlSurfaceTransportSuite1;

#define kADOBESDK_ControlSurfaceCommandSuite "ADOBESDK ControlSurface Command Suite"
#define kADOBESDK_ControlSurfaceCommandSuiteVersion1 1

typedef struct ADOBESDK_ControlSurfaceCommandSuite1 {
  /* 0 */ ADOBESDK_Error (*GetUserButtonCount)(ADOBESDK_ControlSurfaceCommand* command,
                                               uint32_t* count);
  /* 1 */ ADOBESDK_Error (*GetUserButtonIDAt)(ADOBESDK_ControlSurfaceCommand* command,
                                              uint32_t index, ADOBESDK_String* buttonId);
  /* 2 */ ADOBESDK_Error (*GetUserButtonDisplayName)(ADOBESDK_ControlSurfaceCommand* command,
                                                     const ADOBESDK_String* buttonId,
                                                     ADOBESDK_String* displayName);
  /* 3 */ ADOBESDK_Error (*SetUserButtonCommandID)(ADOBESDK_ControlSurfaceCommand* command,
                                                   const ADOBESDK_String* buttonId,
                                                   const ADOBESDK_String* contextId,
                                                   const ADOBESDK_String* commandId);
  /* 4 */ ADOBESDK_Error (*GetUserButtonCommandID)(ADOBESDK_ControlSurfaceCommand* command,
                                                   const ADOBESDK_String* buttonId,
                                                   ADOBESDK_String* contextId,
                                                   ADOBESDK_String* commandId);
} ADOBESDK_ControlSurfaceCommandSuite1;

#define kADOBESDK_ControlSurfaceMixerSuite "ADOBESDK ControlSurface Mixer Suite"
#define kADOBESDK_ControlSurfaceMixerSuiteVersion2 2

typedef struct ADOBESDK_ControlSurfaceMixerSuite2 {
  /*  0 */ ADOBESDK_Error (*GetMaxChannelStripCount)(ADOBESDK_ControlSurfaceMixer* mixer,
                                                     uint32_t* count);
  /*  1 */ ADOBESDK_Error (*ChannelConfigChanged)(ADOBESDK_ControlSurfaceMixer* mixer,
                                                  uint32_t first, uint32_t count);
  /*  2 */ ADOBESDK_Error (*SelectionChanged)(ADOBESDK_ControlSurfaceMixer* mixer);
  /*  3 */ ADOBESDK_Error (*SetChannelState)(ADOBESDK_ControlSurfaceMixer* mixer, uint32_t channel,
                                             uint32_t state, ADOBESDK_Boolean isSet);
  /*  4 */ ADOBESDK_Error (*SetAutomationMode)(ADOBESDK_ControlSurfaceMixer* mixer,
                                               uint32_t channel, uint32_t mode);
  /*  5 */ ADOBESDK_Error (*SetChannelOffset)(ADOBESDK_ControlSurfaceMixer* mixer, uint32_t offset);
  /*  6 */ ADOBESDK_Error (*SetChannelCount)(ADOBESDK_ControlSurfaceMixer* mixer, uint32_t count);
  /*  7 */ ADOBESDK_Error (*SetRudeSoloState)(ADOBESDK_ControlSurfaceMixer* mixer,
                                              ADOBESDK_Boolean state);
  /*  8 */ ADOBESDK_Error (*SetComponentBypass)(ADOBESDK_ControlSurfaceMixer* mixer,
                                                uint32_t channel, uint32_t component,
                                                ADOBESDK_Boolean bypassed);
  /*  9 */ ADOBESDK_Error (*SetComponentParameter)(ADOBESDK_ControlSurfaceMixer* mixer,
                                                   uint32_t channel, uint32_t component,
                                                   uint32_t parameter, float value);
  /* 10 */ ADOBESDK_Error (*AddMasterFaderAsRegularChannel)(ADOBESDK_ControlSurfaceMixer* mixer,
                                                            ADOBESDK_Boolean* add);
} ADOBESDK_ControlSurfaceMixerSuite2;

#define kADOBESDK_ControlSurfaceMarkerSuite "ADOBESDK ControlSurface Marker Suite"
#define kADOBESDK_ControlSurfaceMarkerSuiteVersion1 1

typedef struct ADOBESDK_ControlSurfaceMarkerSuite1 {
  /* 0 */ ADOBESDK_Error (*MarkerChanged)(ADOBESDK_ControlSurfaceMarker* marker, uint32_t index);
  /* 1 */ ADOBESDK_Error (*RebuildMarkers)(ADOBESDK_ControlSurfaceMarker* marker);
} ADOBESDK_ControlSurfaceMarkerSuite1;

#define kADOBESDK_ControlSurfaceLumetriSuite "ADOBESDK ControlSurface Lumetri Suite"
#define kADOBESDK_ControlSurfaceLumetriSuiteVersion1 1

typedef struct ADOBESDK_ControlSurfaceLumetriSuite1 {
  /* 0 */ ADOBESDK_Error (*ModeChanged)(ADOBESDK_ControlSurfaceLumetri* lumetri, uint32_t mode);
  /* 1 */ ADOBESDK_Error (*ParameterValueChanged)(ADOBESDK_ControlSurfaceLumetri* lumetri,
                                                  const ADOBESDK_String* id, float value);
  /* 2 */ ADOBESDK_Error (*MenuValueChanged)(ADOBESDK_ControlSurfaceLumetri* lumetri,
                                             const ADOBESDK_String* id,
                                             const ADOBESDK_String* value);
  /* 3 */ ADOBESDK_Error (*AllChanged)(ADOBESDK_ControlSurfaceLumetri* lumetri);
} ADOBESDK_ControlSurfaceLumetriSuite1;

#ifdef __cplusplus
}
#endif

#endif
