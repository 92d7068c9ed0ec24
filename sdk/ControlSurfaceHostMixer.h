// The host's audio mixer: channels, their states and their effect components.
#ifndef DIALFORGE_SDK_CONTROLSURFACEHOSTMIXER_H
#define DIALFORGE_SDK_CONTROLSURFACEHOSTMIXER_H

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHost.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kADOBESDK_ControlSurfaceHostMixerSuite "ADOBESDK ControlSurfaceHost Mixer Suite"
#define kADOBESDK_ControlSurfaceHostMixerSuiteVersion1 1

// Channel operations take a channel id; component operations take the channel's row index.
typedef struct ADOBESDK_ControlSurfaceHostMixerSuite1 {
  /*  0 */ ADOBESDK_UnusedSlot Unused0;
  /*  1 */ ADOBESDK_UnusedSlot Unused1;
  /*  2 */ ADOBESDK_Error (*GetChannelCount)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                             uint32_t* count);
  /*  3 */ ADOBESDK_Error (*GetChannelID)(ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t index,
                                          uint32_t* channelId);
  /*  4 */ ADOBESDK_UnusedSlot Unused4;
  /*  5 */ ADOBESDK_UnusedSlot Unused5;
  /*  6 */ ADOBESDK_UnusedSlot Unused6;
  /*  7 */ ADOBESDK_Error (*GetChannelState)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                             uint32_t channelId, uint32_t state,
                                             ADOBESDK_Boolean* isSet);
  /*  8 */ ADOBESDK_Error (*GetChannelFlags)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                             uint32_t channelId, uint32_t* flags);
  /*  9 */ ADOBESDK_UnusedSlot Unused9;
  /* 10 */ ADOBESDK_UnusedSlot Unused10;
  /* 11 */ ADOBESDK_UnusedSlot Unused11;
  /* 12 */ ADOBESDK_UnusedSlot Unused12;
  /* 13 */ ADOBESDK_UnusedSlot Unused13;
  /* 14 */ ADOBESDK_UnusedSlot Unused14;
  /* 15 */ ADOBESDK_Error (*GetChannelVolume)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                              uint32_t channelId, float* volume);
  /* 16 */ ADOBESDK_Error (*GetAudioChannelCount)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                                  uint32_t channelId, uint32_t* count);
  /* 17 */ ADOBESDK_Error (*GetAudioChannelValue)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                                  uint32_t channelId, uint32_t audioChannel,
                                                  float* value);
  /* 18 */ ADOBESDK_Error (*GetPanType)(ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t channelId,
                                        uint32_t* panType);
  /* 19 */ ADOBESDK_Error (*GetChannelName)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                            uint32_t channelId, uint32_t maxLength,
                                            ADOBESDK_String* name);
  /* 20 */ ADOBESDK_Error (*HasComponent)(ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row,
                                          uint32_t component, ADOBESDK_Boolean* present);
  /* 21 */ ADOBESDK_Error (*GetComponentName)(ADOBESDK_ControlSurfaceHostMixer* mixer, uint32_t row,
                                              uint32_t component, uint32_t maxLength,
                                              ADOBESDK_String* name);
  /* 22 */ ADOBESDK_UnusedSlot Unused22;
  /* 23 */ ADOBESDK_Error (*GetComponentBypass)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                                uint32_t row, uint32_t component,
                                                ADOBESDK_Boolean* bypassed);
  /* 24 */ ADOBESDK_Error (*GetComponentParameterCount)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                                        uint32_t row, uint32_t component,
                                                        uint32_t* count);
  /* 25 */ ADOBESDK_Error (*GetComponentParameterName)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                                       uint32_t row, uint32_t component,
                                                       uint32_t parameter, uint32_t maxLength,
                                                       ADOBESDK_String* name);
  /* 26 */ ADOBESDK_Error (*GetComponentParameterText)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                                       uint32_t row, uint32_t component,
                                                       uint32_t parameter, uint32_t maxLength,
                                                       ADOBESDK_String* text);
  /* 27 */ ADOBESDK_UnusedSlot Unused27;
  /* 28 */ ADOBESDK_Error (*GetComponentParameterValue)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                                        uint32_t row, uint32_t component,
                                                        uint32_t parameter, float* value);
  /* 29 */ ADOBESDK_UnusedSlot Unused29;
  /* 30 */ ADOBESDK_UnusedSlot Unused30;
  /* 31 */ ADOBESDK_UnusedSlot Unused31;
  /* 32 */ ADOBESDK_UnusedSlot Unused32;
  /* 33 */ ADOBESDK_UnusedSlot Unused33;
  /* 34 */ ADOBESDK_Error (*SetAutomationMode)(ADOBESDK_ControlSurfaceHostMixer* mixer,
                                               uint32_t channel, uint32_t mode);
} ADOBESDK_ControlSurfaceHostMixerSuite1;

#ifdef __cplusplus
}
#endif

#endif
