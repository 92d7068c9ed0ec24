#include "surface/Dialforge.h"

#include <atomic>

#include "compose/AdobeSdkString.h"
#include "compose/ComposeHelper.h"
#include "sdk/ControlSurfaceLumetriBase.h"
#include "surface/HostText.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

// The newest object. Several plug-in instances may be connected at once, and each listener
// serves its own object, so this is only read where the newest one is meant.
std::atomic<Dialforge*> sInstance{nullptr};

// The basic suite through which the program-wide string suite is held, so that its one
// acquisition is released through the host that made it. Used on the host's thread only.
SPBasicSuite* sStringSuiteSource = nullptr;

// Acquires a suite through the basic suite; null when the host refuses it.
template <typename Suite>
const Suite* Acquire(SPBasicSuite* basicSuite, const char* name, int32_t version) {
  if (basicSuite == nullptr || basicSuite->AcquireSuite == nullptr) {
    return nullptr;
  }
  const void* suite = nullptr;
  if (basicSuite->AcquireSuite(name, version, &suite) != kADOBESDK_NoError) {
    return nullptr;
  }
  return static_cast<const Suite*>(suite);
}

void Release(SPBasicSuite* basicSuite, const char* name, int32_t version) {
  if (basicSuite != nullptr && basicSuite->ReleaseSuite != nullptr) {
    basicSuite->ReleaseSuite(name, version);
  }
}

// Acquires one host suite and obtains its reference; a suite whose reference cannot be obtained
// is released again, so a held suite always comes with a valid reference.
template <typename Suite, typename Reference>
void Bind(SPBasicSuite* basicSuite, const char* name, ADOBESDK_ControlSurfaceHost* host,
          ADOBESDK_Error (*obtain)(ADOBESDK_ControlSurfaceHost*, Reference**), const Suite*& suite,
          Reference*& reference) {
  suite = Acquire<Suite>(basicSuite, name, 1);
  if (suite == nullptr) {
    return;
  }
  if (obtain == nullptr || obtain(host, &reference) != kADOBESDK_NoError) {
    reference = nullptr;
    Release(basicSuite, name, 1);
    suite = nullptr;
  }
}

template <typename Suite, typename Reference>
void Unbind(SPBasicSuite* basicSuite, const char* name, const Suite*& suite,
            Reference*& reference) {
  if (suite != nullptr) {
    reference = nullptr;
    Release(basicSuite, name, 1);
    suite = nullptr;
  }
}

}  // namespace

Dialforge::Dialforge(const HostEntry& entry, SPBasicSuite* basicSuite)
    : entry(entry), basicSuite(basicSuite) {}

Dialforge::~Dialforge() = default;

Dialforge* Dialforge::CreateInstance(const HostEntry& entry, SPBasicSuite* basicSuite) {
  auto* created = new Dialforge(entry, basicSuite);
  sInstance.store(created);
  return created;
}

Dialforge* Dialforge::GetInstance() {
  return sInstance.load();
}

void Dialforge::RegisterSuites(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList) {
  adobesdk::ControlSurfaceBase::RegisterSuite(suitesSuite, suiteList);
  adobesdk::ControlSurfaceCommandBase::RegisterSuite(suitesSuite, suiteList);
  adobesdk::ControlSurfaceTransportBase::RegisterSuite(suitesSuite, suiteList);
  adobesdk::ControlSurfaceMixerBase::RegisterSuite(suitesSuite, suiteList);
  adobesdk::ControlSurfaceLumetriBase::RegisterSuite(suitesSuite, suiteList);
}

