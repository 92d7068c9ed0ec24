#include "host/SimulatedHost.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "host/HostState.h"
#include "host/HostTransport.h"
#include "host/Journal.h"
#include "host/SurfaceNotifier.h"

namespace dialforge_host {

namespace {

const OperationInfo& NamedOperation(const std::string& name) {
  const OperationInfo* info = FindOperation(name);
  if (info == nullptr) {
    throw std::invalid_argument("\"" + name + "\" is not an operation of the simulated host");
  }
  return *info;
}

}  // namespace

SimulatedHost::SimulatedHost(Project project) {
  if (std::string problem = ProjectProblem(project); !problem.empty()) {
    throw std::invalid_argument("the simulated host cannot serve the project: " + problem);
  }
  static uintptr_t lastGeneration = 0;
  std::lock_guard<std::mutex> lock(HostMutex());
  if (CurrentHost() != nullptr) {
    throw std::logic_error(
        "a SimulatedHost already exists in this process: its suites have no context pointer, "
        "so only one host can serve them at a time");
  }
  state = std::make_unique<HostState>(std::move(project), ++lastGeneration);
  HostState* served = state.get();
  notifier = std::make_unique<SurfaceNotifier>([served]() -> std::optional<SurfaceCall> {
    std::lock_guard<std::mutex> lock(HostMutex());
    if (!served->transport.playing) {
      return std::nullopt;
    }
    served->transport.playheadMs += SurfaceNotifier::kPlayheadStep.count();
    return served->TimeDisplayCall();
  });
  state->notifier = notifier.get();
  CurrentHost() = state.get();
}

SimulatedHost::~SimulatedHost() {
  // First, and without the lock: the notifier's thread takes it to move the playhead.
  notifier->Detach();
  std::lock_guard<std::mutex> lock(HostMutex());
  CurrentHost() = nullptr;
}

void SimulatedHost::AttachSurface(const SPSuiteList* list, ADOBESDK_ControlSurface* surface) {
  SurfaceTables tables;
  const auto* base = static_cast<const ADOBESDK_ControlSurfaceSuite*>(
      FindSuite(list, kADOBESDK_ControlSurfaceSuite, kADOBESDK_ControlSurfaceSuiteVersion2));
  if (base == nullptr || surface == nullptr) {
    return;
  }
  tables.transport = static_cast<const ADOBESDK_ControlSurfaceTransportSuite1*>(
      FindSuite(list, kADOBESDK_ControlSurfaceTransportSuite,
                kADOBESDK_ControlSurfaceTransportSuiteVersion1));
  tables.mixer = static_cast<const ADOBESDK_ControlSurfaceMixerSuite2*>(FindSuite(
      list, kADOBESDK_ControlSurfaceMixerSuite, kADOBESDK_ControlSurfaceMixerSuiteVersion2));
  if (tables.transport == nullptr || tables.mixer == nullptr ||
      base->GetTransportRef(surface, &tables.transportRef) != kADOBESDK_NoError ||
      base->GetMixerRef(surface, &tables.mixerRef) != kADOBESDK_NoError) {
    return;
  }
  notifier->Attach(tables);
  attachedSurface = surface;
}

void SimulatedHost::DetachSurface(ADOBESDK_ControlSurface* surface) {
  if (surface != nullptr && surface == attachedSurface) {
    notifier->Detach();
    attachedSurface = nullptr;
  }
}

std::string SimulatedHost::UserAction(const std::string& line) {
  std::vector<std::string> words;
  for (size_t at = 0; at < line.size();) {
    const size_t start = line.find_first_not_of(" \t\r", at);
    if (start == std::string::npos) {
      break;
    }
    const size_t end = std::min(line.find_first_of(" \t\r", start), line.size());
    words.push_back(line.substr(start, end - start));
    at = end;
  }
  if (words.empty()) {
    return std::string();
  }
  const std::string& action = words[0];
  const std::vector<std::string> arguments(words.begin() + 1, words.end());
  static const std::map<std::string, Operation> kTransport = {{"play", Operation::Play},
                                                              {"stop", Operation::Stop},
                                                              {"pause", Operation::Pause},
                                                              {"record", Operation::Record}};
  std::lock_guard<std::mutex> lock(HostMutex());
  HostState& host = *state;
  if (const auto found = kTransport.find(action); found != kTransport.end() && words.size() == 1) {
    host.RecordUser(action, arguments);
    host.ChangeTransport(AfterTransportAction(host.transport, found->second));
    return action;
  }
  if ((action == "rewind" || action == "forward") && words.size() == 1) {
    const bool rewind = action == "rewind";
    const bool going = rewind ? host.transport.rewinding : host.transport.forwarding;
    const Operation operation = rewind ? (going ? Operation::EndRewind : Operation::BeginRewind)
                                       : (going ? Operation::EndForward : Operation::BeginForward);
    host.RecordUser(action, arguments);
    host.ChangeTransport(AfterTransportAction(host.transport, operation));
    return action + (going ? " ended" : " begun");
  }
  if (action == "seek" && words.size() == 2) {
    const std::optional<uint64_t> position = ParseTimecode(words[1]);
    if (!position) {
      return "not a timecode (HH:MM:SS:FF, 25 frames a second): " + words[1];
    }
    TransportModel next = host.transport;
    next.playheadMs = *position;
    host.RecordUser(action, arguments);
    host.ChangeTransport(next);
    return "at " + Timecode(*position);
  }
  if (action == "set" && words.size() == 3) {
    char* end = nullptr;
    const float value = std::strtof(words[2].c_str(), &end);
    if (*end != '\0' || words[2].empty() || !std::isfinite(value)) {
      return "not a number: " + words[2];
    }
    if (LumetriParameter* parameter = host.Parameter(words[1])) {
      parameter->value = std::clamp(value, parameter->minimum, parameter->maximum);
      host.RecordUser(action, {words[1], FloatField(parameter->value)});
      return words[1] + " is " + FloatField(parameter->value);
    }
    // A mixer component parameter: "<channel id>/<component index>/<parameter index>".
    unsigned channelId = 0;
    unsigned index = 0;
    unsigned parameterIndex = 0;
    char extra = 0;
    if (std::sscanf(words[1].c_str(), "%u/%u/%u%c", &channelId, &index, &parameterIndex, &extra) ==
        3) {
      MixerChannel* channel = host.ChannelById(channelId);
      const auto row = channel != nullptr
                           ? static_cast<uint32_t>(channel - host.project.mixer.channels.data())
                           : 0;
      Component* component = channel != nullptr ? host.ComponentAt(row, index) : nullptr;
      if (component != nullptr && parameterIndex < component->parameters.size()) {
        component->parameters[parameterIndex].value = value;
        host.RecordUser(action, {words[1], FloatField(value)});
        host.Notify([row, index, parameterIndex, value](const SurfaceTables& surface) {
          surface.mixer->SetComponentParameter(surface.mixerRef, row, index, parameterIndex, value);
        });
        return words[1] + " is " + FloatField(value);
      }
    }
    return "no parameter " + words[1];
  }
  if (action == "select" && words.size() == 2) {
    char* end = nullptr;
    const unsigned long channelId = std::strtoul(words[1].c_str(), &end, 10);
    if (*end != '\0' || words[1].empty() || channelId > UINT32_MAX ||
        host.ChannelById(static_cast<uint32_t>(channelId)) == nullptr) {
      return "no channel " + words[1];
    }
    host.RecordUser(action, arguments);
    host.Notify(
        [](const SurfaceTables& surface) { surface.mixer->SelectionChanged(surface.mixerRef); });
    return "channel " + words[1] + " selected";
  }
  return "play, stop, pause, record: the transport; rewind, forward: begin or end winding; "
         "seek HH:MM:SS:FF; set <Lumetri parameter id> <value>; "
         "set <channel id>/<component index>/<parameter index> <value>; select <channel id>; help";
}

SPBasicSuite* SimulatedHost::BasicSuite() const {
  return BasicSuiteTable();
}

ADOBESDK_ControlSurfaceHost* SimulatedHost::HostHandle() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->Handle();
}

