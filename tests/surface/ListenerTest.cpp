// The request path end to end: a client on a loopback socket, the listener, the control surface
// and the simulated host.
#include "surface/DialforgeListener.h"

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ExampleProject.h"
#include "tests/support/Loopback.h"
#include "tests/support/TestSupport.h"
#include "tests/surface/SurfaceTestSupport.h"

namespace {

using dialforge_test::LoopbackClient;
using dialforge_test::TempHome;
using dialforge_test::WaitUntil;
using VazezeveDudOzizezUziriv::DialforgeListener;
using VazezeveDudOzizezUziriv::ListenerState;
using Lines = std::vector<std::string>;

TEST(ListenerTest, AClientUsesEveryRequestKindAndReadsEverySnapshot) {
  TempHome home;
  home.CreateCompanionFolders();
  dialforge_test::BoundSurface bound(dialforge_test::ExampleProject());
  DialforgeListener listener;
  listener.ServeSurface(&bound.surface);
  listener.StartListening(0);
  ASSERT_TRUE(WaitUntil([&] { return listener.GetState() == ListenerState::Listening; }));

  LoopbackClient client(listener.GetPort());
  ASSERT_TRUE(client.Connected());
  const std::string mixerReply = std::string("1|") + dialforge_test::kExampleMixerText;
  client.Send("1|GetParameters|Mixer\n");
  EXPECT_EQ(client.Receive(mixerReply.size()), mixerReply);

  client.Send(
      "2|Transport|Play\n"
      "3|Transport|JogDial|3|-2|1\n"
      "4|ExecuteCommand|12|1001\n"
      "5|Navigate|1,2,3,0\n"
      "6|ChangeLumetri|contrast|-12,25\n"
      "7|ResetChangeLumetri|exposure\n"
      "8|ChangeLumetriMenuValue|lut\n"
      "9|ChangeLumetriPanelMode|4\n"
      "10|ChangeMixer|x\n"
      "11|GetParameters|Commands\n");
  const std::string commandsReply = std::string("11|") + dialforge_test::kExampleCommandsText;
  EXPECT_EQ(client.Receive(commandsReply.size()), commandsReply)
      << "no reply comes before it: only snapshots are answered";

  const std::string parametersReply =
      "12|exposure|Exposure|0.000000\ncontrast|Contrast|-12.250000\n";
  const std::string menuReply = "13|lut|Input LUT|Rec709\n";
  client.Send("12|GetParameters|LumetriParameters\n13|GetParameters|LumetriMenu\n14|GetPa");
  client.Send("rameters|Unknown\n");
  EXPECT_EQ(client.Receive(parametersReply.size() + menuReply.size() + 3),
            parametersReply + menuReply + "14|");

  EXPECT_EQ(bound.host.JournalLines(),
            (Lines{"Transport\tPlay", "Transport\tJogDial\t1\t3.000000\t-2.000000",
                   "Command\tExecuteCommand\t12\t1001", "Command\tNavigate\t1\t2\t3\t0",
                   "Lumetri\tSetParameterValue\tcontrast\t-12.250000",
                   "Lumetri\tResetParameter\texposure", "Lumetri\tSetMenuValue\tlut\t1",
                   "Lumetri\tSetPanelMode\t4"}));

  client.Close();
  listener.StopListening();
  listener.ServeSurface(nullptr);
  EXPECT_EQ(bound.host.LivePluginStringCount(), 0u);
  EXPECT_EQ(bound.host.ViolationCount(), 0u);
}

}  // namespace
