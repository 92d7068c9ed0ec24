// Every kind of request sent over TCP to the plug-in module connected in the simulated host:
// replies byte for byte, actions in the host's journal.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ExampleProject.h"
#include "tests/support/Loopback.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/TestSupport.h"

namespace {

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

  Lines journal;
  for (const std::string& button : buttons) {
    journal.push_back("Transport\t" + button);
  }
  journal.insert(
      journal.end(),
      {"Transport\tJogDial\t1\t3.000000\t-2.000000", "Command\tExecuteCommand\t12\t1001",
       "Command\tNavigate\t1\t-4\t0\t1", "Lumetri\tSetParameterValue\tcontrast\t-12.250000",
       "Lumetri\tResetParameter\texposure", "Lumetri\tSetMenuValue\tlut\t1",
       "Lumetri\tSetPanelMode\t4"});
  EXPECT_EQ(loaded.host.JournalLines(), journal);
  EXPECT_EQ(loaded.host.ParameterValue("contrast"), -12.25f);
  EXPECT_EQ(loaded.host.PanelMode(), 4u);

  client->Close();
  instance.Disconnect();
  EXPECT_EQ(loaded.host.LivePluginStringCount(), 0u);
  EXPECT_EQ(loaded.host.ViolationCount(), 0u);
}

}  // namespace
