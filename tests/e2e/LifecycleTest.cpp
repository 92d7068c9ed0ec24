// Plug-in instances connected, disconnected and deleted by the host while clients talk to their
// listeners: the port file, the listener threads, the host suites and the traces.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ExampleProject.h"
#include "tests/support/Loopback.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using dialforge_host::PluginInstance;
using dialforge_test::ConnectWhenListening;
using dialforge_test::Exchange;
using dialforge_test::FileExists;
using dialforge_test::LoopbackClient;
using dialforge_test::TempHome;
using dialforge_test::ThreadCount;
using dialforge_test::ThreadCountReturnsTo;
using dialforge_test::WaitForPort;
using Lines = std::vector<std::string>;

const std::string kCommandsReply = std::string("c|") + dialforge_test::kExampleCommandsText;

class LifecycleTest : public testing::Test {
 protected:
  void SetUp() override {
    home.CreateCompanionFolders();
    dialforge_test::WriteFile(home.PathOf(dialforge_test::TempHome::kDataFolder + "/enablelogs"),
                              "");
    loaded.module.Start();
    // Less the tracer's writer, started by the first line; it runs until the last instance stops.
    threadsBefore = ThreadCount() - 1;
  }

  void TearDown() override {
    EXPECT_EQ(loaded.host.ViolationCount(), 0u);
    EXPECT_EQ(loaded.host.LivePluginStringCount(), 0u);
  }

  std::string PortFile() const { return home.PathOf(TempHome::kPortFile); }

  // The reply to a commands request shows that the listener serves a bound surface.
  static bool Serves(LoopbackClient& client) {
    return Exchange(client, "c|GetParameters|Commands", kCommandsReply.size()) == kCommandsReply;
  }

  int SurfacesBound() const { return loaded.host.HeldCount(kADOBESDK_ControlSurfaceHostSuite, 1); }

  // The lifecycle traces, without the listener's own.
  Lines PluginTraces() const {
    Lines lines;
    for (const std::string& line : dialforge_test::LoggedTraces(home.Path())) {
      if (line.compare(0, 7, "Plugin ") == 0) {
        lines.push_back(line);
      }
    }
    return lines;
  }

  TempHome home;
  dialforge_test::LoadedModule loaded{dialforge_test::ExampleProject()};
  size_t threadsBefore = 0;
};

TEST_F(LifecycleTest, ConnectingAgainDisconnectingAndDeletingEndTheListenerOfTheInstance) {
  auto instance = std::make_unique<PluginInstance>(loaded.module);
  EXPECT_FALSE(FileExists(PortFile()));
  const auto connectAndServe = [&] {
    instance->Connect();
    EXPECT_TRUE(ThreadCountReturnsTo(threadsBefore + 2)) << "one listener thread and the writer";
    EXPECT_EQ(SurfacesBound(), 1);
    EXPECT_EQ(loaded.host.HeldCount(kADOBESDK_StringSuite, 1), 2) << "the module's and one more";
    std::unique_ptr<LoopbackClient> client = ConnectWhenListening(WaitForPort(home.Path()));
    if (client) {
      client->Send("t|Transport|Play\n");
      EXPECT_TRUE(Serves(*client));
    }
    return client;
  };
  // Disconnecting and deleting return only once the listener thread has ended.
  const auto ended = [&](LoopbackClient& client) {
    EXPECT_FALSE(FileExists(PortFile()));
    EXPECT_EQ(SurfacesBound(), 0);
    EXPECT_TRUE(client.ClosedByListener());
    EXPECT_TRUE(ThreadCountReturnsTo(threadsBefore));
  };

  const auto first = connectAndServe();
  ASSERT_TRUE(first);
  const auto second = connectAndServe();
  ASSERT_TRUE(second);
  EXPECT_TRUE(first->ClosedByListener()) << "a second connect ends the first connection";
  instance->Disconnect();
  ended(*second);
  const auto third = connectAndServe();
  ASSERT_TRUE(third);
  instance.reset();
  ended(*third);

  EXPECT_EQ(loaded.host.JournalLines(), Lines(3, "Transport\tPlay"));
  EXPECT_EQ(PluginTraces(),
            (Lines{"Plugin loaded, version 1.0", "Plugin connect request", "Plugin connected",
                   "Plugin connect request", "Plugin disconnect request", "Plugin disconnected",
                   "Plugin connected", "Plugin disconnect request", "Plugin disconnected",
                   "Plugin connect request", "Plugin connected", "Plugin disconnect request",
                   "Plugin disconnected"}));
}

