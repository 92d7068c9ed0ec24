// The mixer part of a control surface: the host reports channel and component changes here.
#ifndef DIALFORGE_SDK_CONTROLSURFACEMIXERBASE_H
#define DIALFORGE_SDK_CONTROLSURFACEMIXERBASE_H

#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPSuites.h"

namespace adobesdk {

class ControlSurfaceMixerBase {
 public:
  ControlSurfaceMixerBase() = default;
  virtual ~ControlSurfaceMixerBase() = default;

  // Defaults: '!IMP'.
  virtual ADOBESDK_Error GetMaxChannelStripCount(unsigned int* count);
  virtual ADOBESDK_Error ChannelConfigChanged(unsigned int first, unsigned int count);
  virtual ADOBESDK_Error SelectionChanged();
  virtual ADOBESDK_Error SetChannelState(unsigned int channel, unsigned int state, bool isSet);
  virtual ADOBESDK_Error SetAutomationMode(unsigned int channel, unsigned int mode);
  virtual ADOBESDK_Error SetChannelOffset(unsigned int offset);
  virtual ADOBESDK_Error SetChannelCount(unsigned int count);
  virtual ADOBESDK_Error SetRudeSoloState(bool state);
  virtual ADOBESDK_Error SetComponentBypass(unsigned int channel, unsigned int component,
                                            bool bypassed);
  virtual ADOBESDK_Error SetComponentParameter(unsigned int channel, unsigned int component,
                                               unsigned int parameter, float value);
  virtual ADOBESDK_Error AddMasterFaderAsRegularChannel(bool* add);

  static void RegisterSuite(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList);

  ADOBESDK_ControlSurfaceMixer* MixerHandle();
};

}  // namespace adobesdk

#endif
