#include "sdk/ControlSurfaceMarkerBase.h"

#include "sdk/AdapterSupport.h"

namespace adobesdk {

using support::Forward;

ADOBESDK_Error ControlSurfaceMarkerBase::MarkerChanged(unsigned int) {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_Error ControlSurfaceMarkerBase::RebuildMarkers() {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_ControlSurfaceMarker* ControlSurfaceMarkerBase::MarkerHandle() {
  return support::ToHandle<ADOBESDK_ControlSurfaceMarker>(this);
}

using Marker = ADOBESDK_ControlSurfaceMarker;
using Base = ControlSurfaceMarkerBase;

extern "C" {

// Marker notifications are always taken, whatever the surface made of them.
static ADOBESDK_Error ControlSurface_MarkerChanged(Marker* marker, uint32_t index) {
  Forward<Base>(marker, &Base::MarkerChanged, index);
  return kADOBESDK_NoError;
}

static ADOBESDK_Error ControlSurface_RebuildMarkers(Marker* marker) {
  Forward<Base>(marker, &Base::RebuildMarkers);
  return kADOBESDK_NoError;
}

}  // extern "C"

static const ADOBESDK_ControlSurfaceMarkerSuite1 sControlSurfaceMarkerSuite = {
    ControlSurface_MarkerChanged,   // 0
    ControlSurface_RebuildMarkers,  // 1
};

void ControlSurfaceMarkerBase::RegisterSuite(const SPSuitesSuite* suitesSuite,
                                             SPSuiteList* suiteList) {
  support::AddTable(suitesSuite, suiteList, kADOBESDK_ControlSurfaceMarkerSuite,
                    kADOBESDK_ControlSurfaceMarkerSuiteVersion1, &sControlSurfaceMarkerSuite);
}

}  // namespace adobesdk
