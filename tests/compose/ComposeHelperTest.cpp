#include "compose/ComposeHelper.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/PluginView.h"

namespace {

using dialforge_host::MixerChannel;
using dialforge_host::Project;
using dialforge_host::SimulatedHost;
using dialforge_test::ExampleProject;
using dialforge_test::PluginView;
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

  uint32_t channelCount = 0;
  const std::string channels = composing.composer.ComposeMixerChannels(
      composing.suites.mixer, composing.suites.mixerRef, &channelCount);
  EXPECT_EQ(channelCount, 2u);
  EXPECT_EQ(channels +
                composing.composer.ComposeMixerComponents(composing.suites.mixer,
                                                          composing.suites.mixerRef, 0) +
                composing.composer.ComposeMixerComponents(composing.suites.mixer,
                                                          composing.suites.mixerRef, 1),
            dialforge_test::kExampleMixerText);
}

// Null suites, failed counts and failed reads are met over loopback by the fault matrix.
TEST(ComposeHelperTest, AnEmptyProjectGivesTheMinimalTexts) {
  Composing composing{Project{}};
  EXPECT_EQ(composing.Mixer(), "$ | Mixer | Channels | 0" + kChannelTitle);
  EXPECT_EQ(composing.Commands() + composing.Parameters() + composing.Menus(), "");
}

TEST(ComposeHelperTest, ComponentsAreProbedAtTheFiftyOneSlotsWithTheRowIndex) {
  Project project;
  MixerChannel channel;
  channel.id = 40;
  channel.name = "Bus";
  channel.components = {{0, "First", true, {}},
                        {50, "Last", false, {{"A", 0.5f, "half"}, {"B", -1.0f, "off"}}}};
  MixerChannel bare;
  bare.id = 41;
  bare.name = "Bare";
  project.mixer.channels = {bare, channel};
  Composing composing(project);

  const std::string mixer = composing.Mixer();
  const std::string expectedTables = kComponentTable + kComponentTable +
                                     "0|First|1|0|\n"
                                     "50|Last|0|2|\n"
                                     "---0,A,0.500000, half\n"
                                     "---1,B,-1.000000, off\n";
  ASSERT_GE(mixer.size(), expectedTables.size());
  EXPECT_EQ(mixer.substr(mixer.size() - expectedTables.size()), expectedTables);
  EXPECT_EQ(composing.host.CallCount("HasComponent"), 2u * 51u);
  EXPECT_EQ(composing.host.CallCount("GetComponentParameterName"), 2u);
}

TEST(ComposeHelperTest, HostTextAndNumbersPassThroughUnaltered) {
  Project project;
  MixerChannel channel;
  channel.id = 4294967295u;
  channel.name = "Left|Right";
  channel.states = {true, true, true, true, true, true};
  channel.volume = -0.5f;
  channel.flags = 4294967295u;
  channel.audioChannels = 6;
  channel.audioChannelValue = 3.25f;
  channel.panType = 4294967295u;
  MixerChannel padding;
  project.mixer.channels.assign(12, padding);
  for (uint32_t row = 0; row < 12; ++row) {
    project.mixer.channels[row].id = row + 1;
  }
  project.mixer.channels.push_back(channel);
  project.commands = {{"", "", "", ""}, {"1", "Edit|Cut", "2", "100% Zoom"}};
  project.lumetri.parameters = {{"big", "Big", -1e6f, 1e6f, 0.0f, 123456.5f}};
  Composing composing(project);

  const std::string mixer = composing.Mixer();
  EXPECT_NE(mixer.find("12|4294967295|Left|Right|12-1,12-1,12-1,12-1,12-1,12-1,|-0.500000|"
                       "4294967295|6|3.250000|4294967295|\n"),
            std::string::npos)
      << mixer;
  EXPECT_NE(mixer.find("\n11|12||11-0,11-0,11-0,11-0,11-0,11-0,|0.000000|0|0|0.000000|0|\n"),
            std::string::npos);
  EXPECT_EQ(composing.Commands(), "|||\n1|Edit|Cut|2|100% Zoom\n");
  EXPECT_EQ(composing.Parameters(), "big|Big|123456.500000\n");
}

// Forwards to the host's string suite, counting copies, so the tests can tell which suite a
// composer used.
struct CountingStringSuite {
  static inline const ADOBESDK_StringSuite1* host = nullptr;
  static inline int copies = 0;
  static ADOBESDK_Error Dispose(ADOBESDK_String* string) { return host->DisposeString(string); }
  static ADOBESDK_Error FromUTF8(const char* text, ADOBESDK_String* out) {
    return host->AllocateFromUTF8(text, out);
  }
  static ADOBESDK_Error Copy(const ADOBESDK_String* string, char* buffer, uint32_t* length) {
    ++copies;
    return host->CopyToUTF8(string, buffer, length);
  }
  static ADOBESDK_Error FromUTF16(const ADOBESDK_UTF16Char* text, ADOBESDK_String* out) {
    return host->AllocateFromUTF16(text, out);
  }
  static inline const ADOBESDK_StringSuite1 suite = {Dispose, FromUTF8, Copy, FromUTF16};
};

TEST(ComposeHelperTest, TheCurrentObjectHoldsTheSuiteOfTheLatestCreation) {
  Composing composing(ExampleProject());
  CountingStringSuite::host = composing.suites.strings;

  ComposeHelper::CreateInstance(composing.suites.strings);
  ComposeHelper* first = ComposeHelper::GetInstance();
  ASSERT_NE(first, nullptr);
  ComposeHelper::CreateInstance(&CountingStringSuite::suite);
  ComposeHelper* second = ComposeHelper::GetInstance();
  EXPECT_NE(second, first);
  EXPECT_EQ(
      ComposeHelper(*second).ComposeCommands(composing.suites.command, composing.suites.commandRef),
      dialforge_test::kExampleCommandsText);
  EXPECT_GT(CountingStringSuite::copies, 0);

  ComposeHelper::CreateInstance(composing.suites.strings);
  EXPECT_EQ(ComposeHelper::GetInstance(), first) << "one object per suite, kept for readers";
}

}  // namespace
