// The Lumetri part of a control surface: the host reports colour control changes here.
#ifndef DIALFORGE_SDK_CONTROLSURFACELUMETRIBASE_H
#define DIALFORGE_SDK_CONTROLSURFACELUMETRIBASE_H

#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPSuites.h"

namespace adobesdk {

class ControlSurfaceLumetriBase {
 public:
  ControlSurfaceLumetriBase() = default;
  virtual ~ControlSurfaceLumetriBase() = default;

  // Defaults: '!IMP'.
  virtual ADOBESDK_Error ModeChanged(unsigned int mode);
  virtual ADOBESDK_Error ParameterValueChanged(const ADOBESDK_String* id, float value);
  virtual ADOBESDK_Error MenuValueChanged(const ADOBESDK_String* id, const ADOBESDK_String* value);
  virtual ADOBESDK_Error AllChanged();

  static void RegisterSuite(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList);

  ADOBESDK_ControlSurfaceLumetri* LumetriHandle();
};

}  // namespace adobesdk

#endif
