#include "host/Project.h"

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace {

using namespace dialforge_host;

// A full fixture is read into the example project, which the compose, dump, surface and
// end-to-end tests serve and check byte for byte; the host tests serve the documented one.
TEST(ProjectFixture, OmittedKeysTakeTheirDefaults) {
  const ProjectResult empty = ParseProject("{}", "empty.json");
  ASSERT_TRUE(empty.Ok()) << empty.error;
  EXPECT_TRUE(empty.project.commands.empty());
  EXPECT_TRUE(empty.project.lumetri.parameters.empty());
  EXPECT_TRUE(empty.project.lumetri.menus.empty());
  EXPECT_EQ(empty.project.lumetri.panelMode, 0u);
  EXPECT_TRUE(empty.project.mixer.channels.empty());
  EXPECT_TRUE(empty.project.missingSuites.empty());
  EXPECT_TRUE(empty.project.failures.empty());

  const ProjectResult sparse = ParseProject(R"({
    "lumetri": {"parameters": [{}, {"id": "b", "min": 2, "max": 5},
                               {"id": "c", "min": -3, "max": -1, "default": -2}],
                "menus": [{}]},
    "mixer": {"channels": [{}, {"components": [{}, {"bypass": 1}]}]}
  })",
                                            "sparse.json");
  ASSERT_TRUE(sparse.Ok()) << sparse.error;
  const std::vector<LumetriParameter>& parameters = sparse.project.lumetri.parameters;
  EXPECT_EQ(parameters[0].minimum, 0.0f);
  EXPECT_EQ(parameters[0].maximum, 1.0f);
  EXPECT_EQ(parameters[0].value, 0.0f);
  // Without "default", 0 is taken into the range; without "value", the default is the value.
  EXPECT_EQ(parameters[1].defaultValue, 2.0f);
  EXPECT_EQ(parameters[1].value, 2.0f);
  EXPECT_EQ(parameters[2].value, -2.0f);
  EXPECT_TRUE(sparse.project.lumetri.menus[0].choices.empty());
  const std::vector<MixerChannel>& channels = sparse.project.mixer.channels;
  EXPECT_EQ(channels[0].id, 0u);
  EXPECT_EQ(channels[1].id, 1u);
  EXPECT_EQ(channels[1].components[0].index, 0u);
  EXPECT_EQ(channels[1].components[1].index, 1u);
  EXPECT_TRUE(channels[1].components[1].bypass);
}

TEST(ProjectFixture, RefusesFaultsWithTheFileAndThePlaceOfTheProblem) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"commands": [)", "f.json: malformed JSON: "},
      {"[]", "f.json: the fixture: must be an object, not array"},
      {R"({"comands": []})", "f.json: comands: unknown key"},
      {R"({"commands": {}})", "f.json: commands: must be an array, not object"},
      {R"({"commands": [{"contextId": 12}]})",
       "f.json: commands[0].contextId: must be a string, not number"},
      {R"({"mixer": {"channels": [{"volume": "loud"}]}})",
       "f.json: mixer.channels[0].volume: must be a number, not string"},
      {R"({"mixer": {"channels": [{"id": -1}]}})",
       "f.json: mixer.channels[0].id: must not be negative"},
      {R"({"mixer": {"channels": [{"id": 1.5}]}})",
       "f.json: mixer.channels[0].id: must be a whole number"},
      {R"({"mixer": {"channels": [{"states": [0, 2]}]}})",
       "f.json: mixer.channels[0].states[1]: must be true, false, 0 or 1, not number"},
      {R"({"mixer": {"channels": [{"states": [0, 0, 0, 0, 0, 0, 0]}]}})",
       "f.json: mixer.channels[0].states: has more than 6 entries"},
      {R"({"mixer": {"channels": [{"id": 4}, {"id": 4}]}})",
       "f.json: mixer.channels[1]: id 4 is also the id of mixer.channels[0]"},
      {R"({"mixer": {"channels": [{"components": [{"index": 2}, {"index": 2}]}]}})",
       "f.json: mixer.channels[0].components[1]: index 2 is used twice in the channel"},
      {R"({"lumetri": {"parameters": [{"min": 1, "max": 0}]}})",
       "f.json: lumetri.parameters[0]: min is above max"},
      {R"({"lumetri": {"parameters": [{"value": 3}]}})",
       "f.json: lumetri.parameters[0]: value is outside [min, max]"},
      {R"({"lumetri": {"menus": [{"choices": ["None"], "value": 1}]}})",
       "f.json: lumetri.menus[0]: value 1 is past the last choice"},
      {R"({"lumetri": {"panelMode": 7}})", "f.json: lumetri.panelMode: 7 is above 6"},
      {R"({"missingSuites": ["Transport"]})",
       "f.json: missingSuites[0]: \"Transport\" is not a suite the host offers"},
      {R"({"failures": {"Navigate": "Nerror"}})",
       "f.json: failures.Navigate: \"Nerror\" is not four characters"},
      {R"({"failures": {"Navigat": "Nerr"}})",
       "f.json: failures: \"Navigat\" is not an operation of the host"},
  };
  for (const auto& [text, expected] : cases) {
    const ProjectResult result = ParseProject(text, "f.json");
    EXPECT_EQ(result.error.substr(0, expected.size()), expected) << text;
  }
}

TEST(ProjectFixture, LoadsAFileAndNamesAFileItCannotRead) {
  dialforge_test::TempHome home;
  const std::string path = home.PathOf("project.json");
  std::ofstream(path) << R"({"lumetri": {"panelMode": 3}, "failures": {"Play": 42}})";

  const ProjectResult refused = LoadProjectFile(path);
  EXPECT_EQ(refused.error, path + ": failures.Play: must be a four-character code, not number");

  std::ofstream(path) << R"({"lumetri": {"panelMode": 3}})";
  const ProjectResult loaded = LoadProjectFile(path);
  ASSERT_TRUE(loaded.Ok()) << loaded.error;
  EXPECT_EQ(loaded.project.lumetri.panelMode, 3u);

  const ProjectResult missing = LoadProjectFile(home.PathOf("absent.json"));
  EXPECT_EQ(missing.error,
            home.PathOf("absent.json") + ": cannot be read: No such file or directory");
}

TEST(SampleProject, IsServableAndHasAChannelWithoutComponents) {
  const Project sample = SampleProject();
  EXPECT_EQ(ProjectProblem(sample), "");
  EXPECT_GE(sample.commands.size(), 3u);
  EXPECT_GE(sample.lumetri.parameters.size(), 3u);
  EXPECT_GE(sample.lumetri.menus.size(), 2u);
  EXPECT_GE(sample.mixer.channels.size(), 3u);
  bool withoutComponents = false;
  bool withComponents = false;
  for (const MixerChannel& channel : sample.mixer.channels) {
    (channel.components.empty() ? withoutComponents : withComponents) = true;
  }
  EXPECT_TRUE(withoutComponents);
  EXPECT_TRUE(withComponents);
}

}  // namespace
