#include "host/HostState.h"

namespace dialforge_host {

std::mutex& HostMutex() {
  static std::mutex mutex;
  return mutex;
}

HostState*& CurrentHost() {
  static HostState* current = nullptr;
  return current;
}

HostState::HostState(Project model, uintptr_t generation)
    : project(std::move(model)), strings(generation) {
  for (std::size_t row = 0; row < project.mixer.channels.size(); ++row) {
    channelRows.emplace(project.mixer.channels[row].id, row);
  }
  for (std::size_t i = 0; i < project.lumetri.parameters.size(); ++i) {
    parameterRows.emplace(project.lumetri.parameters[i].id, i);
  }
  for (std::size_t i = 0; i < project.lumetri.menus.size(); ++i) {
    menuRows.emplace(project.lumetri.menus[i].id, i);
  }
  for (const Command& command : project.commands) {
    commandIds.emplace(command.contextId, command.commandId);
  }
  missingSuites.insert(project.missingSuites.begin(), project.missingSuites.end());
  for (const auto& [operation, code] : project.failures) {
    SetFailure(FindOperation(operation)->operation, code);
  }
}

ADOBESDK_Error HostState::Call(Operation operation, const std::vector<std::string>& arguments) {
  journal.Count(operation);
  const OperationInfo& info = InfoOf(operation);
  if (info.journalLabel != nullptr) {
    journal.Record(info, arguments);
    if (changeObserver) {
      changeUnderWay =
          ChangeReport{&info, arguments, kADOBESDK_NoError, std::string(), std::string()};
    }
  }
  return failures[static_cast<std::size_t>(operation)].value_or(kADOBESDK_NoError);
}

void HostState::NoteKept(std::string value) {
  if (changeUnderWay) {
    changeUnderWay->kept = std::move(value);
  }
}

void HostState::EndCall(ADOBESDK_Error result) {
  if (!changeUnderWay) {
    return;
  }
  ChangeReport report = std::move(*changeUnderWay);
  changeUnderWay.reset();
  report.result = result;
  if (result != kADOBESDK_NoError) {
    report.kept.clear();
  }
  changeObserver(report);
}

const std::string* HostState::Argument(Operation operation, const ADOBESDK_String* string,
                                       ADOBESDK_Error* error) {
  if (string == nullptr) {
    *error = kHostBadArgument;
    return nullptr;
  }
  const char* problem = nullptr;
  const std::string* text = strings.Resolve(*string, &problem);
  if (text == nullptr) {
    AddViolation(std::string(InfoOf(operation).name) + ": a string argument " + problem);
    *error = kHostInvalidString;
  }
  return text;
}

std::string HostState::JournalText(const ADOBESDK_String* string) const {
  const char* problem = nullptr;
  const std::string* text = string == nullptr ? nullptr : strings.Resolve(*string, &problem);
  return text == nullptr ? std::string() : *text;
}

MixerChannel* HostState::ChannelById(uint32_t id) {
  const auto found = channelRows.find(id);
  return found == channelRows.end() ? nullptr : &project.mixer.channels[found->second];
}

MixerChannel* HostState::ChannelAtRow(uint32_t row) {
  return row < project.mixer.channels.size() ? &project.mixer.channels[row] : nullptr;
}

Component* HostState::ComponentAt(uint32_t row, uint32_t index) {
  MixerChannel* channel = ChannelAtRow(row);
  if (channel == nullptr) {
    return nullptr;
  }
  for (Component& component : channel->components) {
    if (component.index == index) {
      return &component;
    }
  }
  return nullptr;
}

LumetriParameter* HostState::Parameter(const std::string& id) {
  const auto found = parameterRows.find(id);
  return found == parameterRows.end() ? nullptr : &project.lumetri.parameters[found->second];
}

LumetriMenu* HostState::Menu(const std::string& id) {
  const auto found = menuRows.find(id);
  return found == menuRows.end() ? nullptr : &project.lumetri.menus[found->second];
}

bool HostState::IsCommand(const std::string& contextId, const std::string& commandId) const {
  return commandIds.count({contextId, commandId}) != 0;
}

HostState::SuiteList* HostState::FindSuiteList(const SPSuiteList* list) {
  for (const std::unique_ptr<SuiteList>& candidate : suiteLists) {
    if (static_cast<const void*>(candidate.get()) == static_cast<const void*>(list)) {
      return candidate->freed ? nullptr : candidate.get();
    }
  }
  return nullptr;
}

const HostState::SuiteList* HostState::FindSuiteList(const SPSuiteList* list) const {
  return const_cast<HostState*>(this)->FindSuiteList(list);
}

SPSuiteList* HostState::AllocateSuiteList() {
  suiteLists.push_back(std::make_unique<SuiteList>());
  return reinterpret_cast<SPSuiteList*>(suiteLists.back().get());
}

void HostState::SetMissing(const std::string& suite, bool missing) {
  if (missing) {
    missingSuites.insert(suite);
  } else {
    missingSuites.erase(suite);
  }
}

}  // namespace dialforge_host

namespace dialforge_host {

void HostState::RecordUser(const std::string& action, const std::vector<std::string>& arguments) {
  journal.RecordUser(action, arguments);
  if (changeObserver) {
    ChangeReport report;
    report.userAction = action;
    report.arguments = arguments;
    changeObserver(report);
  }
}

void HostState::Notify(SurfaceCall call) {
  if (notifier != nullptr) {
    notifier->Post(std::move(call));
  }
}

SurfaceCall HostState::TimeDisplayCall() {
  const std::string& text = *hostMadeTexts.insert(Timecode(transport.playheadMs)).first;
  ADOBESDK_String time{};
  strings.Fill(&time, text);
  return [time](const SurfaceTables& surface) {
    surface.transport->SetTimeDisplay(surface.transportRef, kTimeDisplayFormat, &time);
  };
}

void HostState::ChangeTransport(const TransportModel& next) {
  using Setter = ADOBESDK_Error (*ADOBESDK_ControlSurfaceTransportSuite1::*)(
      ADOBESDK_ControlSurfaceTransport*, ADOBESDK_Boolean);
  const struct {
    bool TransportModel::*flag;
    Setter setter;
  } flags[] = {
      {&TransportModel::stopped, &ADOBESDK_ControlSurfaceTransportSuite1::SetStopState},
      {&TransportModel::playing, &ADOBESDK_ControlSurfaceTransportSuite1::SetPlayState},
      {&TransportModel::recording, &ADOBESDK_ControlSurfaceTransportSuite1::SetRecordState},
      {&TransportModel::rewinding, &ADOBESDK_ControlSurfaceTransportSuite1::SetRewindState},
      {&TransportModel::forwarding, &ADOBESDK_ControlSurfaceTransportSuite1::SetForwardState},
      {&TransportModel::cycle, &ADOBESDK_ControlSurfaceTransportSuite1::SetCycleState},
      {&TransportModel::paused, &ADOBESDK_ControlSurfaceTransportSuite1::SetPauseState},
  };
  const TransportModel before = transport;
  transport = next;
  for (const auto& entry : flags) {
    if (before.*entry.flag != next.*entry.flag) {
      const ADOBESDK_Boolean state = next.*entry.flag ? 1 : 0;
      const Setter setter = entry.setter;
      Notify([setter, state](const SurfaceTables& surface) {
        (surface.transport->*setter)(surface.transportRef, state);
      });
    }
  }
  if (before.playheadMs != next.playheadMs) {
    Notify(TimeDisplayCall());
  }
  if (notifier != nullptr) {
    notifier->Playing(next.playing);
  }
}

}  // namespace dialforge_host