int SimulatedHost::HeldCount(const std::string& name, int32_t version) const {
  std::lock_guard<std::mutex> lock(HostMutex());
  const auto found = state->held.find({name, version});
  return found == state->held.end() ? 0 : found->second;
}

std::vector<HeldSuite> SimulatedHost::HeldSuites() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  std::vector<HeldSuite> suites;
  for (const auto& [suite, count] : state->held) {
    suites.push_back({suite.first, suite.second, count});
  }
  return suites;
}

std::vector<AddedSuite> SimulatedHost::SuiteListEntries(const SPSuiteList* list) const {
  std::lock_guard<std::mutex> lock(HostMutex());
  std::vector<AddedSuite> entries;
  if (const HostState::SuiteList* found = state->FindSuiteList(list)) {
    for (const std::unique_ptr<AddedSuite>& suite : found->suites) {
      entries.push_back(*suite);
    }
  }
  return entries;
}

const void* SimulatedHost::FindSuite(const SPSuiteList* list, const std::string& name,
                                     int32_t version) const {
  std::lock_guard<std::mutex> lock(HostMutex());
  if (const HostState::SuiteList* found = state->FindSuiteList(list)) {
    for (const std::unique_ptr<AddedSuite>& suite : found->suites) {
      if (suite->name == name && suite->version == version) {
        return suite->table;
      }
    }
  }
  return nullptr;
}

