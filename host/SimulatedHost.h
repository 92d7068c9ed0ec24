// The simulated host: every host suite of sdk/ over an in-memory project, with acquisition and
// string bookkeeping, fault injection and a journal of the plug-in's calls. Like a real host it
// tells an attached control surface what changes, on a thread of its own.
//
// The host's C tables carry no context pointer, so one SimulatedHost at a time is the process's
// current host: constructing a second while one lives throws std::logic_error. Every table call
// and every member function takes the host's one lock, so the plug-in's threads and the test's
// thread may call at once. The host calls into the plug-in only from its notifier thread, never
// with its lock held.
#ifndef DIALFORGE_HOST_SIMULATEDHOST_H
#define DIALFORGE_HOST_SIMULATEDHOST_H

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/HostErrors.h"
#include "host/Operations.h"
#include "host/Project.h"
#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHost.h"
#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPBasic.h"
#include "sdk/SPSuites.h"

namespace dialforge_host {

class HostState;
class SurfaceNotifier;

// A suite the plug-in added to one of its suite lists.
struct AddedSuite {
  std::string name;
  int32_t version = 0;
  int32_t internalVersion = 0;
  const void* table = nullptr;
};

// A call that changes the project, as the host answered it.
struct ChangeReport {
  const OperationInfo* operation = nullptr;
  // As the journal writes them.
  std::vector<std::string> arguments;
  ADOBESDK_Error result = kADOBESDK_NoError;
  // The value the host kept when it took another than the one asked for (a clamped parameter,
  // a menu stopped at its last choice); empty otherwise.
  std::string kept;
  // For a change the user made at the host (operation then null): the user's action.
  std::string userAction;
};
using ChangeObserver = std::function<void(const ChangeReport&)>;

// A suite the plug-in holds: acquired count times more than released.
struct HeldSuite {
  std::string name;
  int32_t version = 0;
  int count = 0;
};

class SimulatedHost {
 public:
  // Throws std::invalid_argument when ProjectProblem finds a fault in the project, and
  // std::logic_error when another SimulatedHost exists.
  explicit SimulatedHost(Project project);
  ~SimulatedHost();
  SimulatedHost(const SimulatedHost&) = delete;
  SimulatedHost& operator=(const SimulatedHost&) = delete;

  // What the host hands a plug-in: the basic suite for its EntryPoint, and the handle for
  // Connect, which several plug-in instances may share.
  SPBasicSuite* BasicSuite() const;
  ADOBESDK_ControlSurfaceHost* HostHandle() const;

  // Whether PluginInstance::Connect attaches the surface it gets, so that the host tells it of
  // its changes on the notifier thread. Off until asked for: that thread is one more in the
  // process, which tests that count the plug-in's threads must not see. dialforge-host turns it
  // on.
  void TellSurfaces(bool on) { tellSurfaces = on; }
  bool TellsSurfaces() const { return tellSurfaces; }
  // The control surface the plug-in handed back from Connect, reached through the tables in the
  // plug-in's suite list; a later one takes its place. Detaching the attached surface returns
  // once no notification runs any more; another surface is left as it is.
  void AttachSurface(const SPSuiteList* list, ADOBESDK_ControlSurface* surface);
  void DetachSurface(ADOBESDK_ControlSurface* surface);
  // A line the user typed at the host (play, stop, pause, record, rewind, forward,
  // seek <timecode>, set <parameter id> <value>, select <channel id>, help): what the host says
  // back. The project changes as the host's own user interface would change it.
  std::string UserAction(const std::string& line);

  // Acquisitions currently held.
  int HeldCount(const std::string& name, int32_t version) const;
  std::vector<HeldSuite> HeldSuites() const;

  // The plug-in's suite lists. Unknown or freed lists have no entries and find nothing.
  std::vector<AddedSuite> SuiteListEntries(const SPSuiteList* list) const;
  const void* FindSuite(const SPSuiteList* list, const std::string& name, int32_t version) const;
  // Lists allocated and not yet freed, in the order they were allocated.
  std::vector<const SPSuiteList*> LiveSuiteLists() const;

  // Strings the plug-in made and has not disposed, and what it did wrong.
  std::size_t LivePluginStringCount() const;
  std::vector<std::string> LivePluginStringTexts() const;
  std::size_t ViolationCount() const;
  std::vector<std::string> Violations() const;

  // Fault injection. Operation names are those of Operations(); an unknown one throws
  // std::invalid_argument, as does a suite name the host does not offer.
  void SetFailure(const std::string& operation, ADOBESDK_Error code);
  void ClearFailure(const std::string& operation);
  void ClearFailures();
  void SetSuiteMissing(const std::string& suite, bool missing);

  // The journal. Lines are always kept in memory; output goes to at most one place.
  // JournalToFile answers false when the file cannot be opened, and keeps the output it had.
  bool JournalToFile(const std::string& path);
  void JournalToStandardOutput();
  void JournalInMemoryOnly();
  std::vector<std::string> JournalLines() const;
  // Called once a journaled call has been answered, on the calling thread with the host's lock
  // held: it must not call the host. Null stops the reports.
  void ObserveChanges(ChangeObserver observer);
  void ClearJournalLines();
  // Calls of the named operation, read-only ones included; throws std::invalid_argument for a
  // name that is not an operation.
  uint64_t CallCount(const std::string& operation) const;
  std::map<std::string, uint64_t> CallCounts() const;

  // The model as it is now.
  Project ProjectState() const;
  std::optional<float> ParameterValue(const std::string& id) const;
  std::optional<uint32_t> MenuChoiceIndex(const std::string& id) const;
  std::optional<std::string> MenuChoice(const std::string& id) const;
  uint32_t PanelMode() const;
  std::optional<uint32_t> AutomationMode(uint32_t channelId) const;

 private:
  std::unique_ptr<HostState> state;
  std::unique_ptr<SurfaceNotifier> notifier;
  ADOBESDK_ControlSurface* attachedSurface = nullptr;  // the caller's thread only
  bool tellSurfaces = false;
};

}  // namespace dialforge_host

#endif
