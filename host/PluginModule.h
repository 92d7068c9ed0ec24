// The plug-in module loaded and driven as the host drives it: the entry point, start-up, the
// suite list, plug-in instances and shut-down.
#ifndef DIALFORGE_HOST_PLUGINMODULE_H
#define DIALFORGE_HOST_PLUGINMODULE_H

#include <string>

#include "host/SimulatedHost.h"
#include "sdk/ControlSurfacePlugin.h"

namespace dialforge_host {

class PluginModule {
 public:
  // Loads the module and finds its entry point; throws std::runtime_error saying why it cannot.
  PluginModule(const std::string& path, SimulatedHost& host);
  // Shuts the plug-in down if it was started, then unloads it.
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // EntryPoint (major version 1, minor version 0, host identifier 1), Startup and GetSuiteList,
  // and the plug-in suite found in that list; throws std::runtime_error when a step fails.
  void Start();

  ADOBESDK_ControlSurfacePluginEntryPointFunc EntryPoint() const { return entryPoint; }
  const ADOBESDK_ControlSurfacePluginFuncs& Functions() const { return functions; }
  const ADOBESDK_ControlSurfacePluginSuite1& PluginSuite() const { return *pluginSuite; }
  SPSuiteList* SuiteList() const { return suiteList; }
  SimulatedHost& Host() const { return host; }

 private:
  SimulatedHost& host;
  void* library = nullptr;
  ADOBESDK_ControlSurfacePluginEntryPointFunc entryPoint = nullptr;
  ADOBESDK_ControlSurfacePluginFuncs functions{};
  const ADOBESDK_ControlSurfacePluginSuite1* pluginSuite = nullptr;
  SPSuiteList* suiteList = nullptr;
  bool started = false;
};

// Dialforge.so in the folder of the running program, where the build puts both; failing that,
// where "cmake --install" puts it for an installed program (../lib/dialforge/plugins by default).
std::string DefaultModulePath(const char* programPath);

// One plug-in instance of a started module, deleted with the object.
class PluginInstance {
 public:
  explicit PluginInstance(PluginModule& module);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  // The plug-in's text, read and disposed as a host does with strings handed to it.
  std::string PluginID() const;
  std::string DisplayString() const;

  // Connects to the simulated host's handle; the control surface handle the plug-in gives back,
  // which the host then tells of its transport and mixer changes until Disconnect.
  ADOBESDK_ControlSurface* Connect();
  void Disconnect();

  ADOBESDK_ControlSurfacePlugin* Handle() const { return plugin; }

 private:
  std::string ReadHandedString(ADOBESDK_Error (*get)(ADOBESDK_ControlSurfacePlugin*,
                                                     ADOBESDK_String*)) const;

  PluginModule& module;
  ADOBESDK_ControlSurfacePlugin* plugin = nullptr;
  ADOBESDK_ControlSurface* connectedSurface = nullptr;
};

}  // namespace dialforge_host

#endif
