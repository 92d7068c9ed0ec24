// The real plug-in module on the simulated host, as a host runs it: loaded, started, one
// instance connected, its listener serving on the port it published. Also the temporary home
// that it and the tracer write under.
#ifndef DIALFORGE_BENCH_PLUGINUNDERTEST_H
#define DIALFORGE_BENCH_PLUGINUNDERTEST_H

#include <memory>
#include <string>

#include "host/PluginModule.h"
#include "host/Project.h"
#include "host/SimulatedHost.h"
#include "sdk/ControlSurfaceSuites.h"

namespace dialforge_bench {

// A temporary folder that is the home (HOME, or LOCALAPPDATA on Windows) while the object lives,
// with the folders the companion application creates for the port file and the log files; removed
// with everything in it.
class BenchHome {
 public:
  BenchHome();
  ~BenchHome();
  BenchHome(const BenchHome&) = delete;
  BenchHome& operator=(const BenchHome&) = delete;

  std::string PortFile() const;
  // The token beside the port file, which clients after the first prove; empty when unread.
  std::string Token() const;

 private:
  const std::string path;
  std::string previousHome;
  bool hadHome = false;
};

// Throws std::runtime_error when the module cannot be loaded, started or connected, or its
// listener publishes no port within ten seconds.
class PluginUnderTest {
 public:
  PluginUnderTest(const std::string& modulePath, const BenchHome& home,
                  dialforge_host::Project project);
  // Disconnects, shuts the module down and unloads it, as a host does.
  ~PluginUnderTest();
  PluginUnderTest(const PluginUnderTest&) = delete;
  PluginUnderTest& operator=(const PluginUnderTest&) = delete;

  int Port() const { return port; }
  dialforge_host::SimulatedHost& Host() { return host; }
  // The control surface the instance handed back, and the suite list its tables are in.
  ADOBESDK_ControlSurface* Surface() const { return surface; }
  SPSuiteList* SuiteList() const { return module.SuiteList(); }
  // One of the tables the plug-in registered, for calling it as the host does; throws
  // std::runtime_error when it registered none of that name and version.
  const void* Table(const char* name, int32_t version) const;
  // The transport and the mixer the surface gives through the plug-in's base table; throw
  // std::runtime_error when it gives none.
  ADOBESDK_ControlSurfaceTransport* TransportRef() const;
  ADOBESDK_ControlSurfaceMixer* MixerRef() const;

 private:
  const ADOBESDK_ControlSurfaceSuite& BaseTable() const;

  dialforge_host::SimulatedHost host;
  dialforge_host::PluginModule module;
  std::unique_ptr<dialforge_host::PluginInstance> instance;
  int port = 0;
  ADOBESDK_ControlSurface* surface = nullptr;
};

}  // namespace dialforge_bench

#endif
