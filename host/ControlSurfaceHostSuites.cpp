// The host suite that hands out references, and the transport and command suites.
#include "host/HostState.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostTransport.h"

namespace dialforge_host {

namespace {

template <Operation kOperation, typename Reference>
ADOBESDK_Error Host_ObtainRef(ADOBESDK_ControlSurfaceHost* handle, Reference** reference) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(kOperation)) {
      return failure;
    }
    if (!host.Knows(handle)) {
      return kHostUnknownReference;
    }
    if (reference == nullptr) {
      return kHostBadArgument;
    }
    *reference = host.ReferenceOf<Reference>();
    return kADOBESDK_NoError;
  });
}

template <Operation kOperation>
ADOBESDK_Error Transport_Action(ADOBESDK_ControlSurfaceHostTransport* transport) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(kOperation)) {
      return failure;
    }
    if (!host.Knows(transport)) {
      return kHostUnknownReference;
    }
    host.ChangeTransport(AfterTransportAction(host.transport, kOperation));
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Transport_JogDial(ADOBESDK_ControlSurfaceHostTransport* transport,
                                 ADOBESDK_Boolean flag, float first, float second) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(
            Operation::JogDial, {FlagField(flag), FloatField(first), FloatField(second)})) {
      return failure;
    }
    return host.Knows(transport) ? kADOBESDK_NoError : kHostUnknownReference;
  });
}

ADOBESDK_Error Command_Navigate(ADOBESDK_ControlSurfaceHostCommand* command,
                                ADOBESDK_Boolean firstFlag, int32_t first, int32_t second,
                                ADOBESDK_Boolean secondFlag) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure =
            host.Call(Operation::Navigate, {FlagField(firstFlag), std::to_string(first),
                                            std::to_string(second), FlagField(secondFlag)})) {
      return failure;
    }
    return host.Knows(command) ? kADOBESDK_NoError : kHostUnknownReference;
  });
}

ADOBESDK_Error Command_GetCommandCount(ADOBESDK_ControlSurfaceHostCommand* command,
                                       uint32_t* count) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::GetCommandCount)) {
      return failure;
    }
    if (!host.Knows(command)) {
      return kHostUnknownReference;
    }
    if (count == nullptr) {
      return kHostBadArgument;
    }
    *count = static_cast<uint32_t>(host.project.commands.size());
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Command_GetCommandAtIndex(ADOBESDK_ControlSurfaceHostCommand* command,
                                         uint32_t index, ADOBESDK_String* contextId,
                                         ADOBESDK_String* contextName, ADOBESDK_String* commandId,
                                         ADOBESDK_String* commandName) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::GetCommandAtIndex)) {
      return failure;
    }
    if (!host.Knows(command)) {
      return kHostUnknownReference;
    }
    if (contextId == nullptr || contextName == nullptr || commandId == nullptr ||
        commandName == nullptr) {
      return kHostBadArgument;
    }
    if (index >= host.project.commands.size()) {
      return kHostUnknownItem;
    }
    const Command& listed = host.project.commands[index];
    host.strings.Fill(contextId, listed.contextId);
    host.strings.Fill(contextName, listed.contextName);
    host.strings.Fill(commandId, listed.commandId);
    host.strings.Fill(commandName, listed.commandName);
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Command_ExecuteCommand(ADOBESDK_ControlSurfaceHostCommand* command,
                                      const ADOBESDK_String* first, const ADOBESDK_String* second) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::ExecuteCommand,
                                           {host.JournalText(first), host.JournalText(second)})) {
      return failure;
    }
    if (!host.Knows(command)) {
      return kHostUnknownReference;
    }
    ADOBESDK_Error error = kADOBESDK_NoError;
    const std::string* contextId = host.Argument(Operation::ExecuteCommand, first, &error);
    const std::string* commandId = host.Argument(Operation::ExecuteCommand, second, &error);
    if (contextId == nullptr || commandId == nullptr) {
      return error;
    }
    return host.IsCommand(*contextId, *commandId) ? kADOBESDK_NoError : kHostUnknownItem;
  });
}

const ADOBESDK_ControlSurfaceHostSuite1 kControlSurfaceHostSuite = [] {
  ADOBESDK_ControlSurfaceHostSuite1 suite{};
  suite.ObtainCommandRef = Host_ObtainRef<Operation::ObtainCommandRef>;
  suite.ObtainMixerRef = Host_ObtainRef<Operation::ObtainMixerRef>;
  suite.ObtainTransportRef = Host_ObtainRef<Operation::ObtainTransportRef>;
  suite.ObtainLumetriRef = Host_ObtainRef<Operation::ObtainLumetriRef>;
  return suite;
}();

const ADOBESDK_ControlSurfaceHostTransportSuite1 kTransportSuite = {
    Transport_Action<Operation::BeginRewind>,  Transport_Action<Operation::EndRewind>,
    Transport_Action<Operation::BeginForward>, Transport_Action<Operation::EndForward>,
    Transport_Action<Operation::Stop>,         Transport_Action<Operation::Play>,
    Transport_Action<Operation::Record>,       Transport_Action<Operation::Pause>,
    Transport_Action<Operation::ToggleCycle>,  Transport_Action<Operation::GotoPrevious>,
    Transport_Action<Operation::GotoNext>,     Transport_Action<Operation::GotoStart>,
    Transport_Action<Operation::ShuttleLeft>,  Transport_Action<Operation::ShuttleStop>,
    Transport_Action<Operation::ShuttleRight>, Transport_JogDial,
};

const ADOBESDK_ControlSurfaceHostCommandSuite1 kCommandSuite = {
    Command_Navigate, Command_GetCommandCount, Command_GetCommandAtIndex, Command_ExecuteCommand};

}  // namespace

const void* ControlSurfaceHostSuiteTable() {
  return &kControlSurfaceHostSuite;
}
const void* TransportSuiteTable() {
  return &kTransportSuite;
}
const void* CommandSuiteTable() {
  return &kCommandSuite;
}

}  // namespace dialforge_host
