// The request grammar: which keyword runs what, and which requests are answered.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "surface/DialforgeListener.h"
#include "tests/support/ExampleProject.h"
#include "tests/surface/SurfaceTestSupport.h"

namespace {

using dialforge_test::BoundSurface;
using dialforge_test::Traced;
using VazezeveDudOzizezUziriv::DialforgeListener;
using Lines = std::vector<std::string>;

class DispatcherTest : public ::testing::Test {
 protected:
  BoundSurface bound{dialforge_test::ExampleProject()};
};

TEST_F(DispatcherTest, SnapshotRequestsAreAnsweredWithTheIdAndTheSnapshot) {
  // Each snapshot by its name is checked over loopback by the request test.
  EXPECT_EQ(bound.Request({"", "GetParameters", "LumetriParameters", "extra"}),
            std::string("|") + dialforge_test::kExampleLumetriParametersText);

  // Client text reaches the trace with its control bytes escaped.
  const std::pair<std::string, std::string> names[] = {
      {"mixer", "mixer"}, {"Mixers", "Mixers"}, {"\x1b]0;x\x07", "\\x1B]0;x\\x07"}};
  for (const auto& [name, traced] : names) {
    std::string reply;
    EXPECT_EQ(Traced([&, name = name] {
                reply = bound.Request({"7", "GetParameters", name});
              }),
              Lines{"Unknown GetParameters command '" + traced + "'"});
    EXPECT_EQ(reply, "7|");
  }
}

TEST_F(DispatcherTest, OnlyWholeCaseSensitiveKeywordsRunAndNothingElseIsAnswered) {
  for (const std::string keyword : {"Play", "ChangeLumetriMenu", "changeLumetri", "ChangeLumetri ",
                                    "ExecuteCommands", "", "Navigat"}) {
    std::string reply = "unset";
    EXPECT_EQ(Traced([&] {
                reply = bound.Request({"1", keyword, "x", "y", "z", "w"});
              }),
              Lines{"Unknown command '" + keyword + "'"});
    EXPECT_EQ(reply, "");
  }
  EXPECT_TRUE(bound.host.JournalLines().empty());

  // Each keyword running its handler, unanswered, is checked over loopback by the fault matrix.
  std::string reply = "unset";
  EXPECT_EQ(bound.Journaled([&] {
    reply = bound.Request({"1", "ChangeLumetri", "exposure", "0,5", "ignored"});
  }),
            Lines{"Lumetri\tSetParameterValue\texposure\t0.500000"})
      << "extra fields are ignored";
  EXPECT_EQ(reply, "");
}

TEST_F(DispatcherTest, ValuesAreParsedBeforeTheHandlersRunAndNoNumberOrNoValueSetsNothing) {
  const std::string huge = std::string(400, '9') + "." + std::string(400, '9');
  Lines traces;
  const Lines journal = bound.Journaled([&] {
    traces = Traced([&] {
      bound.Request({"1", "ChangeLumetri", "exposure", huge});
      bound.Request({"1", "ChangeLumetri", "exposure", "1e-7"});
      bound.Request({"1", "ChangeLumetriPanelMode", "2x"});
      bound.Request({"1", "ChangeLumetriPanelMode", "4294967299"});
      bound.Request({"1", "ChangeLumetri", "contrast"});
      bound.Request({"1", "ExecuteCommand", "12"});
      bound.Request({"1", "ChangeLumetri", "contrast", ""});
    });
  });
  EXPECT_EQ(traces,
            (Lines{"Invalid double: '" + huge + "'", "Invalid double: '1e-7'",
                   "Invalid integer: '2x'", "Invalid integer: '4294967299'", "Invalid message",
                   "Invalid message", "'contrast' changed to 0.000000 "}));
  EXPECT_EQ(journal, Lines{"Lumetri\tSetParameterValue\tcontrast\t0.000000"})
      << "only the empty value, which means 0, reaches the host";
}

TEST_F(DispatcherTest, TheListenerDropsMessagesOfFewerThanThreeFields) {
  DialforgeListener listener;
  EXPECT_EQ(Traced([&] {
              for (const std::string message :
                   {"", "|", "1|GetParameters", "1|Transport", "GetParameters|Mixer"}) {
                EXPECT_EQ(listener.ProcessMessage(message), "") << message;
              }
            }),
            Lines(5, "Invalid message"));
  EXPECT_EQ(Traced([&] { EXPECT_EQ(listener.ProcessMessage("1|Transport|Play"), ""); }),
            Lines{"Control surface not available"});

  listener.ServeSurface(&bound.surface);
  EXPECT_EQ(listener.ProcessMessage("5|GetParameters|LumetriMenu|"),
            std::string("5|") + dialforge_test::kExampleLumetriMenuText);
  EXPECT_EQ(listener.ProcessMessage("5||LumetriMenu"), "");
  EXPECT_EQ(Traced([&] { listener.ProcessMessage("1|GetParameters|Mixer\r"); }),
            Lines{"Unknown GetParameters command 'Mixer\\x0D'"})
      << "a carriage return before the line feed stays in the last field";
  listener.ServeSurface(nullptr);
}

}  // namespace
