// The control surface of one host connection: what the host reaches through the registered
// control-surface suites, the holder of the host suites and references of the connection, and the
// request dispatcher and handlers that act on the host for the companion application.
#ifndef DIALFORGE_SURFACE_DIALFORGE_H
#define DIALFORGE_SURFACE_DIALFORGE_H

#include <cstdint>
#include <string>
#include <vector>

#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceBase.h"
#include "sdk/ControlSurfaceCommandBase.h"
#include "sdk/ControlSurfaceHost.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"
#include "sdk/ControlSurfaceHostTransport.h"
#include "sdk/ControlSurfaceMixerBase.h"
#include "sdk/ControlSurfaceTransportBase.h"
#include "sdk/SPBasic.h"
#include "sdk/SPSuites.h"
#include "surface/HostFacts.h"
#include "surface/HostNotifications.h"
#include "surface/RequestOutcome.h"

class AdobeSdkString;

namespace VazezeveDudOzizezUziriv {

class Dialforge : public adobesdk::ControlSurfaceBase,
                  public adobesdk::ControlSurfaceTransportBase,
                  public adobesdk::ControlSurfaceCommandBase,
                  public adobesdk::ControlSurfaceMixerBase {
 public:
  Dialforge(const HostEntry& entry, SPBasicSuite* basicSuite);
  // Releases nothing: the owner unbinds with SetDialforgeHost(nullptr) first.
  ~Dialforge() override;

  Dialforge(const Dialforge&) = delete;
  Dialforge& operator=(const Dialforge&) = delete;

  // A new object becomes the class-wide instance; the previous one is not deleted here. The new
  // object is also returned, so a caller never mistakes another thread's for its own.
  static Dialforge* CreateInstance(const HostEntry& entry, SPBasicSuite* basicSuite);
  static Dialforge* GetInstance();
  static void RegisterSuites(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList);

  // Releases the current binding and, for a host, binds to its suites and references. The
  // program-wide string suite is acquired anew, and the earlier acquisition released.
  void SetDialforgeHost(ADOBESDK_ControlSurfaceHost* host);
  // Releases the program-wide string suite, once no listener runs any more (module shutdown).
  static void ReleaseStringSuite();
  ADOBESDK_ControlSurface* GetDialforgeRef();
  unsigned int GetHostIdentifier() const { return entry.identifier; }
  const HostEntry& GetHostEntry() const { return entry; }
  // Set while the connection holds the host suite.
  const ADOBESDK_ControlSurfaceHostSuite1* GetHostSuite() const { return hostSuite; }
  // Set while the transport or the command suite is bound.
  ADOBESDK_ControlSurfaceHost* GetHost() const { return host; }

  // What the host reaches through the control-surface suites.
  ADOBESDK_Error GetTransportRef(ADOBESDK_ControlSurfaceTransport** transport) override;
  ADOBESDK_Error GetMixerRef(ADOBESDK_ControlSurfaceMixer** mixer) override;
  ADOBESDK_Error GetCommandRef(ADOBESDK_ControlSurfaceCommand** command) override;
  ADOBESDK_Error Update() override;
  ADOBESDK_Error SetPlayState(bool state) override;
  ADOBESDK_Error SetRecordState(bool state) override;
  ADOBESDK_Error SetRewindState(bool state) override;
  ADOBESDK_Error SetForwardState(bool state) override;
  // Recorded like the four above; they still answer the adapters' '!IMP'.
  ADOBESDK_Error SetStopState(bool state) override;
  ADOBESDK_Error SetPauseState(bool state) override;
  ADOBESDK_Error SetCycleState(bool state) override;
  ADOBESDK_Error SetTimeDisplay(unsigned int format, const ADOBESDK_String* time) override;
  // The mixer's notifications are recorded and answered as the adapters answer them.
  ADOBESDK_Error ChannelConfigChanged(unsigned int first, unsigned int count) override;
  ADOBESDK_Error SelectionChanged() override;
  ADOBESDK_Error SetChannelState(unsigned int channel, unsigned int state, bool isSet) override;
  ADOBESDK_Error SetAutomationMode(unsigned int channel, unsigned int mode) override;
  ADOBESDK_Error SetChannelOffset(unsigned int offset) override;
  ADOBESDK_Error SetChannelCount(unsigned int count) override;
  ADOBESDK_Error SetRudeSoloState(bool state) override;
  ADOBESDK_Error SetComponentBypass(unsigned int channel, unsigned int component,
                                    bool bypass) override;
  ADOBESDK_Error SetComponentParameter(unsigned int channel, unsigned int component,
                                       unsigned int parameter, float value) override;
  ADOBESDK_Error GetUserButtonCount(unsigned int* count) const override;

  // The operations below take UTF-16 text where the adapters take host strings, so they are
  // operations of their own; the host's calls of the same names reach the adapter defaults.
  using adobesdk::ControlSurfaceBase::GetConfigIdentifier;
  using adobesdk::ControlSurfaceCommandBase::GetUserButtonCommandID;
  using adobesdk::ControlSurfaceCommandBase::GetUserButtonDisplayName;
  using adobesdk::ControlSurfaceCommandBase::GetUserButtonIDAtIndex;
  using adobesdk::ControlSurfaceCommandBase::SetUserButtonCommandID;

  // Points text at the identifier "Dialforge" and length at its 9 code units; both stay valid
  // for the life of the program.
  virtual ADOBESDK_Error GetConfigIdentifier(unsigned short**& text, unsigned int*& length) const;
  virtual ADOBESDK_Error GetDialforgeFlags(unsigned int* flags) const;
  virtual ADOBESDK_ControlSurfaceHostTransport* GetHostTransportRef();
  virtual ADOBESDK_ControlSurfaceHostCommand* GetHostCommandRef();
  virtual ADOBESDK_ControlSurfaceHostMixer* GetHostMixerRef();
  virtual ADOBESDK_ControlSurfaceHostLumetri* GetHostLumetriRef();
  virtual const ADOBESDK_ControlSurfaceHostTransportSuite1* GetTransportSuite();
  virtual const ADOBESDK_ControlSurfaceHostCommandSuite1* GetCommandSuite();
  virtual const ADOBESDK_ControlSurfaceHostMixerSuite1* GetMixerSuite();
  virtual const ADOBESDK_ControlSurfaceHostLumetriSuite1* GetLumetriSuite();
  virtual ADOBESDK_Error SetTimeDisplay(unsigned int format, const unsigned short* time);
  virtual ADOBESDK_Error GetUserButtonIDAtIndex(unsigned int index, unsigned short** id,
                                                unsigned int* length) const;
  virtual ADOBESDK_Error GetUserButtonDisplayName(const unsigned short* id, unsigned short** name,
                                                  unsigned int* length) const;
  virtual ADOBESDK_Error SetUserButtonCommandID(const unsigned short* buttonId,
                                                const unsigned short* commandId);
  virtual ADOBESDK_Error GetUserButtonCommandID(const unsigned short* buttonId,
                                                unsigned short** commandId,
                                                unsigned int* length) const;
  virtual ADOBESDK_Error ChangeMixerAutomationMode(unsigned int channel, unsigned int mode) const;
  virtual ADOBESDK_Error ChangeLumetriControls() const;
  virtual void OnHardwareCommandAction(unsigned int command, bool pressed);
  virtual void OnHardwareTransportFunction(int function, int value);

  // The request dispatcher: fields of one request (at least three), the reply (empty for every
  // request but "GetParameters").
  std::string ProcessDialforgeCommand(std::vector<std::string> fields);

  // What the host told of its transport and mixer.
  HostNotifications& Notifications() { return notifications; }

  // The handlers tell how the request ended; protocol 1 ignores it.
  // Lumetri handlers.
  RequestOutcome ChangeLumetriParameter(std::string id, float value);
  RequestOutcome ResetParameter(std::string id);
  RequestOutcome ChangeLumetriMenu(std::string menuId);
  RequestOutcome SetMode(unsigned int mode);
  // Address a menu by its position in the host's menu list: "<index> : <value>" and "<index>".
  void ChangeMenuValue(std::string text);
  void ResetMenu(std::string text);

  // Command, navigation and transport handlers.
  RequestOutcome ExecuteCommand(std::string first, std::string second);
  RequestOutcome Navigate(std::string text);
  RequestOutcome Transport(std::vector<std::string> fields);
  void ChangeMixer();

 private:
  // Traces "<name> suite not available" when a part the handler needs is missing.
  bool LumetriAvailable() const;
  bool CommandAvailable() const;
  bool TransportAvailable() const;
  // The identifier of the menu at a position of the host's menu list; false when the host
  // cannot give it, and then the identifier must not reach the host.
  bool ReadMenuIdAt(uint32_t index, AdobeSdkString& menuId) const;

  HostEntry entry;
  SPBasicSuite* basicSuite;
  const ADOBESDK_ControlSurfaceHostSuite1* hostSuite = nullptr;
  const ADOBESDK_ControlSurfaceHostTransportSuite1* transportSuite = nullptr;
  const ADOBESDK_ControlSurfaceHostCommandSuite1* commandSuite = nullptr;
  const ADOBESDK_ControlSurfaceHostMixerSuite1* mixerSuite = nullptr;
  const ADOBESDK_ControlSurfaceHostLumetriSuite1* lumetriSuite = nullptr;
  ADOBESDK_ControlSurfaceHost* host = nullptr;
  ADOBESDK_ControlSurfaceHostTransport* hostTransportRef = nullptr;
  ADOBESDK_ControlSurfaceHostCommand* hostCommandRef = nullptr;
  ADOBESDK_ControlSurfaceHostMixer* hostMixerRef = nullptr;
  ADOBESDK_ControlSurfaceHostLumetri* hostLumetriRef = nullptr;
  HostNotifications notifications;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
