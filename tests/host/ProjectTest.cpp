#include "host/Project.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "tests/support/PluginView.h"

namespace {

using namespace dialforge_host;

// A fixture with a mistake is refused, naming the file and the place, rather than served as some
// other project than the one the test or the user meant.
TEST(ProjectFixture, RefusesFaultsWithTheFileAndThePlaceOfTheProblem) {
  const std::pair<std::string, std::string> cases[] = {
      {R"({"commands": [)", "f.json: malformed JSON: "},
      {R"({"comands": []})", "f.json: comands: unknown key"},
      {R"({"commands": [{"contextId": 12}]})",
       "f.json: commands[0].contextId: must be a string, not number"},
      {R"({"mixer": {"channels": [{"id": 1.5}]}})",
       "f.json: mixer.channels[0].id: must be a whole number"},
      {R"({"mixer": {"channels": [{"states": [0, 2]}]}})",
       "f.json: mixer.channels[0].states[1]: must be true, false, 0 or 1, not number"},
      {R"({"mixer": {"channels": [{"id": 4}, {"id": 4}]}})",
       "f.json: mixer.channels[1]: id 4 is also the id of mixer.channels[0]"},
      {R"({"mixer": {"channels": [{"components": [{"index": 2}, {"index": 2}]}]}})",
       "f.json: mixer.channels[0].components[1]: index 2 is used twice in the channel"},
      {R"({"lumetri": {"parameters": [{"value": 3}]}})",
       "f.json: lumetri.parameters[0]: value is outside [min, max]"},
      {R"({"lumetri": {"menus": [{"choices": ["None"], "value": 1}]}})",
       "f.json: lumetri.menus[0]: value 1 is past the last choice"},
      {R"({"lumetri": {"panelMode": 7}})", "f.json: lumetri.panelMode: 7 is above 6"},
      {R"({"missingSuites": ["Transport"]})",
       "f.json: missingSuites[0]: \"Transport\" is not a suite the host offers"},
      {R"({"failures": {"Navigat": "Nerr"}})",
       "f.json: failures: \"Navigat\" is not an operation of the host"},
  };
  for (const auto& [text, expected] : cases) {
    const ProjectResult result = ParseProject(text, "f.json");
    EXPECT_EQ(result.error.substr(0, expected.size()), expected) << text;
  }
}

TEST(ProjectFixture, TheMissingSuitesAndFailuresItNamesTakeEffect) {
  const ProjectResult fixture = ParseProject(R"({
    "missingSuites": ["ADOBESDK ControlSurfaceHost Transport Suite"],
    "failures": {"Navigate": "Nerr", "ObtainMixerRef": "fail"}
  })",
                                             "faults.json");
  ASSERT_TRUE(fixture.Ok()) << fixture.error;
  SimulatedHost host(fixture.project);
  const dialforge_test::PluginView view(host);
  EXPECT_EQ(view.transport, nullptr);
  EXPECT_EQ(view.mixerRef, nullptr);
  EXPECT_NE(view.lumetriRef, nullptr);
  EXPECT_EQ(view.command->Navigate(view.commandRef, 1, 2, 3, 0), FourCharacterCode("Nerr"));
}

}  // namespace
