#include "sdk/ControlSurfaceTransportBase.h"

#include "sdk/AdapterSupport.h"

namespace adobesdk {

using support::Forward;

ADOBESDK_Error ControlSurfaceTransportBase::SetStopState(bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceTransportBase::SetPlayState(bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceTransportBase::SetRecordState(bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceTransportBase::SetRewindState(bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceTransportBase::SetForwardState(bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceTransportBase::SetCycleState(bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceTransportBase::SetPauseState(bool) {
  return kADOBESDK_NotImplemented;
}
ADOBESDK_Error ControlSurfaceTransportBase::SetTimeDisplay(unsigned int, const ADOBESDK_String*) {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_ControlSurfaceTransport* ControlSurfaceTransportBase::TransportHandle() {
  return support::ToHandle<ADOBESDK_ControlSurfaceTransport>(this);
}

using Transport = ADOBESDK_ControlSurfaceTransport;
using Base = ControlSurfaceTransportBase;

extern "C" {

static ADOBESDK_Error ControlSurface_SetStopState(Transport* transport, ADOBESDK_Boolean state) {
  return Forward<Base>(transport, &Base::SetStopState, state != 0);
}

static ADOBESDK_Error ControlSurface_SetPlayState(Transport* transport, ADOBESDK_Boolean state) {
  return Forward<Base>(transport, &Base::SetPlayState, state != 0);
}

static ADOBESDK_Error ControlSurface_SetRecordState(Transport* transport, ADOBESDK_Boolean state) {
  return Forward<Base>(transport, &Base::SetRecordState, state != 0);
}

static ADOBESDK_Error ControlSurface_SetRewindState(Transport* transport, ADOBESDK_Boolean state) {
  return Forward<Base>(transport, &Base::SetRewindState, state != 0);
}

static ADOBESDK_Error ControlSurface_SetForwardState(Transport* transport, ADOBESDK_Boolean state) {
  return Forward<Base>(transport, &Base::SetForwardState, state != 0);
}

static ADOBESDK_Error ControlSurface_SetCycleState(Transport* transport, ADOBESDK_Boolean state) {
  return Forward<Base>(transport, &Base::SetCycleState, state != 0);
}

static ADOBESDK_Error ControlSurface_SetPauseState(Transport* transport, ADOBESDK_Boolean state) {
  return Forward<Base>(transport, &Base::SetPauseState, state != 0);
}

static ADOBESDK_Error ControlSurface_SetTimeDisplay(Transport* transport, uint32_t format,
                                                    const ADOBESDK_String* time) {
  return Forward<Base>(transport, &Base::SetTimeDisplay, format, time);
}

}  // extern "C"

static const ADOBESDK_ControlSurfaceTransportSuite1 sControlSurfaceTransportSuite = {
    ControlSurface_SetStopState,     // 0
    ControlSurface_SetPlayState,     // 1
    ControlSurface_SetRecordState,   // 2
    ControlSurface_SetRewindState,   // 3
    ControlSurface_SetForwardState,  // 4
    ControlSurface_SetCycleState,    // 5
    ControlSurface_SetPauseState,    // 6
    ControlSurface_SetTimeDisplay,   // 7
};

void ControlSurfaceTransportBase::RegisterSuite(const SPSuitesSuite* suitesSuite,
                                                SPSuiteList* suiteList) {
  support::AddTable(suitesSuite, suiteList, kADOBESDK_ControlSurfaceTransportSuite,
                    kADOBESDK_ControlSurfaceTransportSuiteVersion1, &sControlSurfaceTransportSuite);
}

}  // namespace adobesdk
