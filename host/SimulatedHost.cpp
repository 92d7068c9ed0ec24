#include "host/SimulatedHost.h"

#include <stdexcept>

#include "host/HostState.h"

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
  CurrentHost() = state.get();
}

SimulatedHost::~SimulatedHost() {
  std::lock_guard<std::mutex> lock(HostMutex());
  CurrentHost() = nullptr;
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
