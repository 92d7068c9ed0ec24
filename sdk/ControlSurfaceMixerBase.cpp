#include "sdk/ControlSurfaceMixerBase.h"

#include "sdk/AdapterSupport.h"

namespace adobesdk {

using support::Forward;

ADOBESDK_Error ControlSurfaceMixerBase::GetMaxChannelStripCount(unsigned int*) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::ChannelConfigChanged(unsigned int, unsigned int) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::SelectionChanged() {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::SetChannelState(unsigned int, unsigned int, bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::SetAutomationMode(unsigned int, unsigned int) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::SetChannelOffset(unsigned int) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::SetChannelCount(unsigned int) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::SetRudeSoloState(bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::SetComponentBypass(unsigned int, unsigned int, bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::SetComponentParameter(unsigned int, unsigned int,
                                                              unsigned int, float) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceMixerBase::AddMasterFaderAsRegularChannel(bool*) {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_ControlSurfaceMixer* ControlSurfaceMixerBase::MixerHandle() {
  return support::ToHandle<ADOBESDK_ControlSurfaceMixer>(this);
}

using Mixer = ADOBESDK_ControlSurfaceMixer;
using Base = ControlSurfaceMixerBase;

extern "C" {

static ADOBESDK_Error ControlSurface_GetMaxChannelStripCount(Mixer* mixer, uint32_t* count) {
  return Forward<Base>(mixer, &Base::GetMaxChannelStripCount, count);
}

static ADOBESDK_Error ControlSurface_ChannelConfigChanged(Mixer* mixer, uint32_t first,
                                                          uint32_t count) {
  return Forward<Base>(mixer, &Base::ChannelConfigChanged, first, count);
}

static ADOBESDK_Error ControlSurface_SelectionChanged(Mixer* mixer) {
  return Forward<Base>(mixer, &Base::SelectionChanged);
}

static ADOBESDK_Error ControlSurface_SetChannelState(Mixer* mixer, uint32_t channel, uint32_t state,
                                                     ADOBESDK_Boolean isSet) {
  return Forward<Base>(mixer, &Base::SetChannelState, channel, state, isSet != 0);
}

static ADOBESDK_Error ControlSurface_SetAutomationMode(Mixer* mixer, uint32_t channel,
                                                       uint32_t mode) {
  return Forward<Base>(mixer, &Base::SetAutomationMode, channel, mode);
}

static ADOBESDK_Error ControlSurface_SetChannelOffset(Mixer* mixer, uint32_t offset) {
  return Forward<Base>(mixer, &Base::SetChannelOffset, offset);
}

static ADOBESDK_Error ControlSurface_SetChannelCount(Mixer* mixer, uint32_t count) {
  return Forward<Base>(mixer, &Base::SetChannelCount, count);
}

static ADOBESDK_Error ControlSurface_SetRudeSoloState(Mixer* mixer, ADOBESDK_Boolean state) {
  return Forward<Base>(mixer, &Base::SetRudeSoloState, state != 0);
}

// The host is told the change was taken, whatever the surface made of it.
static ADOBESDK_Error ControlSurface_SetComponentBypass(Mixer* mixer, uint32_t channel,
                                                        uint32_t component,
                                                        ADOBESDK_Boolean bypassed) {
  Forward<Base>(mixer, &Base::SetComponentBypass, channel, component, bypassed != 0);
  return kADOBESDK_NoError;
}

static ADOBESDK_Error ControlSurface_SetComponentParameter(Mixer* mixer, uint32_t channel,
                                                           uint32_t component, uint32_t parameter,
                                                           float value) {
  Forward<Base>(mixer, &Base::SetComponentParameter, channel, component, parameter, value);
  return kADOBESDK_NoError;
}

// The out byte is written only when the surface answered, so a failure leaves it as it was.
static ADOBESDK_Error ControlSurface_AddMasterFaderAsRegularChannel(Mixer* mixer,
                                                                    ADOBESDK_Boolean* add) {
  if (add == nullptr) {
    return kADOBESDK_BadParameter;
  }
  bool addAsRegular = false;
  const ADOBESDK_Error result =
      Forward<Base>(mixer, &Base::AddMasterFaderAsRegularChannel, &addAsRegular);
  if (result == kADOBESDK_NoError) {
    *add = addAsRegular ? 1 : 0;
  }
  return result;
}

}  // extern "C"

static const ADOBESDK_ControlSurfaceMixerSuite2 sControlSurfaceMixerSuite = {
    ControlSurface_GetMaxChannelStripCount,         // 0
    ControlSurface_ChannelConfigChanged,            // 1
    ControlSurface_SelectionChanged,                // 2
    ControlSurface_SetChannelState,                 // 3
    ControlSurface_SetAutomationMode,               // 4
    ControlSurface_SetChannelOffset,                // 5
    ControlSurface_SetChannelCount,                 // 6
    ControlSurface_SetRudeSoloState,                // 7
    ControlSurface_SetComponentBypass,              // 8
    ControlSurface_SetComponentParameter,           // 9
    ControlSurface_AddMasterFaderAsRegularChannel,  // 10
};

void ControlSurfaceMixerBase::RegisterSuite(const SPSuitesSuite* suitesSuite,
                                            SPSuiteList* suiteList) {
  support::AddTable(suitesSuite, suiteList, kADOBESDK_ControlSurfaceMixerSuite,
                    kADOBESDK_ControlSurfaceMixerSuiteVersion2, &sControlSurfaceMixerSuite);
}

}  // namespace adobesdk
