#include "tests/host/HostTestSupport.h"

#include <stdexcept>

namespace dialforge_host_test {

using namespace dialforge_host;

Project ServableProject() {
  ProjectResult fixture = ParseProject(kDocumentedFixture, "documented.json");
  if (!fixture.Ok()) {
    throw std::runtime_error(fixture.error);
  }
  Project project = fixture.project;
  project.missingSuites.clear();
  project.failures.clear();
  MixerChannel master;
  master.id = 9;
  master.name = "Master";
  master.volume = 1.0f;
  master.audioChannels = 2;
  master.audioChannelValue = -0.25f;
  project.mixer.channels.push_back(master);
  return project;
}

namespace {

template <typename Suite>
const Suite* Acquire(SPBasicSuite* basic, const char* name, int32_t version) {
  const void* suite = nullptr;
  return basic->AcquireSuite(name, version, &suite) == 0 ? static_cast<const Suite*>(suite)
                                                         : nullptr;
}

}  // namespace

PluginView::PluginView(SimulatedHost& host) : basic(host.BasicSuite()), handle(host.HostHandle()) {
  suites = Acquire<SPSuitesSuite>(basic, kSPSuitesSuite, kSPSuitesSuiteVersion);
  strings = Acquire<ADOBESDK_StringSuite1>(basic, kADOBESDK_StringSuite, 1);
  hostSuite =
      Acquire<ADOBESDK_ControlSurfaceHostSuite1>(basic, kADOBESDK_ControlSurfaceHostSuite, 1);
  transport = Acquire<ADOBESDK_ControlSurfaceHostTransportSuite1>(
      basic, kADOBESDK_ControlSurfaceHostTransportSuite, 1);
  command = Acquire<ADOBESDK_ControlSurfaceHostCommandSuite1>(
      basic, kADOBESDK_ControlSurfaceHostCommandSuite, 1);
  mixer = Acquire<ADOBESDK_ControlSurfaceHostMixerSuite1>(
      basic, kADOBESDK_ControlSurfaceHostMixerSuite, 1);
  lumetri = Acquire<ADOBESDK_ControlSurfaceHostLumetriSuite1>(
      basic, kADOBESDK_ControlSurfaceHostLumetriSuite, 1);
  if (hostSuite != nullptr) {
    hostSuite->ObtainTransportRef(handle, &transportRef);
    hostSuite->ObtainCommandRef(handle, &commandRef);
    hostSuite->ObtainMixerRef(handle, &mixerRef);
    hostSuite->ObtainLumetriRef(handle, &lumetriRef);
  }
}

std::string PluginView::Text(const ADOBESDK_String& string) const {
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

ADOBESDK_String PluginView::Make(const char* text) const {
  ADOBESDK_String string{};
  strings->AllocateFromUTF8(text, &string);
  return string;
}

}  // namespace dialforge_host_test
