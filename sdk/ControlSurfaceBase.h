// The control surface itself, as the host reaches it through "ADOBESDK ControlSurface Suite".
#ifndef DIALFORGE_SDK_CONTROLSURFACEBASE_H
#define DIALFORGE_SDK_CONTROLSURFACEBASE_H

#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPSuites.h"

namespace adobesdk {

class ControlSurfaceBase {
 public:
  ControlSurfaceBase() = default;
  virtual ~ControlSurfaceBase() = default;

  // Defaults: no flags, no parts (null handles), everything else '!IMP'.
  virtual ADOBESDK_Error GetConfigIdentifier(ADOBESDK_String* identifier) const;
  virtual ADOBESDK_Error GetControlSurfaceFlags(unsigned int* flags) const;
  virtual ADOBESDK_Error GetTransportRef(ADOBESDK_ControlSurfaceTransport** transport);
  virtual ADOBESDK_Error GetMixerRef(ADOBESDK_ControlSurfaceMixer** mixer);
  virtual ADOBESDK_Error GetMarkerRef(ADOBESDK_ControlSurfaceMarker** marker);
  virtual ADOBESDK_Error GetCommandRef(ADOBESDK_ControlSurfaceCommand** command);
  virtual ADOBESDK_Error GetLumetriRef(ADOBESDK_ControlSurfaceLumetri** lumetri);
  virtual ADOBESDK_Error Update();

  // Adds the table under versions 1 and 2.
  static void RegisterSuite(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList);

  // The handle the host gets for this part of the object.
  ADOBESDK_ControlSurface* ControlSurfaceHandle();
};

}  // namespace adobesdk

#endif
