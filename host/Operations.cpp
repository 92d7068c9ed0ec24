#include "host/Operations.h"

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"
#include "sdk/ControlSurfaceHostTransport.h"
#include "sdk/SPSuites.h"

namespace dialforge_host {

namespace {

constexpr const char* kBasic = "SPBasicSuite";
constexpr const char* kSuites = kSPSuitesSuite;
constexpr const char* kString = kADOBESDK_StringSuite;
constexpr const char* kHost = kADOBESDK_ControlSurfaceHostSuite;
constexpr const char* kTransport = kADOBESDK_ControlSurfaceHostTransportSuite;
constexpr const char* kCommand = kADOBESDK_ControlSurfaceHostCommandSuite;
constexpr const char* kMixer = kADOBESDK_ControlSurfaceHostMixerSuite;
constexpr const char* kLumetri = kADOBESDK_ControlSurfaceHostLumetriSuite;

#define DIALFORGE_OPERATION(name, suite, label) \
  { Operation::name, #name, suite, label }

const std::vector<OperationInfo> kOperations = {
    DIALFORGE_OPERATION(AcquireSuite, kBasic, nullptr),
    DIALFORGE_OPERATION(ReleaseSuite, kBasic, nullptr),
    DIALFORGE_OPERATION(AllocateSuiteList, kSuites, nullptr),
    DIALFORGE_OPERATION(FreeSuiteList, kSuites, nullptr),
    DIALFORGE_OPERATION(AddSuite, kSuites, nullptr),
    DIALFORGE_OPERATION(DisposeString, kString, nullptr),
    DIALFORGE_OPERATION(AllocateFromUTF8, kString, nullptr),
    DIALFORGE_OPERATION(CopyToUTF8, kString, nullptr),
    DIALFORGE_OPERATION(AllocateFromUTF16, kString, nullptr),
    DIALFORGE_OPERATION(ObtainCommandRef, kHost, nullptr),
    DIALFORGE_OPERATION(ObtainMixerRef, kHost, nullptr),
    DIALFORGE_OPERATION(ObtainTransportRef, kHost, nullptr),
    DIALFORGE_OPERATION(ObtainLumetriRef, kHost, nullptr),
    DIALFORGE_OPERATION(BeginRewind, kTransport, "Transport"),
    DIALFORGE_OPERATION(EndRewind, kTransport, "Transport"),
    DIALFORGE_OPERATION(BeginForward, kTransport, "Transport"),
    DIALFORGE_OPERATION(EndForward, kTransport, "Transport"),
    DIALFORGE_OPERATION(Stop, kTransport, "Transport"),
    DIALFORGE_OPERATION(Play, kTransport, "Transport"),
    DIALFORGE_OPERATION(Record, kTransport, "Transport"),
    DIALFORGE_OPERATION(Pause, kTransport, "Transport"),
    DIALFORGE_OPERATION(ToggleCycle, kTransport, "Transport"),
    DIALFORGE_OPERATION(GotoPrevious, kTransport, "Transport"),
    DIALFORGE_OPERATION(GotoNext, kTransport, "Transport"),
    DIALFORGE_OPERATION(GotoStart, kTransport, "Transport"),
    DIALFORGE_OPERATION(ShuttleLeft, kTransport, "Transport"),
    DIALFORGE_OPERATION(ShuttleStop, kTransport, "Transport"),
    DIALFORGE_OPERATION(ShuttleRight, kTransport, "Transport"),
    DIALFORGE_OPERATION(JogDial, kTransport, "Transport"),
    DIALFORGE_OPERATION(Navigate, kCommand, "Command"),
    DIALFORGE_OPERATION(GetCommandCount, kCommand, nullptr),
    DIALFORGE_OPERATION(GetCommandAtIndex, kCommand, nullptr),
    DIALFORGE_OPERATION(ExecuteCommand, kCommand, "Command"),
    DIALFORGE_OPERATION(GetChannelCount, kMixer, nullptr),
    DIALFORGE_OPERATION(GetChannelID, kMixer, nullptr),
    DIALFORGE_OPERATION(GetChannelState, kMixer, nullptr),
    DIALFORGE_OPERATION(GetChannelFlags, kMixer, nullptr),
    DIALFORGE_OPERATION(GetChannelVolume, kMixer, nullptr),
    DIALFORGE_OPERATION(GetAudioChannelCount, kMixer, nullptr),
    DIALFORGE_OPERATION(GetAudioChannelValue, kMixer, nullptr),
    DIALFORGE_OPERATION(GetPanType, kMixer, nullptr),
    DIALFORGE_OPERATION(GetChannelName, kMixer, nullptr),
    DIALFORGE_OPERATION(HasComponent, kMixer, nullptr),
    DIALFORGE_OPERATION(GetComponentName, kMixer, nullptr),
    DIALFORGE_OPERATION(GetComponentBypass, kMixer, nullptr),
    DIALFORGE_OPERATION(GetComponentParameterCount, kMixer, nullptr),
    DIALFORGE_OPERATION(GetComponentParameterName, kMixer, nullptr),
    DIALFORGE_OPERATION(GetComponentParameterText, kMixer, nullptr),
    DIALFORGE_OPERATION(GetComponentParameterValue, kMixer, nullptr),
    DIALFORGE_OPERATION(SetAutomationMode, kMixer, "Mixer"),
    DIALFORGE_OPERATION(GetParameterCount, kLumetri, nullptr),
    DIALFORGE_OPERATION(GetParameterAtIndex, kLumetri, nullptr),
    DIALFORGE_OPERATION(GetParameterValue, kLumetri, nullptr),
    DIALFORGE_OPERATION(SetParameterValue, kLumetri, "Lumetri"),
    DIALFORGE_OPERATION(ResetParameter, kLumetri, "Lumetri"),
    DIALFORGE_OPERATION(GetMenuCount, kLumetri, nullptr),
    DIALFORGE_OPERATION(GetMenuAtIndex, kLumetri, nullptr),
    DIALFORGE_OPERATION(GetMenuValue, kLumetri, nullptr),
    DIALFORGE_OPERATION(SetMenuValue, kLumetri, "Lumetri"),
    DIALFORGE_OPERATION(ResetMenu, kLumetri, "Lumetri"),
    DIALFORGE_OPERATION(SetPanelMode, kLumetri, "Lumetri"),
};

#undef DIALFORGE_OPERATION

}  // namespace

const std::vector<OperationInfo>& Operations() {
  return kOperations;
}

const OperationInfo& InfoOf(Operation operation) {
  return kOperations[static_cast<std::size_t>(operation)];
}

const OperationInfo* FindOperation(const std::string& name) {
  for (const OperationInfo& info : kOperations) {
    if (name == info.name) {
      return &info;
    }
  }
  return nullptr;
}

bool IsOfferedSuite(const std::string& name) {
  for (const OperationInfo& info : kOperations) {
    if (name == info.suite && name != kBasic) {
      return true;
    }
  }
  return false;
}

}  // namespace dialforge_host
