// The built plug-in module in the simulated host, its port file, clients that connect once it
// listens, and the two programs run as child processes.
#ifndef DIALFORGE_TESTS_SUPPORT_MODULESUPPORT_H
#define DIALFORGE_TESTS_SUPPORT_MODULESUPPORT_H

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/PluginModule.h"
#include "host/SimulatedHost.h"
#include "platform/ChildProcess.h"
#include "tests/support/Loopback.h"

namespace dialforge_test {

// The module loaded into a simulated host of its own; Start is left to the test.
struct LoadedModule {
  explicit LoadedModule(dialforge_host::Project project)
      : host(std::move(project)), module(DIALFORGE_MODULE, host) {}

  dialforge_host::SimulatedHost host;
  dialforge_host::PluginModule module;
};

// The suites the host sees held, by name, whatever their versions.
std::map<std::string, int> HeldSuiteCounts(const dialforge_host::SimulatedHost& host);

// The port the port file under the home holds; nothing while it is missing or being written.
std::optional<int> PortInFile(const std::string& home);
// Waits for a port file holding a port other than the one given; 0 when none comes.
int WaitForPort(const std::string& home, std::optional<int> other = std::nullopt);
// A listener may still be opening, or pausing after an earlier client: this retries until a
// connection is made. Null when none is made within the deadline.
std::unique_ptr<LoopbackClient> ConnectWhenListening(int port);
// The reply to one request that has one.
std::string Exchange(LoopbackClient& client, const std::string& request, std::size_t replySize);

// A program run as a child process with the test's environment, its standard input read from
// the given text and its output written to files in the folder. Killed if still running at the
// end of the test.
class ChildProcess {
 public:
  using StopRequest = dialforge_platform::ChildProcess::StopRequest;

  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& folder, const std::string& input = "");

  void RequestStop(StopRequest request) const { process->RequestStop(request); }
  // The exit status (128 + the signal for a program a signal ended), or -1 when the program is
  // still running after the deadline.
  int Wait();
  std::string Output() const;
  std::string Errors() const;

 private:
  std::string outputPath;
  std::string errorsPath;
  std::unique_ptr<dialforge_platform::ChildProcess> process;
};

// Runs the program to its end: the exit status, standard output and standard error.
struct Finished {
  int status;
  std::string output;
  std::string errors;
};
Finished RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& folder, const std::string& input = "");

}  // namespace dialforge_test

#endif