std::vector<const SPSuiteList*> SimulatedHost::LiveSuiteLists() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  std::vector<const SPSuiteList*> lists;
  for (const std::unique_ptr<HostState::SuiteList>& list : state->suiteLists) {
    if (!list->freed) {
      lists.push_back(reinterpret_cast<const SPSuiteList*>(list.get()));
    }
  }
  return lists;
}

std::size_t SimulatedHost::LivePluginStringCount() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->strings.LiveCount();
}

std::vector<std::string> SimulatedHost::LivePluginStringTexts() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->strings.LiveTexts();
}

std::size_t SimulatedHost::ViolationCount() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->violations.size();
}

std::vector<std::string> SimulatedHost::Violations() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->violations;
}

void SimulatedHost::SetFailure(const std::string& operation, ADOBESDK_Error code) {
  const OperationInfo& info = NamedOperation(operation);
  if (code == kADOBESDK_NoError) {
    throw std::invalid_argument("a failure of \"" + operation + "\" needs a non-zero code");
  }
  std::lock_guard<std::mutex> lock(HostMutex());
  state->SetFailure(info.operation, code);
}

void SimulatedHost::ClearFailure(const std::string& operation) {
  const OperationInfo& info = NamedOperation(operation);
  std::lock_guard<std::mutex> lock(HostMutex());
  state->SetFailure(info.operation, std::nullopt);
}

void SimulatedHost::ClearFailures() {
  std::lock_guard<std::mutex> lock(HostMutex());
  for (const OperationInfo& info : Operations()) {
    state->SetFailure(info.operation, std::nullopt);
  }
}

void SimulatedHost::SetSuiteMissing(const std::string& suite, bool missing) {
  if (!IsOfferedSuite(suite)) {
    throw std::invalid_argument("\"" + suite + "\" is not a suite the simulated host offers");
  }
  std::lock_guard<std::mutex> lock(HostMutex());
  state->SetMissing(suite, missing);
}

bool SimulatedHost::JournalToFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->journal.WriteToFile(path);
}

void SimulatedHost::JournalToStandardOutput() {
  std::lock_guard<std::mutex> lock(HostMutex());
  state->journal.WriteToStandardOutput();
}

void SimulatedHost::JournalInMemoryOnly() {
  std::lock_guard<std::mutex> lock(HostMutex());
  state->journal.KeepInMemoryOnly();
}

void SimulatedHost::ObserveChanges(ChangeObserver observer) {
  std::lock_guard<std::mutex> lock(HostMutex());
  state->changeObserver = std::move(observer);
}

std::vector<std::string> SimulatedHost::JournalLines() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->journal.Lines();
}

void SimulatedHost::ClearJournalLines() {
  std::lock_guard<std::mutex> lock(HostMutex());
  state->journal.ClearLines();
}

uint64_t SimulatedHost::CallCount(const std::string& operation) const {
  const OperationInfo& info = NamedOperation(operation);
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->journal.CallCount(info.operation);
}

std::map<std::string, uint64_t> SimulatedHost::CallCounts() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  std::map<std::string, uint64_t> counts;
  for (const OperationInfo& info : Operations()) {
    counts[info.name] = state->journal.CallCount(info.operation);
  }
  return counts;
}

Project SimulatedHost::ProjectState() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->project;
}

std::optional<float> SimulatedHost::ParameterValue(const std::string& id) const {
  std::lock_guard<std::mutex> lock(HostMutex());
  const LumetriParameter* parameter = state->Parameter(id);
  return parameter == nullptr ? std::nullopt : std::optional<float>(parameter->value);
}

std::optional<uint32_t> SimulatedHost::MenuChoiceIndex(const std::string& id) const {
  std::lock_guard<std::mutex> lock(HostMutex());
  const LumetriMenu* menu = state->Menu(id);
  return menu == nullptr ? std::nullopt : std::optional<uint32_t>(menu->value);
}

std::optional<std::string> SimulatedHost::MenuChoice(const std::string& id) const {
  std::lock_guard<std::mutex> lock(HostMutex());
  const LumetriMenu* menu = state->Menu(id);
  if (menu == nullptr) {
    return std::nullopt;
  }
  return menu->choices.empty() ? std::string() : menu->choices[menu->value];
}

uint32_t SimulatedHost::PanelMode() const {
  std::lock_guard<std::mutex> lock(HostMutex());
  return state->project.lumetri.panelMode;
}

std::optional<uint32_t> SimulatedHost::AutomationMode(uint32_t channelId) const {
  std::lock_guard<std::mutex> lock(HostMutex());
  const MixerChannel* channel = state->ChannelById(channelId);
  return channel == nullptr ? std::nullopt : std::optional<uint32_t>(channel->automationMode);
}

}  // namespace dialforge_host
