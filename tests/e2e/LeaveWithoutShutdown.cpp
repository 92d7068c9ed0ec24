// A host process that loads the plug-in, connects it with a client talking to it, and then
// leaves as a crashing or careless host does: "exit" returns from main at once, "unload" unloads
// the module first. Neither disconnects nor shuts the plug-in down. The process must end.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/PluginModule.h"
#include "platform/DataFolder.h"
#include "platform/Module.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/TestSupport.h"

namespace {

const std::string kCommandsReply = std::string("c|") + dialforge_test::kExampleCommandsText;

}  // namespace

// Never destroyed, as in a host that leaves without tearing its objects down; kept where the
// compiler cannot drop the stores, so that they stay reachable to the end.
dialforge_host::SimulatedHost* sHost = nullptr;
dialforge_host::PluginModule* sModule = nullptr;
dialforge_host::PluginInstance* sInstance = nullptr;
dialforge_test::LoopbackClient* sClient = nullptr;

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[2], "exit") != 0 && std::strcmp(argv[2], "unload") != 0)) {
    std::fprintf(stderr, "usage: %s MODULE exit|unload\n", argv[0]);
    return 2;
  }
  sHost = new dialforge_host::SimulatedHost(dialforge_test::ExampleProject());
  sModule = new dialforge_host::PluginModule(argv[1], *sHost);
  sModule->Start();
  sInstance = new dialforge_host::PluginInstance(*sModule);
  sInstance->Connect();
  const char* homeFolder = std::getenv(dialforge_platform::HomeVariable());
  const int port = dialforge_test::WaitForPort(homeFolder != nullptr ? homeFolder : "");
  sClient = dialforge_test::ConnectWhenListening(port).release();
  if (sClient == nullptr || dialforge_test::Exchange(*sClient, "c|GetParameters|Commands",
                                                     kCommandsReply.size()) != kCommandsReply) {
    std::fprintf(stderr, "the plug-in does not serve\n");
    return 1;
  }
  if (std::strcmp(argv[2], "unload") == 0) {
    // The host's own reference, given back as if PluginModule had been destroyed unshut.
    std::string reason;
    void* again = dialforge_platform::LoadModule(argv[1], reason);
    dialforge_platform::UnloadModule(again);
    dialforge_platform::UnloadModule(again);
  }
  std::printf("leaving\n");
  std::fflush(stdout);
  return 0;
}