void Dialforge::SetDialforgeHost(ADOBESDK_ControlSurfaceHost* newHost) {
  if (hostSuite != nullptr) {
    Release(basicSuite, kADOBESDK_ControlSurfaceHostSuite,
            kADOBESDK_ControlSurfaceHostSuiteVersion1);
    hostSuite = nullptr;
  }
  Unbind(basicSuite, kADOBESDK_ControlSurfaceHostTransportSuite, transportSuite, hostTransportRef);
  Unbind(basicSuite, kADOBESDK_ControlSurfaceHostCommandSuite, commandSuite, hostCommandRef);
  Unbind(basicSuite, kADOBESDK_ControlSurfaceHostMixerSuite, mixerSuite, hostMixerRef);
  Unbind(basicSuite, kADOBESDK_ControlSurfaceHostLumetriSuite, lumetriSuite, hostLumetriRef);
  host = nullptr;
  if (newHost == nullptr) {
    return;
  }

  // One acquisition for the whole program, since other instances and their listeners use it too:
  // the earlier one is released once the pointer names the new one.
  if (const auto* stringSuite = Acquire<ADOBESDK_StringSuite1>(basicSuite, kADOBESDK_StringSuite,
                                                               kADOBESDK_StringSuiteVersion1)) {
    SPBasicSuite* earlierSource = sStringSuiteSource;
    sStringSuite.store(stringSuite);
    sStringSuiteSource = basicSuite;
    Release(earlierSource, kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1);
  }
  hostSuite = Acquire<ADOBESDK_ControlSurfaceHostSuite1>(
      basicSuite, kADOBESDK_ControlSurfaceHostSuite, kADOBESDK_ControlSurfaceHostSuiteVersion1);
  if (hostSuite == nullptr) {
    return;
  }
  Bind(basicSuite, kADOBESDK_ControlSurfaceHostTransportSuite, newHost,
       hostSuite->ObtainTransportRef, transportSuite, hostTransportRef);
  Bind(basicSuite, kADOBESDK_ControlSurfaceHostCommandSuite, newHost, hostSuite->ObtainCommandRef,
       commandSuite, hostCommandRef);
  Bind(basicSuite, kADOBESDK_ControlSurfaceHostMixerSuite, newHost, hostSuite->ObtainMixerRef,
       mixerSuite, hostMixerRef);
  Bind(basicSuite, kADOBESDK_ControlSurfaceHostLumetriSuite, newHost, hostSuite->ObtainLumetriRef,
       lumetriSuite, hostLumetriRef);
  ComposeHelper::CreateInstance(sStringSuite.load());
  if (transportSuite != nullptr || commandSuite != nullptr) {
    host = newHost;
  }
  if (commandSuite != nullptr) {
    uint32_t commandCount = 0;
    commandSuite->GetCommandCount(hostCommandRef, &commandCount);
  }
}

void Dialforge::ReleaseStringSuite() {
  SPBasicSuite* source = sStringSuiteSource;
  sStringSuiteSource = nullptr;
  sStringSuite.store(nullptr);
  Release(source, kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1);
}

ADOBESDK_ControlSurface* Dialforge::GetDialforgeRef() {
  return ControlSurfaceHandle();
}

ADOBESDK_Error Dialforge::GetTransportRef(ADOBESDK_ControlSurfaceTransport** transport) {
  if (transport == nullptr) {
    return kADOBESDK_BadParameter;
  }
  *transport = TransportHandle();
  return kADOBESDK_NoError;
}

ADOBESDK_Error Dialforge::GetMixerRef(ADOBESDK_ControlSurfaceMixer** mixer) {
  if (mixer == nullptr) {
    return kADOBESDK_BadParameter;
  }
  *mixer = MixerHandle();
  return kADOBESDK_NoError;
}

ADOBESDK_Error Dialforge::GetCommandRef(ADOBESDK_ControlSurfaceCommand** command) {
  if (command == nullptr) {
    return kADOBESDK_BadParameter;
  }
  *command = CommandHandle();
  return kADOBESDK_NoError;
}

ADOBESDK_Error Dialforge::Update() {
  return kADOBESDK_NoError;
}

