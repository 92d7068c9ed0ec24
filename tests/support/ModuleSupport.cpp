#include "tests/support/ModuleSupport.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace dialforge_test {

std::map<std::string, int> HeldSuiteCounts(const dialforge_host::SimulatedHost& host) {
  std::map<std::string, int> counts;
  for (const dialforge_host::HeldSuite& held : host.HeldSuites()) {
    counts[held.name] += held.count;
  }
  return counts;
}

std::optional<int> PortInFile(const std::string& home) {
  const std::string digits = ReadFile(home + "/" + TempHome::kPortFile);
  if (digits.empty() || digits.size() > 5 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoi(digits);
}

int WaitForPort(const std::string& home, std::optional<int> other) {
  std::optional<int> port;
  WaitUntil([&] {
    port = PortInFile(home);
    return port && port != other;
  });
  return port && port != other ? *port : 0;
}

std::unique_ptr<LoopbackClient> ConnectWhenListening(int port) {
  std::unique_ptr<LoopbackClient> client;
  if (!WaitUntil([&] {
        client = std::make_unique<LoopbackClient>(port);
        return client->Connected();
      })) {
    client.reset();
  }
  return client;
}

std::string Exchange(LoopbackClient& client, const std::string& request, std::size_t replySize) {
  client.Send(request + "\n");
  return client.Receive(replySize);
}

namespace {

// Each child gets files of its own, even when a test starts several in one folder.
std::string NextName(const std::string& folder, const char* kind) {
  static std::atomic<int> children{0};
  return folder + "/child" + std::to_string(++children) + "." + kind;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& folder, const std::string& input)
    : outputPath(NextName(folder, "out")), errorsPath(NextName(folder, "err")) {
  const std::string inputPath = NextName(folder, "in");
  WriteFile(inputPath, input);
  process = std::make_unique<dialforge_platform::ChildProcess>(program, arguments, inputPath,
                                                               outputPath, errorsPath);
}

int ChildProcess::Wait() {
  return process->Wait(std::chrono::seconds(60)).value_or(-1);
}

std::string ChildProcess::Output() const {
  return ReadFile(outputPath);
}

std::string ChildProcess::Errors() const {
  return ReadFile(errorsPath);
}

Finished RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& folder, const std::string& input) {
  ChildProcess child(program, arguments, folder, input);
  const int status = child.Wait();
  return {status, child.Output(), child.Errors()};
}

}  // namespace dialforge_test
