// The host suites and references a test takes straight from the simulated host, as the control
// surface does when it binds.
#ifndef DIALFORGE_TESTS_SUPPORT_HOSTSUITES_H
#define DIALFORGE_TESTS_SUPPORT_HOSTSUITES_H

#include <stdexcept>
#include <string>

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHost.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"
#include "sdk/ControlSurfaceHostTransport.h"
#include "sdk/SPBasic.h"

namespace dialforge_test {

template <typename Suite>
const Suite* AcquireSuite(const SPBasicSuite* basicSuite, const char* name) {
  const void* suite = nullptr;
  if (basicSuite->AcquireSuite(name, 1, &suite) != 0) {
    throw std::runtime_error(std::string("cannot acquire ") + name);
  }
  return static_cast<const Suite*>(suite);
}

// Every suite and reference, acquired for the life of the object.
struct HostSuites {
  HostSuites(const SPBasicSuite* basicSuite, ADOBESDK_ControlSurfaceHost* host)
      : basicSuite(basicSuite) {
    strings = AcquireSuite<ADOBESDK_StringSuite1>(basicSuite, kADOBESDK_StringSuite);
    hostSuite = AcquireSuite<ADOBESDK_ControlSurfaceHostSuite1>(basicSuite,
                                                                kADOBESDK_ControlSurfaceHostSuite);
    command = AcquireSuite<ADOBESDK_ControlSurfaceHostCommandSuite1>(
        basicSuite, kADOBESDK_ControlSurfaceHostCommandSuite);
    mixer = AcquireSuite<ADOBESDK_ControlSurfaceHostMixerSuite1>(
        basicSuite, kADOBESDK_ControlSurfaceHostMixerSuite);
    lumetri = AcquireSuite<ADOBESDK_ControlSurfaceHostLumetriSuite1>(
        basicSuite, kADOBESDK_ControlSurfaceHostLumetriSuite);
    hostSuite->ObtainCommandRef(host, &commandRef);
    hostSuite->ObtainMixerRef(host, &mixerRef);
    hostSuite->ObtainLumetriRef(host, &lumetriRef);
  }
  ~HostSuites() {
    for (const char* name :
         {kADOBESDK_StringSuite, kADOBESDK_ControlSurfaceHostSuite,
          kADOBESDK_ControlSurfaceHostCommandSuite, kADOBESDK_ControlSurfaceHostMixerSuite,
          kADOBESDK_ControlSurfaceHostLumetriSuite}) {
      basicSuite->ReleaseSuite(name, 1);
    }
  }
  HostSuites(const HostSuites&) = delete;
  HostSuites& operator=(const HostSuites&) = delete;

  const SPBasicSuite* basicSuite;
  const ADOBESDK_StringSuite1* strings = nullptr;
  const ADOBESDK_ControlSurfaceHostSuite1* hostSuite = nullptr;
  const ADOBESDK_ControlSurfaceHostCommandSuite1* command = nullptr;
  const ADOBESDK_ControlSurfaceHostMixerSuite1* mixer = nullptr;
  const ADOBESDK_ControlSurfaceHostLumetriSuite1* lumetri = nullptr;
  ADOBESDK_ControlSurfaceHostCommand* commandRef = nullptr;
  ADOBESDK_ControlSurfaceHostMixer* mixerRef = nullptr;
  ADOBESDK_ControlSurfaceHostLumetri* lumetriRef = nullptr;
};

}  // namespace dialforge_test

#endif