// Recorded for protocol 2 clients; the host's answers stay as they were.
ADOBESDK_Error Dialforge::SetPlayState(bool state) {
  notifications.SetTransportFlag(TransportFlag::Play, state);
  return kADOBESDK_NoError;
}
ADOBESDK_Error Dialforge::SetRecordState(bool state) {
  notifications.SetTransportFlag(TransportFlag::Record, state);
  return kADOBESDK_NoError;
}
ADOBESDK_Error Dialforge::SetRewindState(bool state) {
  notifications.SetTransportFlag(TransportFlag::Rewind, state);
  return kADOBESDK_NoError;
}
ADOBESDK_Error Dialforge::SetForwardState(bool state) {
  notifications.SetTransportFlag(TransportFlag::Forward, state);
  return kADOBESDK_NoError;
}
ADOBESDK_Error Dialforge::SetStopState(bool state) {
  notifications.SetTransportFlag(TransportFlag::Stop, state);
  return ControlSurfaceTransportBase::SetStopState(state);
}
ADOBESDK_Error Dialforge::SetPauseState(bool state) {
  notifications.SetTransportFlag(TransportFlag::Pause, state);
  return ControlSurfaceTransportBase::SetPauseState(state);
}
ADOBESDK_Error Dialforge::SetCycleState(bool state) {
  notifications.SetTransportFlag(TransportFlag::Cycle, state);
  return ControlSurfaceTransportBase::SetCycleState(state);
}

ADOBESDK_Error Dialforge::SetTimeDisplay(unsigned int format, const ADOBESDK_String* time) {
  notifications.SetTimeDisplay(format, HandedText(time));
  return ControlSurfaceTransportBase::SetTimeDisplay(format, time);
}

namespace {

MixerChange Change(MixerChange::Kind kind) {
  MixerChange change;
  change.kind = kind;
  return change;
}

}  // namespace

ADOBESDK_Error Dialforge::ChannelConfigChanged(unsigned int first, unsigned int count) {
  MixerChange change = Change(MixerChange::Kind::Configuration);
  change.channel = first;
  change.number = count;
  notifications.AddMixerChange(change);
  return ControlSurfaceMixerBase::ChannelConfigChanged(first, count);
}
ADOBESDK_Error Dialforge::SelectionChanged() {
  notifications.AddMixerChange(Change(MixerChange::Kind::Selection));
  return ControlSurfaceMixerBase::SelectionChanged();
}
ADOBESDK_Error Dialforge::SetChannelState(unsigned int channel, unsigned int state, bool isSet) {
  MixerChange change = Change(MixerChange::Kind::ChannelState);
  change.channel = channel;
  change.item = state;
  change.flag = isSet;
  notifications.AddMixerChange(change);
  return ControlSurfaceMixerBase::SetChannelState(channel, state, isSet);
}
ADOBESDK_Error Dialforge::SetAutomationMode(unsigned int channel, unsigned int mode) {
  MixerChange change = Change(MixerChange::Kind::AutomationMode);
  change.channel = channel;
  change.number = mode;
  notifications.AddMixerChange(change);
  return ControlSurfaceMixerBase::SetAutomationMode(channel, mode);
}
ADOBESDK_Error Dialforge::SetChannelOffset(unsigned int offset) {
  MixerChange change = Change(MixerChange::Kind::ChannelOffset);
  change.number = offset;
  notifications.AddMixerChange(change);
  return ControlSurfaceMixerBase::SetChannelOffset(offset);
}
ADOBESDK_Error Dialforge::SetChannelCount(unsigned int count) {
  MixerChange change = Change(MixerChange::Kind::ChannelCount);
  change.number = count;
  notifications.AddMixerChange(change);
  return ControlSurfaceMixerBase::SetChannelCount(count);
}
ADOBESDK_Error Dialforge::SetRudeSoloState(bool state) {
  MixerChange change = Change(MixerChange::Kind::RudeSolo);
  change.flag = state;
  notifications.AddMixerChange(change);
  return ControlSurfaceMixerBase::SetRudeSoloState(state);
}
ADOBESDK_Error Dialforge::SetComponentBypass(unsigned int channel, unsigned int component,
                                             bool bypass) {
  MixerChange change = Change(MixerChange::Kind::ComponentBypass);
  change.channel = channel;
  change.item = component;
  change.flag = bypass;
  notifications.AddMixerChange(change);
  return ControlSurfaceMixerBase::SetComponentBypass(channel, component, bypass);
}
ADOBESDK_Error Dialforge::SetComponentParameter(unsigned int channel, unsigned int component,
                                                unsigned int parameter, float value) {
  MixerChange change = Change(MixerChange::Kind::ComponentParameter);
  change.channel = channel;
  change.item = component;
  change.parameter = parameter;
  change.value = value;
  notifications.AddMixerChange(change);
  return ControlSurfaceMixerBase::SetComponentParameter(channel, component, parameter, value);
}

