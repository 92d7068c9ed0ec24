// dialforge-host: loads the plug-in module into the simulated host and drives it as the
// video-editing host does, so that the companion application (or dialforge-client) can talk to
// the real plug-in on any machine.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "cli/CommandLine.h"
#include "host/ClientTraces.h"
#include "host/HostErrors.h"
#include "host/LiveView.h"
#include "host/PluginModule.h"
#include "host/Project.h"
#include "host/SimulatedHost.h"
#include "platform/DataFolder.h"
#include "platform/Module.h"
#include "platform/StandardInput.h"
#include "platform/StandardStreams.h"
#include "platform/StopRequests.h"
#include "sdk/ControlSurfaceSuites.h"

namespace {

using dialforge_host::LiveView;
using dialforge_host::PluginInstance;
using dialforge_host::PluginModule;
using dialforge_host::SimulatedHost;

constexpr int kExitServed = 0;
constexpr int kExitCannotStart = dialforge_cli::kExitBadArguments;
constexpr int kExitRuleBroken = 3;

using dialforge_platform::JoinPath;

std::string PortFolder(const std::string& home) {
  return JoinPath(JoinPath(dialforge_platform::DataFolderUnder(home), "PluginData"), "PremierePro");
}

std::string LogsFolder(const std::string& home) {
  return JoinPath(dialforge_platform::DataFolderUnder(home), "Logs");
}

std::string HomeText() {
  return dialforge_platform::HomeVariable();
}

struct Options {
  std::string pluginPath;
  std::string fixturePath;
  std::string journal;
  std::string home;
  bool bareHome = false;
  bool quiet = false;
};

void Say(const std::string& line) {
  std::fputs(("dialforge-host: " + line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

void Complain(const std::string& line) {
  std::fputs(("dialforge-host: " + line + "\n").c_str(), stderr);
}

// Options, or the status to exit with at once (after --help, --version or bad arguments).
std::optional<Options> ParseOptions(int argc, char** argv, int* status) {
  Options options;
  CLI::App app(
      "Runs the Dialforge plug-in in the simulated host until SIGINT or SIGTERM, and "
      "shows each call of the plug-in that changes the project. Lines on standard input act as "
      "the user at the host (play, stop, pause, record, rewind, forward, seek, set, select; "
      "help lists them).",
      "dialforge-host");
  app.add_option("--plugin", options.pluginPath,
                 std::string("The plug-in module (default: ") +
                     dialforge_platform::ModuleFileName() +
                     " next to this program, or where it is installed)")
      ->type_name("PATH");
  app.add_option("--fixture", options.fixturePath,
                 "The project to serve, as JSON (default: the built-in sample project)")
      ->type_name("FILE");
  app.add_option("--journal", options.journal,
                 "Writes a line for each host call that changes the project; - for standard "
                 "output")
      ->type_name("FILE|-");
  app.add_option(
         "--home", options.home,
         "The plug-in's home folder (sets " + HomeText() + "; default: $" + HomeText() + ")")
      ->type_name("DIR");
  app.add_flag("--bare-home", options.bareHome,
               "Does not create the companion application's folders under the home");
  app.add_flag("--quiet", options.quiet, "Does not show the plug-in's calls as they happen");
  const std::string exitStatuses =
      "  0  served until stopped\n"
      "  2  bad arguments, an unreadable fixture, a journal that cannot be "
      "written, or a plug-in that cannot be loaded\n"
      "  3  the plug-in broke a host rule (each named on standard error)\n";
  if (const std::optional<int> exit = dialforge_cli::Parse(app, exitStatuses, argc, argv)) {
    *status = *exit;
    return std::nullopt;
  }
  return options;
}

// The folders the companion application creates before the host loads the plug-in.
bool CreateCompanionFolders(const std::string& home) {
  for (const std::string& folder : {PortFolder(home), LogsFolder(home)}) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::u8path(folder), error);
    if (error) {
      Complain("cannot create " + folder + ": " + error.message());
      return false;
    }
  }
  return true;
}

// The port in the port file; nothing while the file is missing or not yet written.
std::optional<int> PortInFile(const std::string& path) {
  std::ifstream file(std::filesystem::u8path(path));
  std::string digits;
  if (!file || !std::getline(file, digits) || digits.empty() ||
      digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 5) {
    return std::nullopt;
  }
  return std::stoi(digits);
}

// What a host asks a control surface right after connecting it, through the tables the plug-in
// registered.
void QueryControlSurface(const PluginModule& module, ADOBESDK_ControlSurface* surface) {
  const auto* suite = static_cast<const ADOBESDK_ControlSurfaceSuite*>(module.Host().FindSuite(
      module.SuiteList(), kADOBESDK_ControlSurfaceSuite, kADOBESDK_ControlSurfaceSuiteVersion2));
  if (suite == nullptr) {
    Complain(std::string("the plug-in registered no ") + kADOBESDK_ControlSurfaceSuite);
    return;
  }
  if (surface == nullptr) {
    Complain("the plug-in handed out no control surface");
    return;
  }
  const auto check = [](ADOBESDK_Error result, const char* operation) {
    if (result != kADOBESDK_NoError) {
      Complain(std::string(operation) + " answered '" + dialforge_host::CodeText(result) + "'");
    }
  };
  uint32_t flags = 0;
  check(suite->GetControlSurfaceFlags(surface, &flags), "GetControlSurfaceFlags");
  ADOBESDK_ControlSurfaceTransport* transport = nullptr;
  check(suite->GetTransportRef(surface, &transport), "GetTransportRef");
  ADOBESDK_ControlSurfaceMixer* mixer = nullptr;
  check(suite->GetMixerRef(surface, &mixer), "GetMixerRef");
  ADOBESDK_ControlSurfaceCommand* command = nullptr;
  check(suite->GetCommandRef(surface, &command), "GetCommandRef");
}

// Returns once a stop request (SIGINT or SIGTERM; Ctrl-C or Ctrl-Break on Windows) has arrived;
// announces the port as soon as the port file shows it.
void ServeUntilStopRequested(const std::string& home, const std::string& displayString) {
  if (home.empty()) {
    Complain(HomeText() + " is not set, so the plug-in writes no port file");
  }
  const std::string portFile = JoinPath(PortFolder(home), "socket.port");
  constexpr auto kPollInterval = std::chrono::milliseconds(20);
  constexpr auto kIdleWait = std::chrono::hours(1);
  constexpr int kPollsBeforeNote = 100;
  int polls = 0;
  bool announced = home.empty();
  while (!dialforge_platform::TakeStopRequest(announced ? kIdleWait : kPollInterval)) {
    if (announced) {
      continue;
    }
    if (const std::optional<int> port = PortInFile(portFile)) {
      Say("connected to " + displayString + " on port " + std::to_string(*port));
      announced = true;
    } else if (++polls == kPollsBeforeNote) {
      Complain("waiting for the port file " + portFile);
    }
  }
}

// Takes the stop requests that come while the program stops: the second is told and changes
// nothing (the stop still removes what the plug-in published and ends with the summary; `timeout`
// and some shells send a signal to the whole process group as well); the third ends the program
// at once.
class StopRequestsDuringStop {
 public:
  StopRequestsDuringStop() : taker([this] { Take(); }) {}
  ~StopRequestsDuringStop() {
    stopped.store(true);
    taker.join();
  }
  StopRequestsDuringStop(const StopRequestsDuringStop&) = delete;
  StopRequestsDuringStop& operator=(const StopRequestsDuringStop&) = delete;

 private:
  void Take() {
    constexpr auto kPollInterval = std::chrono::milliseconds(20);
    int taken = 0;
    while (!stopped.load()) {
      const std::optional<int> exitStatus = dialforge_platform::TakeStopRequest(kPollInterval);
      if (!exitStatus) {
        continue;
      }
      if (++taken == 1) {
        Complain("stopping; one more signal ends the program at once");
      } else {
        std::_Exit(*exitStatus);
      }
    }
  }

  std::atomic<bool> stopped{false};
  std::thread taker;
};

// The user at the host: each line on standard input is an action of the host's own interface
// (see SimulatedHost::UserAction), answered on standard output. Ends at the end of the input or
// once stopped is set; it looks at stopped every tenth of a second.
void ReadUserLines(SimulatedHost& host, const std::atomic<bool>& stopped) {
  std::string pending;
  char bytes[4096];
  constexpr auto kStopCheckInterval = std::chrono::milliseconds(100);
  while (!stopped.load()) {
    const std::optional<size_t> count =
        dialforge_platform::ReadStandardInput(bytes, sizeof bytes, kStopCheckInterval);
    if (!count) {
      continue;
    }
    if (*count == 0) {
      return;
    }
    pending.append(bytes, *count);
    for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
      const std::string reply = host.UserAction(pending.substr(0, end));
      pending.erase(0, end + 1);
      if (!reply.empty()) {
        Say(reply);
      }
    }
  }
}

std::string HeldSuitesText(const SimulatedHost& host) {
  std::string text;
  for (const dialforge_host::HeldSuite& suite : host.HeldSuites()) {
    text += (text.empty() ? "" : ", ") + suite.name + " v" + std::to_string(suite.version);
    if (suite.count > 1) {
      text += " x" + std::to_string(suite.count);
    }
  }
  return text.empty() ? "none" : text;
}

// Loads, starts and connects the plug-in, serves until a stop signal, then takes it all down in
// the host's order: disconnect, delete the instance, shut down, unload.
int RunPlugin(SimulatedHost& host, const std::string& pluginPath, const std::string& home,
              const LiveView* liveView) {
  std::optional<PluginModule> module;
  std::optional<PluginInstance> instance;
  std::string displayString;
  ADOBESDK_ControlSurface* surface = nullptr;
  try {
    module.emplace(pluginPath, host);
    module->Start();
    instance.emplace(*module);
    // Read and disposed, as a host does with the strings a plug-in hands it.
    instance->PluginID();
    displayString = instance->DisplayString();
    surface = instance->Connect();
  } catch (const std::exception& failure) {
    Complain(std::string("cannot start the plug-in: ") + failure.what());
    return kExitCannotStart;
  }
  if (liveView != nullptr) {
    liveView->Show("plug-in connected");
  }
  QueryControlSurface(*module, surface);
  std::atomic<bool> stopped{false};
  std::thread user([&] { ReadUserLines(host, stopped); });
  ServeUntilStopRequested(home, displayString);
  stopped.store(true);
  user.join();
  const StopRequestsDuringStop laterRequests;
  try {
    instance->Disconnect();
    if (liveView != nullptr) {
      liveView->Show("plug-in disconnected");
    }
  } catch (const std::exception& failure) {
    Complain(failure.what());
  }
  instance.reset();
  module.reset();
  return kExitServed;
}

int Run(int argc, char** argv) {
  dialforge_platform::KeepStandardStreamBytes();
  const LiveView liveView;
  int status = kExitServed;
  const std::optional<Options> options = ParseOptions(argc, argv, &status);
  if (!options) {
    return status;
  }

  // Held before any thread starts, so that every thread inherits that and the requests are only
  // ever taken by TakeStopRequest.
  dialforge_platform::HoldStopRequests();

  dialforge_host::ProjectResult fixture;
  if (options->fixturePath.empty()) {
    fixture.project = dialforge_host::SampleProject();
  } else {
    fixture = dialforge_host::LoadProjectFile(options->fixturePath);
    if (!fixture.Ok()) {
      Complain("cannot use the fixture: " + fixture.error);
      return kExitCannotStart;
    }
  }

  if (!options->home.empty()) {
    dialforge_platform::SetVariable(
        dialforge_platform::HomeVariable(),
        std::filesystem::absolute(std::filesystem::u8path(options->home)).u8string());
  }
  const std::string home =
      dialforge_platform::Variable(dialforge_platform::HomeVariable()).value_or("");
  if (!options->bareHome) {
    if (home.empty()) {
      Complain(HomeText() + " is not set: name the home folder with --home DIR");
      return kExitCannotStart;
    }
    if (!CreateCompanionFolders(home)) {
      return kExitCannotStart;
    }
  }

  std::optional<SimulatedHost> host;
  try {
    host.emplace(std::move(fixture.project));
  } catch (const std::exception& problem) {
    Complain(problem.what());
    return kExitCannotStart;
  }
  host->TellSurfaces(true);
  if (options->journal == "-") {
    host->JournalToStandardOutput();
  } else if (!options->journal.empty() && !host->JournalToFile(options->journal)) {
    Complain("cannot write the journal " + options->journal);
    return kExitCannotStart;
  }

  std::optional<dialforge_host::ClientTraces> clientTraces;
  if (!options->quiet) {
    liveView.Watch(*host);
    clientTraces.emplace([&liveView](const std::string& event) { return liveView.Line(event); });
  }

  const std::string pluginPath = options->pluginPath.empty()
                                     ? dialforge_host::DefaultModulePath(argv[0])
                                     : options->pluginPath;
  status = RunPlugin(*host, pluginPath, home, options->quiet ? nullptr : &liveView);
  if (status != kExitServed) {
    return status;
  }
  for (const std::string& violation : host->Violations()) {
    Complain("host rule broken: " + violation);
  }
  Say("stopped; suites still held: " + HeldSuitesText(*host) +
      "; host strings leaked: " + std::to_string(host->LivePluginStringCount()) +
      "; violations: " + std::to_string(host->ViolationCount()));
  return host->ViolationCount() > 0 ? kExitRuleBroken : kExitServed;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& failure) {
    Complain(failure.what());
    return kExitCannotStart;
  }
}
