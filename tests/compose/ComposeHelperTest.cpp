#include "compose/ComposeHelper.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "host/HostErrors.h"
#include "host/SimulatedHost.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/PluginView.h"
#include "tests/support/ReferenceSnapshots.h"

namespace {

using dialforge_host::MixerChannel;
using dialforge_host::Project;
using dialforge_host::SimulatedHost;
using dialforge_test::ExampleProject;
using dialforge_test::PluginView;
using dialforge_test::ReferenceSnapshots;
using VazezeveDudOzizezUziriv::ComposeHelper;

const std::string kChannelTitle =
    "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number Audio Channels | "
    "Audio Channels | Pan Type \n";
const std::string kComponentTable =
    "$ | Mixer | Components | 51N | Component Name | Bypass | Parameter Count | Parameters \n";

// A host over a project, its suites, and a composer on its string suite.
struct Composing {
  explicit Composing(Project project)
      : host(std::move(project)),
        suites(host.BasicSuite(), host.HostHandle()),
        composer(suites.strings) {}

  std::string Mixer() const { return composer.ComposeMixer(suites.mixer, suites.mixerRef); }
  std::string Commands() const {
    return composer.ComposeCommands(suites.command, suites.commandRef);
  }
  std::string Parameters() const {
    return composer.ComposeLumetriParameters(suites.lumetri, suites.lumetriRef);
  }
  std::string Menus() const {
    return composer.ComposeLumetriMenu(suites.lumetri, suites.lumetriRef);
  }

