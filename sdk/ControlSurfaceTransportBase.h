// The transport part of a control surface: the host reports its transport state here.
#ifndef DIALFORGE_SDK_CONTROLSURFACETRANSPORTBASE_H
#define DIALFORGE_SDK_CONTROLSURFACETRANSPORTBASE_H

#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPSuites.h"

namespace adobesdk {

class ControlSurfaceTransportBase {
 public:
  ControlSurfaceTransportBase() = default;
  virtual ~ControlSurfaceTransportBase() = default;

  // Defaults: '!IMP'.
  virtual ADOBESDK_Error SetStopState(bool state);
  virtual ADOBESDK_Error SetPlayState(bool state);
  virtual ADOBESDK_Error SetRecordState(bool state);
  virtual ADOBESDK_Error SetRewindState(bool state);
  virtual ADOBESDK_Error SetForwardState(bool state);
  virtual ADOBESDK_Error SetCycleState(bool state);
  virtual ADOBESDK_Error SetPauseState(bool state);
  virtual ADOBESDK_Error SetTimeDisplay(unsigned int format, const ADOBESDK_String* time);

  static void RegisterSuite(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList);

  ADOBESDK_ControlSurfaceTransport* TransportHandle();
};

}  // namespace adobesdk

#endif
