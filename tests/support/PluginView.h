// The host as a plug-in sees it: every suite acquired through the basic suite and every
// reference obtained through the host suite, the way a plug-in acquires them.
#ifndef DIALFORGE_TESTS_SUPPORT_PLUGINVIEW_H
#define DIALFORGE_TESTS_SUPPORT_PLUGINVIEW_H

#include <string>

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHost.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"
#include "sdk/ControlSurfaceHostTransport.h"
#include "sdk/SPBasic.h"
#include "sdk/SPSuites.h"

namespace dialforge_test {

// A suite or reference the host refused stays null. Nothing is released: the view lives no
// longer than the host it looks at.
struct PluginView {
  PluginView(SPBasicSuite* basic, ADOBESDK_ControlSurfaceHost* handle)
      : basic(basic), handle(handle) {
    suites = Acquire<SPSuitesSuite>(kSPSuitesSuite, kSPSuitesSuiteVersion);
    strings = Acquire<ADOBESDK_StringSuite1>(kADOBESDK_StringSuite, 1);
    hostSuite = Acquire<ADOBESDK_ControlSurfaceHostSuite1>(kADOBESDK_ControlSurfaceHostSuite, 1);
    transport = Acquire<ADOBESDK_ControlSurfaceHostTransportSuite1>(
        kADOBESDK_ControlSurfaceHostTransportSuite, 1);
    command = Acquire<ADOBESDK_ControlSurfaceHostCommandSuite1>(
        kADOBESDK_ControlSurfaceHostCommandSuite, 1);
    mixer =
        Acquire<ADOBESDK_ControlSurfaceHostMixerSuite1>(kADOBESDK_ControlSurfaceHostMixerSuite, 1);
    lumetri = Acquire<ADOBESDK_ControlSurfaceHostLumetriSuite1>(
        kADOBESDK_ControlSurfaceHostLumetriSuite, 1);
    if (hostSuite != nullptr) {
      hostSuite->ObtainTransportRef(handle, &transportRef);
      hostSuite->ObtainCommandRef(handle, &commandRef);
      hostSuite->ObtainMixerRef(handle, &mixerRef);
      hostSuite->ObtainLumetriRef(handle, &lumetriRef);
    }
  }
  // Any host that hands out a basic suite and a host handle, the simulated one above all.
  template <typename Host>
  explicit PluginView(Host& host) : PluginView(host.BasicSuite(), host.HostHandle()) {}

  // The text of a host string, read with CopyToUTF8 as the plug-in reads it; "<unreadable>"
  // when the string suite refuses.
  std::string Text(const ADOBESDK_String& string) const {
    uint32_t length = 0;
    if (strings->CopyToUTF8(&string, nullptr, &length) != kADOBESDK_StringBufferTooSmall) {
      return "<unreadable>";
    }
    std::string text(length, '\0');
    if (strings->CopyToUTF8(&string, &text[0], &length) != 0) {
      return "<unreadable>";
    }
    text.resize(length - 1);
    return text;
  }
  ADOBESDK_String Make(const char* text) const {
    ADOBESDK_String string{};
    strings->AllocateFromUTF8(text, &string);
    return string;
  }

  SPBasicSuite* basic = nullptr;
  ADOBESDK_ControlSurfaceHost* handle = nullptr;
  const SPSuitesSuite* suites = nullptr;
  const ADOBESDK_StringSuite1* strings = nullptr;
  const ADOBESDK_ControlSurfaceHostSuite1* hostSuite = nullptr;
  const ADOBESDK_ControlSurfaceHostTransportSuite1* transport = nullptr;
  const ADOBESDK_ControlSurfaceHostCommandSuite1* command = nullptr;
  const ADOBESDK_ControlSurfaceHostMixerSuite1* mixer = nullptr;
  const ADOBESDK_ControlSurfaceHostLumetriSuite1* lumetri = nullptr;
  ADOBESDK_ControlSurfaceHostTransport* transportRef = nullptr;
  ADOBESDK_ControlSurfaceHostCommand* commandRef = nullptr;
  ADOBESDK_ControlSurfaceHostMixer* mixerRef = nullptr;
  ADOBESDK_ControlSurfaceHostLumetri* lumetriRef = nullptr;

 private:
  template <typename Suite>
  const Suite* Acquire(const char* name, int32_t version) const {
    const void* suite = nullptr;
    return basic->AcquireSuite(name, version, &suite) == 0 ? static_cast<const Suite*>(suite)
                                                           : nullptr;
  }
};

}  // namespace dialforge_test

#endif