  SimulatedHost host;
  PluginView suites;
  ComposeHelper composer;
};

TEST(ComposeHelperTest, TheDocumentedExamplesAreReproducedByteForByte) {
  Composing composing(ExampleProject());
  EXPECT_EQ(composing.Mixer(), dialforge_test::kExampleMixerText);
  EXPECT_EQ(composing.Commands(), dialforge_test::kExampleCommandsText);
  EXPECT_EQ(composing.Parameters(), dialforge_test::kExampleLumetriParametersText);
  EXPECT_EQ(composing.Menus(), dialforge_test::kExampleLumetriMenuText);
}

// Host text of every awkward kind, in every place a reply shows host text, beside the largest
// numbers; fourteen channels, so that rows have two digits.
Project OddNamesProject() {
  const std::vector<std::string> names = {
      "a|b,c\nd",
      "Ünïcødé ✓ 🎚",
      "",
      std::string(1021, 'a') + "é",  // 1,023 bytes: the most a mixer name may have
      std::string(1022, 'b') + "é",  // one byte more: the host cuts before the last letter
      std::string(5000, 'c'),
      std::string("before\0after", 12)};
  const size_t count = names.size();
  Project project;
  for (uint32_t row = 0; row < 2 * count; ++row) {
    const std::string& name = names[row % count];
    const std::string& next = names[(row + 1) % count];
    MixerChannel channel;
    channel.id = row == 0 ? 4294967295u : row;
    channel.name = name;
    channel.states = {row % 2 == 0, true, false, false, false, row % 3 == 0};
    channel.flags = row == 0 ? 4294967295u : row;
    channel.audioChannels = row == 1 ? 4294967295u : 2;
    channel.panType = row == 2 ? 4294967295u : 1;
    // Slot 60 is past the 51 that are probed.
    channel.components = {{0, name, true, {{name, 0.5f, next}, {next, -1.0f, name}}},
                          {50, next, false, {}},
                          {60, name, false, {}}};
    project.mixer.channels.push_back(channel);
    if (row < count) {
      project.commands.push_back({name, next, names[(row + 2) % count], names[(row + 3) % count]});
      project.lumetri.parameters.push_back({name + std::to_string(row), next, -1.0f, 1.0f, 0, 0});
      project.lumetri.menus.push_back({name + std::to_string(row), next, {name, next}, 1});
    }
  }
  return project;
}

// Values where "%f" signs, rounds, ties or runs long, in every place a reply shows a float.
Project FloatEdgesProject() {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  const std::vector<float> edges = {-0.0f,           0.0f,        1e38f,      FLT_MAX, -FLT_MAX,
                                    0.0000005f,      0.00000051f, 2.5e-7f,    -4e-7f,  -1e-9f,
                                    999999.9999999f, 0.0078125f,  0.0234375f, 0.1f,    1.0f / 3,
                                    16777217.0f,     1.5e19f,     2e19f,      -3e30f,  FLT_MIN,
                                    FLT_TRUE_MIN,    infinity,    -infinity,  nan,     -nan};
  Project project;
  MixerChannel channel;
  channel.components.push_back({7, "Edges", false, {}});
  for (size_t i = 0; i < edges.size(); ++i) {
    channel.components[0].parameters.push_back({"p", edges[i], ""});
    if (!std::isnan(edges[i])) {
      project.lumetri.parameters.push_back(
          {std::to_string(i), "", -infinity, infinity, edges[i], edges[i]});
      channel.volume = edges[i];
      channel.audioChannelValue = -edges[i];
      channel.id = static_cast<uint32_t>(i);
      project.mixer.channels.push_back(channel);
    }
  }
  return project;
}

TEST(ComposeHelperTest, RepliesMatchThePlainReferenceByteForByte) {
  const std::pair<const char*, Project> fixtures[] = {{"sample", dialforge_host::SampleProject()},
                                                      {"empty", Project{}},
                                                      {"odd names", OddNamesProject()},
                                                      {"float edges", FloatEdgesProject()}};
  for (const auto& [name, project] : fixtures) {
    SCOPED_TRACE(name);
    Composing composing(project);
    const ComposeHelper& composer = composing.composer;
    const PluginView& suites = composing.suites;
    // Composed behind what the reply already holds, as the dispatcher composes them.
    std::string mixer = "7|", commands = "7|", parameters = "7|", menus = "7|";
    composer.ComposeMixer(suites.mixer, suites.mixerRef, mixer);
    composer.ComposeCommands(suites.command, suites.commandRef, commands);
    composer.ComposeLumetriParameters(suites.lumetri, suites.lumetriRef, parameters);
    composer.ComposeLumetriMenu(suites.lumetri, suites.lumetriRef, menus);

    const ReferenceSnapshots reference(suites);
    EXPECT_EQ(mixer, "7|" + reference.Mixer());
    EXPECT_EQ(commands, "7|" + reference.Commands());
    EXPECT_EQ(parameters, "7|" + reference.LumetriParameters());
    EXPECT_EQ(menus, "7|" + reference.LumetriMenu());
    EXPECT_EQ(composing.host.ViolationCount(), 0u);
  }
}

TEST(ComposeHelperTest, AChannelWhoseIdIsNotGivenIsReadNoFurther) {
  Project project;
  project.mixer.channels.resize(2);
  // What reads with an id never given would find.
  project.mixer.channels[0] = {0, "Zero", {true}, 0.5f, 3, 2, 0.25f, 1, 0, {{3, "Gain", true, {}}}};
  project.mixer.channels[1].id = 1;
  Composing composing(project);
  composing.host.SetFailure("GetChannelID", dialforge_host::FourCharacterCode("Fail"));

  EXPECT_EQ(composing.Mixer(), "$ | Mixer | Channels | 2" + kChannelTitle +
                                   "0|0||0-0,0-0,0-0,0-0,0-0,0-0,|0.000000|0|0|0.000000|0|\n"
                                   "1|0||1-0,1-0,1-0,1-0,1-0,1-0,|0.000000|0|0|0.000000|0|\n" +
                                   kComponentTable + kComponentTable);
  EXPECT_EQ(composing.host.CallCount("GetChannelName"), 0u);
  EXPECT_EQ(composing.host.CallCount("HasComponent"), 0u);
}

TEST(ComposeHelperTest, AnIdOrTextTheHostDidNotFillIsNeitherReadNorHandedBack) {
  Composing composing(ExampleProject());
  composing.host.SetFailure("GetParameterAtIndex", dialforge_host::FourCharacterCode("Fail"));
  composing.host.SetFailure("GetMenuAtIndex", dialforge_host::FourCharacterCode("Fail"));
  EXPECT_EQ(composing.Parameters(), "||0.000000\n||0.000000\n");
  EXPECT_EQ(composing.Menus(), "||\n");
  EXPECT_EQ(composing.host.CallCount("GetParameterValue"), 0u);
  EXPECT_EQ(composing.host.CallCount("GetMenuValue"), 0u);
  EXPECT_EQ(composing.host.CallCount("CopyToUTF8"), 0u);
}

// Each binding makes the composer of its host's string suite current; earlier ones stay, for
// listeners that may still read them.
TEST(ComposeHelperTest, TheCurrentObjectHoldsTheSuiteOfTheLatestCreation) {
  Composing composing(ExampleProject());
  static const ADOBESDK_StringSuite1 kNoStrings{};
  ComposeHelper::CreateInstance(composing.suites.strings);
  ComposeHelper* first = ComposeHelper::GetInstance();
  ComposeHelper::CreateInstance(&kNoStrings);
  EXPECT_EQ(ComposeHelper::GetInstance()->ComposeCommands(composing.suites.command,
                                                          composing.suites.commandRef),
            "|||\n|||\n");
  ComposeHelper::CreateInstance(composing.suites.strings);
  EXPECT_EQ(ComposeHelper::GetInstance(), first);
  EXPECT_EQ(first->ComposeCommands(composing.suites.command, composing.suites.commandRef),
            dialforge_test::kExampleCommandsText);
}

}  // namespace
