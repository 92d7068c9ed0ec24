// Every kind of request sent over TCP to the plug-in module connected in the simulated host:
// replies byte for byte, actions in the host's journal; and the host's own calls into the
// control surface that Connect handed it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/HostErrors.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/Loopback.h"
#include "tests/support/TestSupport.h"

namespace {

using dialforge_host::FourCharacterCode;
using dialforge_test::TempHome;
using Lines = std::vector<std::string>;

TEST(RequestTest, EveryRequestKindActsOnTheHostAndOnlySnapshotsAreAnswered) {
  TempHome home;
  home.CreateCompanionFolders();
  dialforge_test::LoadedModule loaded(dialforge_test::ExampleProject());
  loaded.module.Start();
  dialforge_host::PluginInstance instance(loaded.module);
  instance.Connect();
  const auto client =
      dialforge_test::ConnectWhenListening(dialforge_test::WaitForPort(home.Path()));
  ASSERT_TRUE(client);

  const std::string mixerReply = std::string("1|") + dialforge_test::kExampleMixerText;
  EXPECT_EQ(dialforge_test::Exchange(*client, "1|GetParameters|Mixer", mixerReply.size()),
            mixerReply);

  const Lines buttons = {"BeginRewind", "EndRewind", "BeginForward", "EndForward",  "Stop",
                         "Play",        "Record",    "Pause",        "ToggleCycle", "GotoPrevious",
                         "GotoNext",    "GotoStart", "ShuttleLeft",  "ShuttleStop", "ShuttleRight"};
  std::string requests;
  for (const std::string& button : buttons) {
    requests += "2|Transport|" + button + "\n";
  }
  requests +=
      "3|Transport|JogDial|3|-2|1\n"
      "4|ExecuteCommand|12|1001\n"
      "5|Navigate|1,-4,x,1\n"
      "6|ChangeLumetri|contrast|-12,25\n"
      "7|ResetChangeLumetri|exposure\n"
      "8|ChangeLumetriMenuValue|lut\n"
      "9|ChangeLumetriPanelMode|4\n"
      "10|ChangeMixer|x\n"
      "11|Play|x\n"
      "12|too few\n"
      "13|GetParameters|Commands\n";
  client->Send(requests);
  const std::string commandsReply = std::string("13|") + dialforge_test::kExampleCommandsText;
  EXPECT_EQ(client->Receive(commandsReply.size()), commandsReply)
      << "nothing is answered before it";

  const std::string parametersReply =
      "14|exposure|Exposure|0.000000\ncontrast|Contrast|-12.250000\n";
  const std::string menuReply = "15|lut|Input LUT|Rec709\n";
  client->Send("14|GetParameters|LumetriParameters\n15|GetParameters|LumetriMenu\n16|GetPa");
  client->Send("rameters|mixer\n");
  EXPECT_EQ(client->Receive(parametersReply.size() + menuReply.size() + 3),
            parametersReply + menuReply + "16|");

  // Moving on from the last choice changes nothing, so the menu is reset.
  client->Send("17|ChangeLumetriMenuValue|lut\n18|ChangeLumetriMenuValue|lut\n");
  const std::string resetMenuReply = "19|lut|Input LUT|None\n";
  EXPECT_EQ(
      dialforge_test::Exchange(*client, "19|GetParameters|LumetriMenu", resetMenuReply.size()),
      resetMenuReply);

  Lines journal;
  for (const std::string& button : buttons) {
    journal.push_back("Transport\t" + button);
  }
  journal.insert(
      journal.end(),
      {"Transport\tJogDial\t1\t3.000000\t-2.000000", "Command\tExecuteCommand\t12\t1001",
       "Command\tNavigate\t1\t-4\t0\t1", "Lumetri\tSetParameterValue\tcontrast\t-12.250000",
       "Lumetri\tResetParameter\texposure", "Lumetri\tSetMenuValue\tlut\t1",
       "Lumetri\tSetPanelMode\t4", "Lumetri\tSetMenuValue\tlut\t1", "Lumetri\tSetMenuValue\tlut\t1",
       "Lumetri\tResetMenu\tlut"});
  EXPECT_EQ(loaded.host.JournalLines(), journal);
  EXPECT_EQ(loaded.host.ParameterValue("contrast"), -12.25f);
  EXPECT_EQ(loaded.host.PanelMode(), 4u);

  client->Close();
  instance.Disconnect();
  EXPECT_EQ(loaded.host.LivePluginStringCount(), 0u);
  EXPECT_EQ(loaded.host.ViolationCount(), 0u);
}

TEST(RequestTest, TheHostReachesTheConnectedSurfaceThroughTheRegisteredTables) {
  TempHome home;
  home.CreateCompanionFolders();
  dialforge_test::LoadedModule loaded(dialforge_test::ExampleProject());
  loaded.module.Start();
  dialforge_host::PluginInstance instance(loaded.module);
  ADOBESDK_ControlSurface* surface = instance.Connect();
  ASSERT_NE(surface, nullptr);
  const auto find = [&](const char* name, int32_t version) {
    return loaded.host.FindSuite(loaded.module.SuiteList(), name, version);
  };
  for (int32_t version :
       {kADOBESDK_ControlSurfaceSuiteVersion1, kADOBESDK_ControlSurfaceSuiteVersion2}) {
    SCOPED_TRACE(version);
    const auto* suite = static_cast<const ADOBESDK_ControlSurfaceSuite*>(
        find(kADOBESDK_ControlSurfaceSuite, version));
    ASSERT_NE(suite, nullptr);
    uint32_t flags = 5;
    EXPECT_EQ(suite->GetControlSurfaceFlags(surface, &flags), 0);
    EXPECT_EQ(flags, 0u);
    ADOBESDK_ControlSurfaceTransport* transport = nullptr;
    ADOBESDK_ControlSurfaceMixer* mixer = nullptr;
    ADOBESDK_ControlSurfaceCommand* command = nullptr;
    ADOBESDK_ControlSurfaceLumetri* lumetri = reinterpret_cast<ADOBESDK_ControlSurfaceLumetri*>(1);
    EXPECT_EQ(suite->GetTransportRef(surface, &transport), 0);
    EXPECT_EQ(suite->GetMixerRef(surface, &mixer), 0);
    EXPECT_EQ(suite->GetCommandRef(surface, &command), 0);
    EXPECT_EQ(suite->GetLumetriRef(surface, &lumetri), 0);
    EXPECT_EQ(lumetri, nullptr);
    EXPECT_EQ(suite->Update(surface), 0);
    ADOBESDK_String identifier{};
    EXPECT_EQ(suite->GetConfigIdentifier(surface, &identifier), FourCharacterCode("!IMP"));

    const auto* transportSuite = static_cast<const ADOBESDK_ControlSurfaceTransportSuite1*>(
        find(kADOBESDK_ControlSurfaceTransportSuite, 1));
    ASSERT_NE(transportSuite, nullptr);
    ASSERT_NE(transport, nullptr);
    EXPECT_EQ(transportSuite->SetPlayState(transport, 1), 0);
    EXPECT_EQ(transportSuite->SetStopState(transport, 1), FourCharacterCode("!IMP"));
    const auto* commandSuite = static_cast<const ADOBESDK_ControlSurfaceCommandSuite1*>(
        find(kADOBESDK_ControlSurfaceCommandSuite, 1));
    ASSERT_NE(commandSuite, nullptr);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(commandSuite->GetUserButtonCount(command, nullptr), FourCharacterCode("Parm"));
    const auto* mixerSuite = static_cast<const ADOBESDK_ControlSurfaceMixerSuite2*>(
        find(kADOBESDK_ControlSurfaceMixerSuite, 2));
    ASSERT_NE(mixerSuite, nullptr);
    ASSERT_NE(mixer, nullptr);
    uint32_t strips = 0;
    EXPECT_EQ(mixerSuite->GetMaxChannelStripCount(mixer, &strips), FourCharacterCode("!IMP"));
  }
  instance.Disconnect();
  EXPECT_EQ(loaded.host.ViolationCount(), 0u);
}

}  // namespace
