#include "bench/PluginUnderTest.h"

#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace dialforge_bench {

namespace {

constexpr const char* kPortFolder = "/.local/share/Dialforge/PluginData/PremierePro";
constexpr const char* kPortFile = "/.local/share/Dialforge/PluginData/PremierePro/socket.port";
constexpr const char* kLogsFolder = "/.local/share/Dialforge/Logs";

// The port file holds the digits alone; 0 while it is absent or not yet written.
int ReadPort(const std::string& path) {
  std::ifstream file(path);
  int port = 0;
  file >> port;
  return file ? port : 0;
}

}  // namespace

BenchHome::BenchHome() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "dialforge-bench-XXXXXX").string();
  if (mkdtemp(&pattern[0]) == nullptr) {
    throw std::runtime_error("cannot create a temporary home");
  }
  path = pattern;
  std::error_code error;
  std::filesystem::create_directories(path + kPortFolder, error);
  if (!error) {
    std::filesystem::create_directories(path + kLogsFolder, error);
  }
  if (error) {
    std::filesystem::remove_all(path, error);
    throw std::runtime_error("cannot create the companion folders in " + pattern);
  }
  if (const char* home = std::getenv("HOME")) {
    hadHome = true;
    previousHome = home;
  }
  setenv("HOME", path.c_str(), 1);
}

BenchHome::~BenchHome() {
  if (hadHome) {
    setenv("HOME", previousHome.c_str(), 1);
  } else {
    unsetenv("HOME");
  }
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

std::string BenchHome::PortFile() const {
  return path + kPortFile;
}

PluginUnderTest::PluginUnderTest(const std::string& modulePath, const BenchHome& home,
                                 dialforge_host::Project project)
    : host(std::move(project)), module(modulePath, host) {
  host.JournalInMemoryOnly();
  module.Start();
  instance = std::make_unique<dialforge_host::PluginInstance>(module);
  surface = instance->Connect();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while ((port = ReadPort(home.PortFile())) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      throw std::runtime_error("the plug-in published no port in " + home.PortFile());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

PluginUnderTest::~PluginUnderTest() {
  try {
    instance->Disconnect();
  } catch (const std::exception&) {
    // Deleting the instance still stops its listener.
  }
}

}  // namespace dialforge_bench