TEST_F(LifecycleTest, TwoInstancesServeTheirOwnSurfacesAtOnce) {
  PluginInstance older(loaded.module);
  PluginInstance newer(loaded.module);
  older.Connect();
  const int olderPort = WaitForPort(home.Path());
  const auto olderClient = ConnectWhenListening(olderPort);
  ASSERT_TRUE(olderClient);
  // Both listeners write the one port file of the home; the newer one overwrites it.
  newer.Connect();
  const int newerPort = WaitForPort(home.Path(), olderPort);
  ASSERT_NE(newerPort, 0);
  const auto newerClient = ConnectWhenListening(newerPort);
  ASSERT_TRUE(newerClient);
  EXPECT_TRUE(Serves(*olderClient));
  EXPECT_TRUE(Serves(*newerClient));
  EXPECT_EQ(ThreadCount(), threadsBefore + 3);
  EXPECT_EQ(SurfacesBound(), 2);

  // The newest surface is gone now; the older listener must not have been using it.
  newer.Disconnect();
  EXPECT_TRUE(newerClient->ClosedByListener());
  olderClient->Send("s|Transport|Stop\n");
  EXPECT_TRUE(Serves(*olderClient));
  EXPECT_EQ(loaded.host.JournalLines(), Lines{"Transport\tStop"});
  EXPECT_EQ(SurfacesBound(), 1);

  older.Disconnect();
  EXPECT_TRUE(olderClient->ClosedByListener());
  EXPECT_EQ(SurfacesBound(), 0);
  EXPECT_TRUE(ThreadCountReturnsTo(threadsBefore));
}

TEST_F(LifecycleTest, DisconnectingOrDeletingAnIdleInstanceOnlyTraces) {
  const auto held = loaded.host.HeldSuites().size();
  auto instance = std::make_unique<PluginInstance>(loaded.module);
  instance->Disconnect();
  instance.reset();
  EXPECT_EQ(loaded.host.HeldSuites().size(), held);
  EXPECT_EQ(loaded.host.CallCount("ObtainCommandRef"), 0u);
  EXPECT_EQ(ThreadCount(), threadsBefore);
  const Lines idle{"Plugin loaded, version 1.0", "Plugin disconnect request", "Plugin disconnected",
                   "Plugin disconnect request", "Plugin disconnected"};
  EXPECT_EQ(dialforge_test::LoggedTraces(home.Path()), idle) << "and nothing of the listener";

  // Once disconnected, an instance is idle again: deleting it only traces.
  instance = std::make_unique<PluginInstance>(loaded.module);
  instance->Connect();
  instance->Disconnect();
  const size_t disconnected = dialforge_test::LoggedTraces(home.Path()).size();
  instance.reset();
  const Lines traces = dialforge_test::LoggedTraces(home.Path());
  EXPECT_EQ(Lines(traces.begin() + static_cast<std::ptrdiff_t>(disconnected), traces.end()),
            (Lines{"Plugin disconnect request", "Plugin disconnected"}));
}

// A host that leaves, or unloads the module, without disconnecting or shutting it down, with
// tracing and logging on and a client served: the listener's and the tracer's threads must
// neither hang the process's end nor run on in unmapped code.
TEST(LeavingUnshutTest, TheProcessEndsWhetherItExitsOrUnloadsTheModuleFirst) {
  for (const char* leaving : {"exit", "unload"}) {
    SCOPED_TRACE(leaving);
    TempHome home;
    home.CreateCompanionFolders();
    for (const char* marker : {"/enabletraces", "/enablelogs"}) {
      dialforge_test::WriteFile(home.PathOf(TempHome::kDataFolder + marker), "");
    }
    dialforge_test::ChildProcess host(DIALFORGE_LEAVE_PROGRAM, {DIALFORGE_MODULE, leaving},
                                      home.Path());
    EXPECT_EQ(host.Wait(), 0) << host.Errors();
    EXPECT_NE(host.Output().find("leaving"), std::string::npos) << host.Errors();
  }
}

}  // namespace
