// What each handler asks of the host, read from the simulated host's journal. A host that lacks
// a part or fails is met request by request in the fault matrix.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "tests/support/ExampleProject.h"
#include "tests/surface/SurfaceTestSupport.h"

namespace {

using dialforge_test::BoundSurface;
using dialforge_test::Traced;
using Lines = std::vector<std::string>;

class HandlerTest : public ::testing::Test {
 protected:
  BoundSurface bound{dialforge_test::ExampleProject()};
};

// Each keyword reaching its operation once is checked over loopback by the fault matrix.
TEST_F(HandlerTest, JogDialTakesThreeValuesAndOtherTransportTextIsRefused) {
  const Lines taken = bound.Journaled([&] {
    bound.Request({"1", "Transport", "JogDial", "3", "-2", "1"});
    bound.Request({"1", "Transport", "JogDial", "x", "7", "01"});
    bound.Request({"1", "Transport", "Play", "3", "4", "1"});
  });
  EXPECT_EQ(taken, (Lines{"Transport\tJogDial\t1\t3.000000\t-2.000000",
                          "Transport\tJogDial\t0\t0.000000\t7.000000", "Transport\tPlay"}));

  const Lines refused = bound.Journaled([&] {
    EXPECT_EQ(Traced([&] {
                bound.Request({"1", "Transport", "JogDial", "3", "-2"});
                bound.Request({"1", "Transport", "play"});
                bound.Request({"1", "Transport", "Play\r"});
              }),
              (Lines{"Transport(): invalid parameters", "Transport(): unknown parameter",
                     "Transport(): unknown parameter"}));
  });
  EXPECT_TRUE(refused.empty());
}

TEST_F(HandlerTest, NavigatePassesFourValuesOrNone) {
  Lines traces;
  const Lines journal = bound.Journaled([&] {
    traces = Traced([&] {
      for (const char* values : {"1,2,3,0", "1,-4,x,1", "1,2,3", "1,2,3,", "1,2,3,4,5", "1,2,3,,",
                                 "01,5,6,true", "true, 7x,-99999999999, 1"}) {
        bound.Request({"1", "Navigate", values});
      }
    });
  });
  EXPECT_EQ(journal, (Lines{"Command\tNavigate\t1\t2\t3\t0", "Command\tNavigate\t1\t-4\t0\t1",
                            "Command\tNavigate\t1\t2\t3\t0", "Command\tNavigate\t0\t5\t6\t0",
                            "Command\tNavigate\t0\t7\t-2147483648\t0"}));
  EXPECT_EQ(traces, (Lines{"Navigate(): invalid parameters '1,2,3'",
                           "Navigate(): invalid parameters '1,2,3,'",
                           "Navigate(): invalid parameters '1,2,3,4,5'"}));
}

TEST_F(HandlerTest, CommandsAndLumetriChangesReachTheHostAndTraceWhatItReports) {
  Lines traces;
  const Lines journal = bound.Journaled([&] {
    traces = Traced([&] {
      bound.Request({"1", "ExecuteCommand", "12", "%s%d%n"});
      bound.Request({"1", "ChangeLumetri", "exposure", "10"});
      bound.Request({"1", "ChangeLumetri", "unknown", "1"});
      bound.Request({"1", "ResetChangeLumetri", "contrast"});
      bound.Request({"1", "ChangeLumetriPanelMode", "6"});
      bound.Request({"1", "ChangeLumetriPanelMode", "7"});
    });
  });
  EXPECT_EQ(journal, (Lines{"Command\tExecuteCommand\t12\t%s%d%n",
                            "Lumetri\tSetParameterValue\texposure\t10.000000",
                            "Lumetri\tSetParameterValue\tunknown\t1.000000",
                            "Lumetri\tResetParameter\tcontrast", "Lumetri\tSetPanelMode\t6"}));
  EXPECT_EQ(traces, (Lines{"ExecuteCommand(12, %s%d%n) failed with error 'Item'",
                           "'exposure' changed to 4.000000 ",
                           "SetParameterValue(unknown, 1.000000) failed with error 'Item'",
                           "SetMode(6)", "SetMode(7)", "Invalid mode"}))
      << "client text is never a format; the host clamps to the maximum; unknown ids fail";
  EXPECT_EQ(bound.host.ParameterValue("contrast"), 0.0f);
  EXPECT_EQ(bound.host.PanelMode(), 6u);
  EXPECT_EQ(bound.host.LivePluginStringCount(), 0u);
}

TEST_F(HandlerTest, AMenuMovesOnAndStartsOverWhereMovingOnChangesNothing) {
  const auto menuStep = [&] {
    return bound.Journaled([&] {
      EXPECT_TRUE(Traced([&] { bound.Request({"1", "ChangeLumetriMenuValue", "lut"}); }).empty());
    });
  };
  EXPECT_EQ(menuStep(), Lines{"Lumetri\tSetMenuValue\tlut\t1"});
  EXPECT_EQ(bound.host.MenuChoice("lut"), "Rec709");
  EXPECT_EQ(menuStep(), Lines{"Lumetri\tSetMenuValue\tlut\t1"});
  EXPECT_EQ(bound.host.MenuChoice("lut"), "Log C");
  EXPECT_EQ(menuStep(), (Lines{"Lumetri\tSetMenuValue\tlut\t1", "Lumetri\tResetMenu\tlut"}));
  EXPECT_EQ(bound.host.MenuChoice("lut"), "None");
}

TEST_F(HandlerTest, MenusAddressedByPositionTakeOnlyTextThatStartsWithANumber) {
  const Lines journal = bound.Journaled([&] {
    bound.surface.ChangeMenuValue("0 : 2");
    bound.surface.ResetMenu("0");
  });
  EXPECT_EQ(journal, (Lines{"Lumetri\tSetMenuValue\tlut\t2", "Lumetri\tResetMenu\tlut"}));

  Lines traces;
  const Lines nothing = bound.Journaled([&] {
    traces = Traced([&] {
      bound.surface.ChangeMenuValue("x : 1");
      bound.surface.ChangeMenuValue("0 : y");
      bound.surface.ChangeMenuValue("0");
      bound.surface.ResetMenu("lut");
      bound.surface.ResetMenu("99999999999");
      // Past the host's menus: no menu id, so no menu may be changed.
      bound.surface.ChangeMenuValue("7 : 1");
      bound.surface.ResetMenu("7");
    });
  });
  EXPECT_TRUE(nothing.empty());
  EXPECT_EQ(traces, (Lines{"Invalid menu index: 'x : 1'", "Invalid menu value: '0 : y'",
                           "Invalid menu value: '0'", "Invalid menu index: 'lut'",
                           "Invalid menu index: '99999999999'", "Invalid menu index: '7 : 1'",
                           "Invalid menu index: '7'"}));
}

}  // namespace