ADOBESDK_Error Dialforge::GetUserButtonCount(unsigned int* count) const {
  if (count == nullptr) {
    return kADOBESDK_BadParameter;
  }
  // Success with the count unwritten would have the host read whatever its variable held.
  *count = 0;
  return kADOBESDK_NoError;
}

ADOBESDK_Error Dialforge::GetConfigIdentifier(unsigned short**& text, unsigned int*& length) const {
  struct Identifier {
    unsigned short units[10] = {'D', 'i', 'a', 'l', 'f', 'o', 'r', 'g', 'e', 0};
    unsigned short* start = units;
    unsigned int length = 9;
  };
  static Identifier controlSurfaceIdentifier;
  text = &controlSurfaceIdentifier.start;
  length = &controlSurfaceIdentifier.length;
  return kADOBESDK_NoError;
}

ADOBESDK_Error Dialforge::GetDialforgeFlags(unsigned int* flags) const {
  if (flags != nullptr) {
    *flags = 0;
  }
  return kADOBESDK_NoError;
}

ADOBESDK_ControlSurfaceHostTransport* Dialforge::GetHostTransportRef() {
  return hostTransportRef;
}
ADOBESDK_ControlSurfaceHostCommand* Dialforge::GetHostCommandRef() {
  return hostCommandRef;
}
ADOBESDK_ControlSurfaceHostMixer* Dialforge::GetHostMixerRef() {
  return hostMixerRef;
}
ADOBESDK_ControlSurfaceHostLumetri* Dialforge::GetHostLumetriRef() {
  return hostLumetriRef;
}

const ADOBESDK_ControlSurfaceHostTransportSuite1* Dialforge::GetTransportSuite() {
  return transportSuite;
}
const ADOBESDK_ControlSurfaceHostCommandSuite1* Dialforge::GetCommandSuite() {
  return commandSuite;
}
const ADOBESDK_ControlSurfaceHostMixerSuite1* Dialforge::GetMixerSuite() {
  return mixerSuite;
}
const ADOBESDK_ControlSurfaceHostLumetriSuite1* Dialforge::GetLumetriSuite() {
  return lumetriSuite;
}

ADOBESDK_Error Dialforge::SetTimeDisplay(unsigned int, const unsigned short*) {
  return kADOBESDK_NoError;
}

ADOBESDK_Error Dialforge::GetUserButtonIDAtIndex(unsigned int, unsigned short**,
                                                 unsigned int*) const {
  return kADOBESDK_NoError;
}

ADOBESDK_Error Dialforge::GetUserButtonDisplayName(const unsigned short*, unsigned short**,
                                                   unsigned int*) const {
  return kADOBESDK_BadParameter;
}

ADOBESDK_Error Dialforge::SetUserButtonCommandID(const unsigned short* buttonId,
                                                 const unsigned short*) {
  return buttonId == nullptr ? kADOBESDK_BadParameter : kADOBESDK_NoError;
}

ADOBESDK_Error Dialforge::GetUserButtonCommandID(const unsigned short*, unsigned short**,
                                                 unsigned int*) const {
  return kADOBESDK_BadParameter;
}

ADOBESDK_Error Dialforge::ChangeMixerAutomationMode(unsigned int channel, unsigned int mode) const {
  if (mixerSuite != nullptr) {
    mixerSuite->SetAutomationMode(hostMixerRef, channel, mode);
  }
  return kADOBESDK_NoError;
}

ADOBESDK_Error Dialforge::ChangeLumetriControls() const {
  if (lumetriSuite != nullptr) {
    uint32_t resultingMode = 0;
    lumetriSuite->SetPanelMode(hostLumetriRef, 6, &resultingMode);
  }
  return kADOBESDK_NoError;
}

void Dialforge::OnHardwareCommandAction(unsigned int, bool) {
  Tracer::TRACE("OnHardwareCommandAction");
}

void Dialforge::OnHardwareTransportFunction(int, int) {
  Tracer::TRACE("OnHardwareTransportFunction");
}

}  // namespace VazezeveDudOzizezUziriv
