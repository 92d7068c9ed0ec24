// A program run as a child process, as a person or a script runs it: with arguments, this
// process's environment, standard input read from a file and its output written to files.
#ifndef DIALFORGE_PLATFORM_CHILDPROCESS_H
#define DIALFORGE_PLATFORM_CHILDPROCESS_H

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dialforge_platform {

class ChildProcess {
 public:
  // How a person asks a console program to stop: SIGINT or SIGTERM; on Windows both are a
  // Ctrl-C in the program's own console.
  enum class StopRequest { Interrupt, Terminate };

  // Throws std::runtime_error when the program cannot be started.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& inputPath, const std::string& outputPath,
               const std::string& errorsPath);
  // Ends the program at once if it still runs.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void RequestStop(StopRequest request) const;
  // The exit status (128 + the signal's number for a program a signal ended), or nothing when
  // the program still runs at the deadline.
  std::optional<int> Wait(std::chrono::milliseconds deadline);

 private:
  struct Running;
  std::unique_ptr<Running> running;
  std::optional<int> status;
};

}  // namespace dialforge_platform

#endif
