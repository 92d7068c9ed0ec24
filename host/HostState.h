// The simulated host's state behind its C tables, and the one lock and current host they share.
// Internal to host/: the tables and SimulatedHost use it, always with HostMutex() held.
#ifndef DIALFORGE_HOST_HOSTSTATE_H
#define DIALFORGE_HOST_HOSTSTATE_H

#include <array>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/HostErrors.h"
#include "host/HostStrings.h"
#include "host/HostTransport.h"
#include "host/Journal.h"
#include "host/Operations.h"
#include "host/Project.h"
#include "host/SimulatedHost.h"
#include "host/SurfaceNotifier.h"
#include "sdk/ControlSurfaceHost.h"
#include "sdk/SPSuites.h"

namespace dialforge_host {

class HostState {
 public:
  HostState(Project project, uintptr_t generation);

  // Counts the call and journals it when the operation changes state. Answers the code injected
  // for the operation, or 0; the caller returns a non-zero answer at once.
  ADOBESDK_Error Call(Operation operation, const std::vector<std::string>& arguments = {});
  // The value a state-changing call kept instead of the one asked for.
  void NoteKept(std::string value);
  // Reports the state-changing call under way, if any, with its answer.
  void EndCall(ADOBESDK_Error result);
  void AddViolation(std::string description) { violations.push_back(std::move(description)); }
  // A change the user made at the host: journaled as "User", the action and its arguments.
  void RecordUser(const std::string& action, const std::vector<std::string>& arguments);

  // The transport becomes next; the surface is told what differs.
  void ChangeTransport(const TransportModel& next);
  // The call that shows the playhead's time on the surface.
  SurfaceCall TimeDisplayCall();
  // Queued for the surface, if one is attached.
  void Notify(SurfaceCall call);

  // The text of a string argument. A null pointer answers kHostBadArgument; a string that is
  // not valid answers kHostInvalidString and is a violation.
  const std::string* Argument(Operation operation, const ADOBESDK_String* string,
                              ADOBESDK_Error* error);
  // The text of a string argument for the journal; empty when it has none.
  std::string JournalText(const ADOBESDK_String* string) const;

  ADOBESDK_ControlSurfaceHost* Handle() {
    return reinterpret_cast<ADOBESDK_ControlSurfaceHost*>(&handle);
  }
  template <typename Reference>
  Reference* ReferenceOf() {
    return reinterpret_cast<Reference*>(&std::get<Marker<Reference>>(references));
  }
  template <typename Reference>
  bool Knows(const Reference* reference) const {
    return static_cast<const void*>(reference) == &std::get<Marker<Reference>>(references);
  }
  bool Knows(const ADOBESDK_ControlSurfaceHost* host) const {
    return static_cast<const void*>(host) == &handle;
  }

  MixerChannel* ChannelById(uint32_t id);
  MixerChannel* ChannelAtRow(uint32_t row);
  Component* ComponentAt(uint32_t row, uint32_t index);
  LumetriParameter* Parameter(const std::string& id);
  LumetriMenu* Menu(const std::string& id);
  bool IsCommand(const std::string& contextId, const std::string& commandId) const;

  struct SuiteList {
    bool freed = false;
    std::vector<std::unique_ptr<AddedSuite>> suites;
  };
  // Null when the host did not allocate the list or it was freed.
  SuiteList* FindSuiteList(const SPSuiteList* list);
  const SuiteList* FindSuiteList(const SPSuiteList* list) const;
  SPSuiteList* AllocateSuiteList();

  bool IsMissing(const std::string& suite) const { return missingSuites.count(suite) != 0; }
  void SetMissing(const std::string& suite, bool missing);
  void SetFailure(Operation operation, std::optional<ADOBESDK_Error> code) {
    failures[static_cast<std::size_t>(operation)] = code;
  }

  Project project;
  TransportModel transport;
  SurfaceNotifier* notifier = nullptr;
  HostStrings strings;
  Journal journal;
  ChangeObserver changeObserver;
  std::vector<std::string> violations;
  // Acquired minus released, per name and version; entries at zero are removed.
  std::map<std::pair<std::string, int32_t>, int> held;
  // Lists are kept after they are freed, so a freed list's address never names a new one.
  std::vector<std::unique_ptr<SuiteList>> suiteLists;

 private:
  // Objects whose addresses are the handle and references the host hands out; one per type,
  // so a reference of one suite is never taken for another's.
  struct HandleMarker {
    char unused = 0;
  };
  template <typename Reference>
  struct Marker {
    char unused = 0;
  };

  HandleMarker handle;
  std::tuple<Marker<ADOBESDK_ControlSurfaceHostTransport>,
             Marker<ADOBESDK_ControlSurfaceHostCommand>, Marker<ADOBESDK_ControlSurfaceHostMixer>,
             Marker<ADOBESDK_ControlSurfaceHostLumetri>>
      references;
  std::array<std::optional<ADOBESDK_Error>, kOperationCount> failures{};
  std::optional<ChangeReport> changeUnderWay;
  std::set<std::string> missingSuites;
  std::unordered_map<uint32_t, std::size_t> channelRows;
  std::unordered_map<std::string, std::size_t> parameterRows;
  std::unordered_map<std::string, std::size_t> menuRows;
  std::set<std::pair<std::string, std::string>> commandIds;
  // Texts of host strings the host made itself (time displays): kept, as host strings must be.
  std::set<std::string> hostMadeTexts;
};

// The lock that guards the current host and all its state.
std::mutex& HostMutex();
// The host that the C tables serve, or null; read and set with HostMutex() held.
HostState*& CurrentHost();

// Runs body on the current host with the lock held; nothing it throws leaves the host.
template <typename Body>
ADOBESDK_Error WithCurrentHost(Body&& body) {
  std::lock_guard<std::mutex> lock(HostMutex());
  HostState* host = CurrentHost();
  if (host == nullptr) {
    return kHostNotRunning;
  }
  ADOBESDK_Error result = kHostInternalError;
  try {
    result = body(*host);
  } catch (const std::exception&) {
  }
  host->EndCall(result);
  return result;
}

// The host's tables, in the order of Operations().
SPBasicSuite* BasicSuiteTable();
const void* OfferedSuiteTable(const std::string& name, int32_t version);
const void* StringSuiteTable();
const void* SuitesSuiteTable();
const void* ControlSurfaceHostSuiteTable();
const void* TransportSuiteTable();
const void* CommandSuiteTable();
const void* MixerSuiteTable();
const void* LumetriSuiteTable();

}  // namespace dialforge_host

#endif
