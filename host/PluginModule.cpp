#include "host/PluginModule.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "host/HostErrors.h"
#include "platform/Module.h"

namespace dialforge_host {

std::string DefaultModulePath(const char* programPath) {
  std::error_code error;
  std::filesystem::path program = dialforge_platform::RunningProgram();
  if (program.empty()) {
    program = std::filesystem::absolute(programPath, error);
  }
  const std::filesystem::path folder = program.parent_path();
  const std::filesystem::path built = folder / dialforge_platform::ModuleFileName();
  // An absolute install folder replaces the program's folder in the join.
  const std::filesystem::path installed =
      folder / DIALFORGE_INSTALLED_PLUGIN_DIR / dialforge_platform::ModuleFileName();
  if (!std::filesystem::exists(built, error) && std::filesystem::exists(installed, error)) {
    return installed.lexically_normal().string();
  }
  return built.string();
}

namespace {

void Check(ADOBESDK_Error result, const std::string& step) {
  if (result != kADOBESDK_NoError) {
    throw std::runtime_error(step + " failed with error '" + CodeText(result) + "'");
  }
}

}  // namespace

PluginModule::PluginModule(const std::string& path, SimulatedHost& host) : host(host) {
  std::string reason;
  library = dialforge_platform::LoadModule(path, reason);
  if (library == nullptr) {
    throw std::runtime_error("cannot load the plug-in " + path + ": " + reason);
  }
  entryPoint = reinterpret_cast<ADOBESDK_ControlSurfacePluginEntryPointFunc>(
      dialforge_platform::FindFunction(library, kADOBESDK_ControlSurfacePluginEntryPoint));
  if (entryPoint == nullptr) {
    dialforge_platform::UnloadModule(library);
    throw std::runtime_error("the plug-in " + path + " has no entry point " +
                             kADOBESDK_ControlSurfacePluginEntryPoint);
  }
}

PluginModule::~PluginModule() {
  if (started) {
    functions.Shutdown();
  }
  dialforge_platform::UnloadModule(library);
}

void PluginModule::Start() {
  Check(entryPoint(host.BasicSuite(), 1, 0, 1, &functions), "EntryPoint");
  Check(functions.Startup(), "Startup");
  started = true;
  Check(functions.GetSuiteList(&suiteList), "GetSuiteList");
  pluginSuite = static_cast<const ADOBESDK_ControlSurfacePluginSuite1*>(host.FindSuite(
      suiteList, kADOBESDK_ControlSurfacePluginSuite, kADOBESDK_ControlSurfacePluginSuiteVersion1));
  if (pluginSuite == nullptr) {
    throw std::runtime_error(std::string("the plug-in's suite list has no ") +
                             kADOBESDK_ControlSurfacePluginSuite);
  }
}

PluginInstance::PluginInstance(PluginModule& module) : module(module) {
  Check(module.Functions().CreatePluginInstance(&plugin), "CreatePluginInstance");
}

PluginInstance::~PluginInstance() {
  module.Host().DetachSurface(connectedSurface);
  module.Functions().DeletePluginInstance(plugin);
}

std::string PluginInstance::PluginID() const {
  return ReadHandedString(module.PluginSuite().GetPluginID);
}

std::string PluginInstance::DisplayString() const {
  return ReadHandedString(module.PluginSuite().GetPluginDisplayString);
}

ADOBESDK_ControlSurface* PluginInstance::Connect() {
  ADOBESDK_ControlSurface* surface = nullptr;
  Check(module.PluginSuite().Connect(plugin, module.Host().HostHandle(), &surface), "Connect");
  if (module.Host().TellsSurfaces()) {
    module.Host().AttachSurface(module.SuiteList(), surface);
    connectedSurface = surface;
  }
  return surface;
}

void PluginInstance::Disconnect() {
  // No notification may reach a surface the plug-in is about to delete.
  module.Host().DetachSurface(connectedSurface);
  connectedSurface = nullptr;
  Check(module.PluginSuite().Disconnect(plugin), "Disconnect");
}

std::string PluginInstance::ReadHandedString(ADOBESDK_Error (*get)(ADOBESDK_ControlSurfacePlugin*,
                                                                   ADOBESDK_String*)) const {
  ADOBESDK_String handed{};
  Check(get(plugin, &handed), "reading a plug-in string");
  const SPBasicSuite* basicSuite = module.Host().BasicSuite();
  const void* suite = nullptr;
  Check(basicSuite->AcquireSuite(kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1, &suite),
        "AcquireSuite");
  const auto* strings = static_cast<const ADOBESDK_StringSuite1*>(suite);
  uint32_t length = 0;
  std::string text;
  if (strings->CopyToUTF8(&handed, nullptr, &length) == kADOBESDK_StringBufferTooSmall &&
      length > 0) {
    text.assign(length, '\0');
    if (strings->CopyToUTF8(&handed, &text[0], &length) == kADOBESDK_NoError && length > 0) {
      text.resize(length - 1);
    } else {
      text.clear();
    }
  }
  strings->DisposeString(&handed);
  basicSuite->ReleaseSuite(kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1);
  return text;
}

}  // namespace dialforge_host
