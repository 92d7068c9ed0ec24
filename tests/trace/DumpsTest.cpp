// The dumps against the simulated host, read back line by line from standard output.
#include "trace/Dumps.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "compose/AdobeSdkString.h"
#include "host/SimulatedHost.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/PluginView.h"
#include "tests/support/TestSupport.h"
#include "trace/Tracer.h"

namespace {

using dialforge_host::FourCharacterCode;
using dialforge_host::MixerChannel;
using dialforge_host::Project;
using dialforge_host::SimulatedHost;
using dialforge_test::ExampleProject;
using dialforge_test::PluginView;
using dialforge_test::SplitLines;
using Lines = std::vector<std::string>;
using namespace VazezeveDudOzizezUziriv;

const std::string kWideRuler(109, '-');
const std::string kNarrowRuler(105, '-');
const std::string kClosingRuler(110, '-');
const std::string kChangeRuler(27, '-');
const std::string kChannelHeader =
    "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number Audio Channels | "
    "Audio Channels | Pan Type";
const Lines kComponentsOpening = {kNarrowRuler, "Components Count = 51",
                                  "N | Component Name | Bypass | Parameter Count | Parameters"};

Lines Joined(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

// A simulated host over the project, its suites, the string suite the binding would set, and
// the trace switch on.
class Dumping {
 public:
  explicit Dumping(Project project)
      : host(std::move(project)), suites(host.BasicSuite(), host.HostHandle()) {
    sStringSuite.store(suites.strings);
    Tracer::SetTracing(true);
  }
  ~Dumping() {
    Tracer::SetTracing(false);
    sStringSuite.store(nullptr);
  }

  // The lines the dump writes to standard output, each of which must end in CR LF.
  static Lines Traced(const std::function<void()>& dump) {
    testing::internal::CaptureStdout();
    dump();
    Lines lines = SplitLines(testing::internal::GetCapturedStdout(), "\r\n");
    EXPECT_EQ(lines.back(), "") << "the last line ends in CR LF";
    lines.pop_back();
    return lines;
  }

  void Mixer() { TRACEMixer(suites.mixer, suites.mixerRef); }
  void Components(uint32_t channel) {
    TRACEMixerComponents(suites.mixer, suites.mixerRef, channel);
  }
  void Commands() { TRACECommands(suites.command, suites.commandRef); }
  void Lumetri() { TRACELumetri(suites.lumetri, suites.lumetriRef); }

  SimulatedHost host;
  PluginView suites;
};

TEST(DumpsTest, TheMixerGivesItsChannelTableThenOneComponentTablePerChannel) {
  Project project = ExampleProject();
  MixerChannel widest;
  widest.id = 4294967295u;
  widest.name = "Master 100%";
  widest.states = {true, false, false, false, false, false};
  widest.volume = 1.0f;
  widest.flags = 4294967294u;
  widest.audioChannels = 6;
  widest.panType = 2;
  widest.components = {{50, "Limiter", true, {}}};
  project.mixer.channels.push_back(widest);
  Dumping dumping(project);

  const Lines expected = Joined({
      {kWideRuler, "Channel Count = 3", kChannelHeader,
       "0 | 7 | Audio 1 | 0 - 0, 0 - 1, 0 - 0, 0 - 0, 0 - 0, 0 - 0,  | 0.500000 | 3 | 2 | "
       "0.000000 | 1",
       "1 | 9 | Master | 1 - 0, 1 - 0, 1 - 0, 1 - 0, 1 - 0, 1 - 0,  | 1.000000 | 0 | 2 | "
       "-0.250000 | 0",
       "2 | -1 | Master 100% | 2 - 1, 2 - 0, 2 - 0, 2 - 0, 2 - 0, 2 - 0,  | 1.000000 | -2 | 6 | "
       "0.000000 | 2",
       kClosingRuler},
      kComponentsOpening,
      {"3 | Gain | 0 | 1", "--- 0 | Level | 0.750000 | -2.5 dB", kClosingRuler},
      kComponentsOpening,
      {kClosingRuler},
      kComponentsOpening,
      {"50 | Limiter | 1 | 0", kClosingRuler},
  });
  EXPECT_EQ(Dumping::Traced([&] { dumping.Mixer(); }), expected);
  EXPECT_EQ(dumping.host.CallCount("HasComponent"), 3u * 51u)
      << "every channel is probed at all 51 slots, whatever the host holds";
  EXPECT_EQ(dumping.host.CallCount("GetChannelState"), 3u * 6u);

  int count = 0;
  const Lines channels = Dumping::Traced(
      [&] { count = TRACEMixerChannels(dumping.suites.mixer, dumping.suites.mixerRef); });
  EXPECT_EQ(count, 3);
  EXPECT_EQ(channels, Lines(expected.begin(), expected.begin() + 7));
  EXPECT_EQ(dumping.host.ViolationCount(), 0u);
}

TEST(DumpsTest, ComponentRowsShowTheirBypassFlagAndAreFollowedByTheirParameterRows) {
  Project project;
  MixerChannel bus;
  bus.id = 40;
  bus.components = {{0, "Equalizer", true, {{"Frequency", 1200.0f, "1200 Hz"}, {"Q", -1.5f, ""}}},
                    {12, "Reverb", false, {}}};
  MixerChannel bare;
  bare.id = 41;
  project.mixer.channels = {bus, bare};
  Dumping dumping(project);

  EXPECT_EQ(Dumping::Traced([&] { dumping.Components(0); }),
            Joined({kComponentsOpening,
                    {"0 | Equalizer | 1 | 2", "--- 0 | Frequency | 1200.000000 | 1200 Hz",
                     "--- 1 | Q | -1.500000 | ", "12 | Reverb | 0 | 0", kClosingRuler}}));
  // A channel without components, and a row the host does not have, still get the whole table.
  EXPECT_EQ(Dumping::Traced([&] { dumping.Components(1); }),
            Joined({kComponentsOpening, {kClosingRuler}}));
  EXPECT_EQ(Dumping::Traced([&] { dumping.Components(2); }),
            Joined({kComponentsOpening, {kClosingRuler}}));
  EXPECT_EQ(dumping.host.CallCount("HasComponent"), 3u * 51u);
  EXPECT_EQ(dumping.host.CallCount("GetComponentParameterText"), 2u);
}

TEST(DumpsTest, TheCommandAndLumetriTablesListEveryItemAndStayWholeWhenEmpty) {
  {
    Dumping dumping(ExampleProject());
    EXPECT_EQ(Dumping::Traced([&] { dumping.Commands(); }),
              Lines({kWideRuler, "Command Count = 2",
                     "N | Context ID | Context Name | Command ID | Command Name",
                     "0 | 12 | Timeline | 1001 | Undo", "1 | 12 | Timeline | 1002 | Redo",
                     kClosingRuler}));
    EXPECT_EQ(
        Dumping::Traced([&] { dumping.Lumetri(); }),
        Lines({kWideRuler, "Parameter Count = 2",
               "N | Parameter ID | Parameter Name | Min Value | Max Value | Current Value",
               "0 | exposure | Exposure | -4.000000 | 4.000000 | 0.000000",
               "1 | contrast | Contrast | -100.000000 | 100.000000 | 12.500000", kClosingRuler,
               kNarrowRuler, "Menu Count = 1", "N | Menu ID | Menu Name | Current Value",
               "0 | lut | Input LUT | None", kClosingRuler}));
    EXPECT_EQ(dumping.host.ViolationCount(), 0u);
  }
  Dumping empty{Project{}};
  EXPECT_EQ(Dumping::Traced([&] { empty.Commands(); }),
            Lines({kWideRuler, "Command Count = 0",
                   "N | Context ID | Context Name | Command ID | Command Name", kClosingRuler}));
  EXPECT_EQ(Dumping::Traced([&] { empty.Lumetri(); }),
            Lines({kWideRuler, "Parameter Count = 0",
                   "N | Parameter ID | Parameter Name | Min Value | Max Value | Current Value",
                   kClosingRuler, kNarrowRuler, "Menu Count = 0",
                   "N | Menu ID | Menu Name | Current Value", kClosingRuler}));
  EXPECT_EQ(Dumping::Traced([&] { empty.Mixer(); }),
            Lines({kWideRuler, "Channel Count = 0", kChannelHeader, kClosingRuler}));
}

TEST(DumpsTest, NullSuitesWriteNothingAndCallNothing) {
  Dumping dumping(dialforge_host::SampleProject());
  const auto callsBefore = dumping.host.CallCounts();
  int count = -1;
  EXPECT_EQ(Dumping::Traced([&] {
              TRACECommands(nullptr, dumping.suites.commandRef);
              TRACEMixer(nullptr, dumping.suites.mixerRef);
              TRACELumetri(nullptr, dumping.suites.lumetriRef);
              count = TRACEMixerChannels(nullptr, dumping.suites.mixerRef);
              TRACEMixerComponents(nullptr, dumping.suites.mixerRef, 0);
              TRACELumetriParameters(nullptr, dumping.suites.lumetriRef);
              TRACELumetriMenu(nullptr, dumping.suites.lumetriRef);
              TRACEChangingLumetriParameter(nullptr, dumping.suites.lumetriRef, 0, 1);
            }),
            Lines());
  EXPECT_EQ(count, 0);
  EXPECT_EQ(dumping.host.CallCounts(), callsBefore);
}

// The host calls of every dump once, through the sample project, which has items of every kind.
std::map<std::string, uint64_t> CallsMadeBy(Dumping& dumping) {
  const auto before = dumping.host.CallCounts();
  dumping.Mixer();
  dumping.Commands();
  dumping.Lumetri();
  TRACEChangingLumetriParameter(dumping.suites.lumetri, dumping.suites.lumetriRef, 1, 20);
  std::map<std::string, uint64_t> made;
  for (const auto& [operation, calls] : dumping.host.CallCounts()) {
    const auto earlier = before.find(operation);
    const uint64_t delta = calls - (earlier == before.end() ? 0 : earlier->second);
    if (delta != 0) {
      made[operation] = delta;
    }
  }
  return made;
}

TEST(DumpsTest, WithBothSwitchesOffNothingIsWrittenButEveryHostCallIsMade) {
  Dumping dumping(dialforge_host::SampleProject());
  Tracer::SetTracing(false);
  Tracer::SetLog(false);
  std::map<std::string, uint64_t> callsUntraced;
  EXPECT_EQ(Dumping::Traced([&] { callsUntraced = CallsMadeBy(dumping); }), Lines());

  Tracer::SetTracing(true);
  std::map<std::string, uint64_t> callsTraced;
  EXPECT_NE(Dumping::Traced([&] { callsTraced = CallsMadeBy(dumping); }), Lines());
  EXPECT_EQ(callsUntraced, callsTraced);

  // Each read once traced is what the tables above show; untraced it is made all the same.
  EXPECT_EQ(callsUntraced.size(), 25u + 1u) << "the host reads and the string copies, no more";
}

// Reports a fixed value and keeps nothing: a host on which a change does not hold.
ADOBESDK_Error ReportQuarterAndKeepNothing(ADOBESDK_ControlSurfaceHostLumetri*,
                                           const ADOBESDK_String*, float, float* resultingValue) {
  *resultingValue = 0.25f;
  return kADOBESDK_NoError;
}

TEST(DumpsTest, TheChangeCheckComparesTheReportedValueWithTheValueReadBack) {
  Project project;
  project.lumetri.parameters = {{"amount", "Amount", 0.0f, 0.25f, 0.0f, 0.0f},
                                {"tint", "Tint", -100.0f, 100.0f, 0.0f, 0.5f}};
  Dumping dumping(project);
  const auto check = [&](const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite, int index,
                         int value) {
    return Dumping::Traced(
        [&] { TRACEChangingLumetriParameter(suite, dumping.suites.lumetriRef, index, value); });
  };

  EXPECT_EQ(check(dumping.suites.lumetri, 1, -40),
            Lines({kChangeRuler, "Value id:tint name:Tint has succesfully changed on -40 points!",
                   kChangeRuler}));
  EXPECT_EQ(dumping.host.ParameterValue("tint"), -40.0f);

  // The host clamps the request to 0.25 and reads back what it reported: the change held, and
  // the line names the value that was asked for.
  EXPECT_EQ(check(dumping.suites.lumetri, 0, 3),
            Lines({kChangeRuler, "Value id:amount name:Amount has succesfully changed on 3 points!",
                   kChangeRuler}));
  EXPECT_EQ(dumping.host.ParameterValue("amount"), 0.25f);
  EXPECT_EQ(dumping.host.JournalLines(), Lines({"Lumetri\tSetParameterValue\ttint\t-40.000000",
                                                "Lumetri\tSetParameterValue\tamount\t3.000000"}));

  ADOBESDK_ControlSurfaceHostLumetriSuite1 forgetful = *dumping.suites.lumetri;
  forgetful.SetParameterValue = ReportQuarterAndKeepNothing;
  EXPECT_EQ(check(&forgetful, 1, 7),
            Lines({kChangeRuler, "Value id:tint name:Tint hasn't changed!", kChangeRuler}));
  EXPECT_EQ(dumping.host.ParameterValue("tint"), -40.0f);

  // A read-back that fails shows 0, which is not what the host reported.
  dumping.host.SetFailure("GetParameterValue", FourCharacterCode("Nerr"));
  EXPECT_EQ(check(dumping.suites.lumetri, 1, 10),
            Lines({kChangeRuler, "Value id:tint name:Tint hasn't changed!", kChangeRuler}));
  dumping.host.ClearFailure("GetParameterValue");

  // Past the parameters there is no id to set: nothing is set, and nothing has changed.
  dumping.host.ClearJournalLines();
  EXPECT_EQ(check(dumping.suites.lumetri, 2, 5),
            Lines({kChangeRuler, "Value id: name: hasn't changed!", kChangeRuler}));
  EXPECT_TRUE(dumping.host.JournalLines().empty());
  EXPECT_EQ(dumping.host.ViolationCount(), 0u);
}

TEST(DumpsTest, FailedHostReadsShowZeroOrEmptyTextAndAFailedCountGivesNoRows) {
  Dumping dumping(ExampleProject());
  dumping.host.SetFailure("CopyToUTF8", FourCharacterCode("Nerr"));
  EXPECT_EQ(Dumping::Traced([&] { dumping.Commands(); })[3], "0 |  |  |  | ");
  dumping.host.ClearFailures();

  // Without a string suite no text is read, and the host's strings are not touched.
  sStringSuite.store(nullptr);
  const uint64_t copies = dumping.host.CallCount("CopyToUTF8");
  EXPECT_EQ(Dumping::Traced([&] { dumping.Lumetri(); })[3],
            "0 |  |  | -4.000000 | 4.000000 | 0.000000");
  EXPECT_EQ(dumping.host.CallCount("CopyToUTF8"), copies);
  sStringSuite.store(dumping.suites.strings);

  for (const char* read : {"GetChannelVolume", "GetChannelFlags", "GetMenuValue",
                           "GetParameterAtIndex", "GetComponentParameterValue"}) {
    dumping.host.SetFailure(read, FourCharacterCode("Nerr"));
  }
  const Lines mixer = Dumping::Traced([&] { dumping.Mixer(); });
  ASSERT_EQ(mixer.size(), 16u);
  EXPECT_EQ(mixer[3],
            "0 | 7 | Audio 1 | 0 - 0, 0 - 1, 0 - 0, 0 - 0, 0 - 0, 0 - 0,  | 0.000000 | 0 | 2 | "
            "0.000000 | 1");
  EXPECT_EQ(mixer[10], "--- 0 | Level | 0.000000 | -2.5 dB");
  const Lines lumetri = Dumping::Traced([&] { dumping.Lumetri(); });
  ASSERT_EQ(lumetri.size(), 11u);
  EXPECT_EQ(lumetri[3], "0 |  |  | 0.000000 | 0.000000 | 0.000000");
  EXPECT_EQ(lumetri[9], "0 | lut | Input LUT | ");

  dumping.host.ClearFailures();
  for (const char* count : {"GetChannelCount", "GetCommandCount", "GetParameterCount",
                            "GetMenuCount", "GetComponentParameterCount"}) {
    dumping.host.SetFailure(count, FourCharacterCode("Nerr"));
  }
  EXPECT_EQ(Dumping::Traced([&] { dumping.Mixer(); }),
            Lines({kWideRuler, "Channel Count = 0", kChannelHeader, kClosingRuler}));
  EXPECT_EQ(Dumping::Traced([&] { dumping.Commands(); }).size(), 4u);
  EXPECT_EQ(Dumping::Traced([&] { dumping.Lumetri(); }).size(), 8u);
  EXPECT_EQ(Dumping::Traced([&] { dumping.Components(0); }),
            Joined({kComponentsOpening, {"3 | Gain | 0 | 0", kClosingRuler}}));

  // A channel whose id the host does not give is read no further, by no other id.
  dumping.host.ClearFailures();
  dumping.host.SetFailure("GetChannelID", FourCharacterCode("Nerr"));
  const uint64_t names = dumping.host.CallCount("GetChannelName");
  const uint64_t probes = dumping.host.CallCount("HasComponent");
  const auto unread = [](const std::string& row) {
    std::string states;
    for (int state = 0; state < 6; ++state) {
      states += row + " - 0, ";
    }
    return row + " | 0 |  | " + states + " | 0.000000 | 0 | 0 | 0.000000 | 0";
  };
  EXPECT_EQ(Dumping::Traced([&] { dumping.Mixer(); }),
            Joined({{kWideRuler, "Channel Count = 2", kChannelHeader, unread("0"), unread("1"),
                     kClosingRuler},
                    kComponentsOpening,
                    {kClosingRuler},
                    kComponentsOpening,
                    {kClosingRuler}}));
  EXPECT_EQ(dumping.host.CallCount("GetChannelName"), names);
  EXPECT_EQ(dumping.host.CallCount("HasComponent"), probes);
  EXPECT_EQ(dumping.host.ViolationCount(), 0u);
}

}  // namespace
