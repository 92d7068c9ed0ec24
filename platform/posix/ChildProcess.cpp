#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

extern char** environ;

namespace dialforge_platform {

struct ChildProcess::Running {
  pid_t pid = -1;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& inputPath, const std::string& outputPath,
                           const std::string& errorsPath)
    : running(new Running) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, inputPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&files, 2, errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  const int failed =
      posix_spawn(&running->pid, program.c_str(), &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  if (failed != 0) {
    throw std::runtime_error("cannot start " + program);
  }
}

ChildProcess::~ChildProcess() {
  if (!status) {
    kill(running->pid, SIGKILL);
    waitpid(running->pid, nullptr, 0);
  }
}

void ChildProcess::RequestStop(StopRequest request) const {
  kill(running->pid, request == StopRequest::Interrupt ? SIGINT : SIGTERM);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!status) {
    int raw = 0;
    if (waitpid(running->pid, &raw, WNOHANG) == running->pid) {
      status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    } else if (std::chrono::steady_clock::now() >= end) {
      break;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  return status;
}

}  // namespace dialforge_platform
