#include "bench/PluginUnderTest.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <thread>

#include "platform/DataFolder.h"
#include "platform/Files.h"

namespace dialforge_bench {

namespace {

using dialforge_platform::HomeVariable;
using dialforge_platform::JoinPath;

std::string PortFolderUnder(const std::string& home) {
  return JoinPath(JoinPath(dialforge_platform::DataFolderUnder(home), "PluginData"), "PremierePro");
}

// The port file holds the digits alone; 0 while it is absent or not yet written.
int ReadPort(const std::string& path) {
  std::ifstream file(std::filesystem::u8path(path));
  int port = 0;
  file >> port;
  return file ? port : 0;
}

}  // namespace

BenchHome::BenchHome() : path(dialforge_platform::MakeTemporaryFolder("dialforge-bench-")) {
  if (path.empty()) {
    throw std::runtime_error("cannot create a temporary home");
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::u8path(PortFolderUnder(path)), error);
  if (!error) {
    std::filesystem::create_directories(
        std::filesystem::u8path(JoinPath(dialforge_platform::DataFolderUnder(path), "Logs")),
        error);
  }
  if (error) {
    std::filesystem::remove_all(std::filesystem::u8path(path), error);
    throw std::runtime_error("cannot create the companion folders in " + path);
  }
  if (const std::optional<std::string> home = dialforge_platform::Variable(HomeVariable())) {
    hadHome = true;
    previousHome = *home;
  }
  dialforge_platform::SetVariable(HomeVariable(), path);
}

BenchHome::~BenchHome() {
  if (hadHome) {
    dialforge_platform::SetVariable(HomeVariable(), previousHome);
  } else {
    dialforge_platform::UnsetVariable(HomeVariable());
  }
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::u8path(path), ignored);
}

std::string BenchHome::PortFile() const {
  return JoinPath(PortFolderUnder(path), "socket.port");
}

std::string BenchHome::Token() const {
  std::ifstream file(std::filesystem::u8path(JoinPath(PortFolderUnder(path), "socket.token")));
  std::string token;
  std::getline(file, token);
  return token;
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

const void* PluginUnderTest::Table(const char* name, int32_t version) const {
  const void* table = host.FindSuite(module.SuiteList(), name, version);
  if (table == nullptr) {
    throw std::runtime_error(std::string("the plug-in registered no ") + name);
  }
  return table;
}

const ADOBESDK_ControlSurfaceSuite& PluginUnderTest::BaseTable() const {
  return *static_cast<const ADOBESDK_ControlSurfaceSuite*>(
      Table(kADOBESDK_ControlSurfaceSuite, kADOBESDK_ControlSurfaceSuiteVersion2));
}

ADOBESDK_ControlSurfaceTransport* PluginUnderTest::TransportRef() const {
  ADOBESDK_ControlSurfaceTransport* transport = nullptr;
  if (BaseTable().GetTransportRef(surface, &transport) != kADOBESDK_NoError) {
    throw std::runtime_error("the plug-in gave no transport");
  }
  return transport;
}

ADOBESDK_ControlSurfaceMixer* PluginUnderTest::MixerRef() const {
  ADOBESDK_ControlSurfaceMixer* mixer = nullptr;
  if (BaseTable().GetMixerRef(surface, &mixer) != kADOBESDK_NoError) {
    throw std::runtime_error("the plug-in gave no mixer");
  }
  return mixer;
}

PluginUnderTest::~PluginUnderTest() {
  try {
    instance->Disconnect();
  } catch (const std::exception&) {
    // Deleting the instance still stops its listener.
  }
}

}  // namespace dialforge_bench
