// Every operation the simulated host offers, with the suite it belongs to and whether the
// journal records it. Call counts and fault injection are keyed by these names.
#ifndef DIALFORGE_HOST_OPERATIONS_H
#define DIALFORGE_HOST_OPERATIONS_H

#include <cstddef>
#include <string>
#include <vector>

namespace dialforge_host {

enum class Operation {
  AcquireSuite,
  ReleaseSuite,
  AllocateSuiteList,
  FreeSuiteList,
  AddSuite,
  DisposeString,
  AllocateFromUTF8,
  CopyToUTF8,
  AllocateFromUTF16,
  ObtainCommandRef,
  ObtainMixerRef,
  ObtainTransportRef,
  ObtainLumetriRef,
  BeginRewind,
  EndRewind,
  BeginForward,
  EndForward,
  Stop,
  Play,
  Record,
  Pause,
  ToggleCycle,
  GotoPrevious,
  GotoNext,
  GotoStart,
  ShuttleLeft,
  ShuttleStop,
  ShuttleRight,
  JogDial,
  Navigate,
  GetCommandCount,
  GetCommandAtIndex,
  ExecuteCommand,
  GetChannelCount,
  GetChannelID,
  GetChannelState,
  GetChannelFlags,
  GetChannelVolume,
  GetAudioChannelCount,
  GetAudioChannelValue,
  GetPanType,
  GetChannelName,
  HasComponent,
  GetComponentName,
  GetComponentBypass,
  GetComponentParameterCount,
  GetComponentParameterName,
  GetComponentParameterText,
  GetComponentParameterValue,
  SetAutomationMode,
  GetParameterCount,
  GetParameterAtIndex,
  GetParameterValue,
  SetParameterValue,
  ResetParameter,
  GetMenuCount,
  GetMenuAtIndex,
  GetMenuValue,
  SetMenuValue,
  ResetMenu,
  SetPanelMode,
};

constexpr std::size_t kOperationCount = static_cast<std::size_t>(Operation::SetPanelMode) + 1;

struct OperationInfo {
  Operation operation;
  const char* name;
  // The suite's name as AcquireSuite takes it; "SPBasicSuite" for the basic suite itself.
  const char* suite;
  // The suite's label in journal lines; null for operations the journal does not record.
  const char* journalLabel;
};

// All operations, in the order of the enumeration.
const std::vector<OperationInfo>& Operations();
const OperationInfo& InfoOf(Operation operation);
// Null when no operation has that name.
const OperationInfo* FindOperation(const std::string& name);
// Whether AcquireSuite offers a suite of that name (the basic suite itself is not acquired).
bool IsOfferedSuite(const std::string& name);

}  // namespace dialforge_host

#endif
