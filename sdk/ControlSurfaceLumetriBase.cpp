#include "sdk/ControlSurfaceLumetriBase.h"

#include "sdk/AdapterSupport.h"

namespace adobesdk {

using support::Forward;

ADOBESDK_Error ControlSurfaceLumetriBase::ModeChanged(unsigned int) {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_Error ControlSurfaceLumetriBase::ParameterValueChanged(const ADOBESDK_String*, float) {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_Error ControlSurfaceLumetriBase::MenuValueChanged(const ADOBESDK_String*,
                                                           const ADOBESDK_String*) {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_Error ControlSurfaceLumetriBase::AllChanged() {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_ControlSurfaceLumetri* ControlSurfaceLumetriBase::LumetriHandle() {
  return support::ToHandle<ADOBESDK_ControlSurfaceLumetri>(this);
}

using Lumetri = ADOBESDK_ControlSurfaceLumetri;
using Base = ControlSurfaceLumetriBase;

extern "C" {

static ADOBESDK_Error ControlSurface_ModeChanged(Lumetri* lumetri, uint32_t mode) {
  return Forward<Base>(lumetri, &Base::ModeChanged, mode);
}

static ADOBESDK_Error ControlSurface_ParameterValueChanged(Lumetri* lumetri,
                                                           const ADOBESDK_String* id, float value) {
  return Forward<Base>(lumetri, &Base::ParameterValueChanged, id, value);
}

static ADOBESDK_Error ControlSurface_MenuValueChanged(Lumetri* lumetri, const ADOBESDK_String* id,
                                                      const ADOBESDK_String* value) {
  return Forward<Base>(lumetri, &Base::MenuValueChanged, id, value);
}

static ADOBESDK_Error ControlSurface_AllChanged(Lumetri* lumetri) {
  return Forward<Base>(lumetri, &Base::AllChanged);
}

}  // extern "C"

static const ADOBESDK_ControlSurfaceLumetriSuite1 sControlSurfaceLumetriSuite = {
    ControlSurface_ModeChanged,            // 0
    ControlSurface_ParameterValueChanged,  // 1
    ControlSurface_MenuValueChanged,       // 2
    ControlSurface_AllChanged,             // 3
};

void ControlSurfaceLumetriBase::RegisterSuite(const SPSuitesSuite* suitesSuite,
                                              SPSuiteList* suiteList) {
  support::AddTable(suitesSuite, suiteList, kADOBESDK_ControlSurfaceLumetriSuite,
                    kADOBESDK_ControlSurfaceLumetriSuiteVersion1, &sControlSurfaceLumetriSuite);
}

}  // namespace adobesdk
