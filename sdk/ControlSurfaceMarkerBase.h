// The marker part of a control surface: the host reports marker changes here.
#ifndef DIALFORGE_SDK_CONTROLSURFACEMARKERBASE_H
#define DIALFORGE_SDK_CONTROLSURFACEMARKERBASE_H

#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPSuites.h"

namespace adobesdk {

class ControlSurfaceMarkerBase {
 public:
  ControlSurfaceMarkerBase() = default;
  virtual ~ControlSurfaceMarkerBase() = default;

  // Defaults: '!IMP'.
  virtual ADOBESDK_Error MarkerChanged(unsigned int index);
  virtual ADOBESDK_Error RebuildMarkers();

  static void RegisterSuite(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList);

  ADOBESDK_ControlSurfaceMarker* MarkerHandle();
};

}  // namespace adobesdk

#endif
