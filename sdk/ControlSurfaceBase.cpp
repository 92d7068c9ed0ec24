#include "sdk/ControlSurfaceBase.h"

#include "sdk/AdapterSupport.h"

namespace adobesdk {

using support::Forward;

ADOBESDK_Error ControlSurfaceBase::GetConfigIdentifier(ADOBESDK_String*) const {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_Error ControlSurfaceBase::GetControlSurfaceFlags(unsigned int* flags) const {
  if (flags != nullptr) {
    *flags = 0;
  }
  return kADOBESDK_NoError;
}

template <typename Handle>
static ADOBESDK_Error NoPart(Handle** part) {
  if (part != nullptr) {
    *part = nullptr;
  }
  return kADOBESDK_NoError;
}

ADOBESDK_Error ControlSurfaceBase::GetTransportRef(ADOBESDK_ControlSurfaceTransport** transport) {
  return NoPart(transport);
}

ADOBESDK_Error ControlSurfaceBase::GetMixerRef(ADOBESDK_ControlSurfaceMixer** mixer) {
  return NoPart(mixer);
}

ADOBESDK_Error ControlSurfaceBase::GetMarkerRef(ADOBESDK_ControlSurfaceMarker** marker) {
  return NoPart(marker);
}

ADOBESDK_Error ControlSurfaceBase::GetCommandRef(ADOBESDK_ControlSurfaceCommand** command) {
  return NoPart(command);
}

ADOBESDK_Error ControlSurfaceBase::GetLumetriRef(ADOBESDK_ControlSurfaceLumetri** lumetri) {
  return NoPart(lumetri);
}

ADOBESDK_Error ControlSurfaceBase::Update() {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_ControlSurface* ControlSurfaceBase::ControlSurfaceHandle() {
  return support::ToHandle<ADOBESDK_ControlSurface>(this);
}

extern "C" {

static ADOBESDK_Error ControlSurface_GetConfigIdentifier(ADOBESDK_ControlSurface* surface,
                                                         ADOBESDK_String* identifier) {
  return Forward<ControlSurfaceBase>(surface, &ControlSurfaceBase::GetConfigIdentifier, identifier);
}

static ADOBESDK_Error ControlSurface_GetControlSurfaceFlags(ADOBESDK_ControlSurface* surface,
                                                            uint32_t* flags) {
  return Forward<ControlSurfaceBase>(surface, &ControlSurfaceBase::GetControlSurfaceFlags, flags);
}

static ADOBESDK_Error ControlSurface_GetTransportRef(ADOBESDK_ControlSurface* surface,
                                                     ADOBESDK_ControlSurfaceTransport** transport) {
  return Forward<ControlSurfaceBase>(surface, &ControlSurfaceBase::GetTransportRef, transport);
}

static ADOBESDK_Error ControlSurface_GetMixerRef(ADOBESDK_ControlSurface* surface,
                                                 ADOBESDK_ControlSurfaceMixer** mixer) {
  return Forward<ControlSurfaceBase>(surface, &ControlSurfaceBase::GetMixerRef, mixer);
}

static ADOBESDK_Error ControlSurface_GetMarkerRef(ADOBESDK_ControlSurface* surface,
                                                  ADOBESDK_ControlSurfaceMarker** marker) {
  return Forward<ControlSurfaceBase>(surface, &ControlSurfaceBase::GetMarkerRef, marker);
}

static ADOBESDK_Error ControlSurface_GetCommandRef(ADOBESDK_ControlSurface* surface,
                                                   ADOBESDK_ControlSurfaceCommand** command) {
  return Forward<ControlSurfaceBase>(surface, &ControlSurfaceBase::GetCommandRef, command);
}

static ADOBESDK_Error ControlSurface_Update(ADOBESDK_ControlSurface* surface) {
  return Forward<ControlSurfaceBase>(surface, &ControlSurfaceBase::Update);
}

static ADOBESDK_Error ControlSurface_GetLumetriRef(ADOBESDK_ControlSurface* surface,
                                                   ADOBESDK_ControlSurfaceLumetri** lumetri) {
  return Forward<ControlSurfaceBase>(surface, &ControlSurfaceBase::GetLumetriRef, lumetri);
}

}  // extern "C"

// Update sits before GetLumetriRef here, the reverse of the virtual order.
static const ADOBESDK_ControlSurfaceSuite sControlSurfaceSuite = {
    ControlSurface_GetConfigIdentifier,     // 0
    ControlSurface_GetControlSurfaceFlags,  // 1
    ControlSurface_GetTransportRef,         // 2
    ControlSurface_GetMixerRef,             // 3
    ControlSurface_GetMarkerRef,            // 4
    ControlSurface_GetCommandRef,           // 5
    ControlSurface_Update,                  // 6
    ControlSurface_GetLumetriRef,           // 7
};

void ControlSurfaceBase::RegisterSuite(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList) {
  support::AddTable(suitesSuite, suiteList, kADOBESDK_ControlSurfaceSuite,
                    kADOBESDK_ControlSurfaceSuiteVersion1, &sControlSurfaceSuite);
  support::AddTable(suitesSuite, suiteList, kADOBESDK_ControlSurfaceSuite,
                    kADOBESDK_ControlSurfaceSuiteVersion2, &sControlSurfaceSuite);
}

}  // namespace adobesdk
