// The dumps against the simulated host, read back line by line from standard output.
#include "trace/Dumps.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "compose/AdobeSdkString.h"
#include "host/SimulatedHost.h"
#include "tests/support/CapturedOutput.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/PluginView.h"
#include "tests/support/TestSupport.h"
#include "trace/Tracer.h"

namespace {

using dialforge_host::FourCharacterCode;
using dialforge_host::Project;
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

const Lines kNoComponents = Joined({kComponentsOpening, {kClosingRuler}});

// A simulated host over the project, its suites, the string suite the binding would set, and
// the trace switch on.
struct Dumping {
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
    Lines lines = dialforge_test::SplitLines(dialforge_test::CapturedOutput(dump), "\r\n");
    EXPECT_EQ(lines.back(), "") << "the last line ends in CR LF";
    lines.pop_back();
    return lines;
  }
  Lines Mixer() {
    return Traced([&] { TRACEMixer(suites.mixer, suites.mixerRef); });
  }
  Lines Commands() {
    return Traced([&] { TRACECommands(suites.command, suites.commandRef); });
  }
  Lines Lumetri() {
    return Traced([&] { TRACELumetri(suites.lumetri, suites.lumetriRef); });
  }
  Lines ChangeCheck(const ADOBESDK_ControlSurfaceHostLumetriSuite1* suite, int index, int value) {
    return Traced([&] { TRACEChangingLumetriParameter(suite, suites.lumetriRef, index, value); });
  }

  dialforge_host::SimulatedHost host;
  dialforge_test::PluginView suites;
};

TEST(DumpsTest, EachDumpWritesItsWholeTablesWithOneRowPerItem) {
  Project project = dialforge_test::ExampleProject();
  project.mixer.channels[1].components = {{50, "Limiter", true, {{"Q", -1.5f, ""}}}};
  Dumping dumping(project);
  const struct {
    Lines (Dumping::*dump)();
    Lines expected;
  } cases[] = {
      {&Dumping::Mixer,
       Joined({{kWideRuler, "Channel Count = 2", kChannelHeader,
                "0 | 7 | Audio 1 | 0 - 0, 0 - 1, 0 - 0, 0 - 0, 0 - 0, 0 - 0,  | 0.500000 | 3 | 2 | "
                "0.000000 | 1",
                "1 | 9 | Master | 1 - 0, 1 - 0, 1 - 0, 1 - 0, 1 - 0, 1 - 0,  | 1.000000 | 0 | 2 | "
                "-0.250000 | 0",
                kClosingRuler},
               kComponentsOpening,
               {"3 | Gain | 0 | 1", "--- 0 | Level | 0.750000 | -2.5 dB", kClosingRuler},
               kComponentsOpening,
               {"50 | Limiter | 1 | 1", "--- 0 | Q | -1.500000 | ", kClosingRuler}})},
      {&Dumping::Commands,
       {kWideRuler, "Command Count = 2",
        "N | Context ID | Context Name | Command ID | Command Name",
        "0 | 12 | Timeline | 1001 | Undo", "1 | 12 | Timeline | 1002 | Redo", kClosingRuler}},
      {&Dumping::Lumetri,
       {kWideRuler, "Parameter Count = 2",
        "N | Parameter ID | Parameter Name | Min Value | Max Value | Current Value",
        "0 | exposure | Exposure | -4.000000 | 4.000000 | 0.000000",
        "1 | contrast | Contrast | -100.000000 | 100.000000 | 12.500000", kClosingRuler,
        kNarrowRuler, "Menu Count = 1", "N | Menu ID | Menu Name | Current Value",
        "0 | lut | Input LUT | None", kClosingRuler}},
  };
  for (const auto& dump : cases) {
    EXPECT_EQ((dumping.*dump.dump)(), dump.expected);
  }

  // A suite the binding could not acquire: nothing is written and nothing called.
  const auto calls = dumping.host.CallCounts();
  EXPECT_EQ(Dumping::Traced([&] {
              TRACEMixer(nullptr, dumping.suites.mixerRef);
              TRACECommands(nullptr, dumping.suites.commandRef);
              TRACELumetri(nullptr, dumping.suites.lumetriRef);
              TRACEChangingLumetriParameter(nullptr, dumping.suites.lumetriRef, 0, 1);
            }),
            Lines());
  EXPECT_EQ(dumping.host.CallCounts(), calls);
  EXPECT_EQ(dumping.host.ViolationCount(), 0u);
}

TEST(DumpsTest, TheChangeCheckComparesTheReportedValueWithTheValueReadBack) {
  Project project;
  project.lumetri.parameters = {{"amount", "Amount", 0.0f, 0.25f, 0.0f, 0.0f},
                                {"tint", "Tint", -100.0f, 100.0f, 0.0f, 0.5f}};
  Dumping dumping(project);
  const auto changed = [](const std::string& item, const std::string& outcome) {
    return Lines{kChangeRuler, "Value " + item + " " + outcome, kChangeRuler};
  };
  const ADOBESDK_ControlSurfaceHostLumetriSuite1* lumetri = dumping.suites.lumetri;

  EXPECT_EQ(dumping.ChangeCheck(lumetri, 1, -40),
            changed("id:tint name:Tint", "has succesfully changed on -40 points!"));
  // The host clamps the request to 0.25 and reads back what it reported: the change held, and
  // the line names the value that was asked for.
  EXPECT_EQ(dumping.ChangeCheck(lumetri, 0, 3),
            changed("id:amount name:Amount", "has succesfully changed on 3 points!"));
  EXPECT_EQ(dumping.host.ParameterValue("amount"), 0.25f);

  // A host on which a change does not hold: it reports a value and keeps nothing.
  ADOBESDK_ControlSurfaceHostLumetriSuite1 forgetful = *lumetri;
  forgetful.SetParameterValue = [](ADOBESDK_ControlSurfaceHostLumetri*, const ADOBESDK_String*,
                                   float, float* resultingValue) {
    *resultingValue = 0.25f;
    return ADOBESDK_Error{kADOBESDK_NoError};
  };
  EXPECT_EQ(dumping.ChangeCheck(&forgetful, 1, 7), changed("id:tint name:Tint", "hasn't changed!"));
  EXPECT_EQ(dumping.host.JournalLines(), Lines({"Lumetri\tSetParameterValue\ttint\t-40.000000",
                                                "Lumetri\tSetParameterValue\tamount\t3.000000"}));

  // Past the parameters there is no id to set: nothing is set, and nothing has changed.
  dumping.host.ClearJournalLines();
  EXPECT_EQ(dumping.ChangeCheck(lumetri, 2, 5), changed("id: name:", "hasn't changed!"));
  EXPECT_TRUE(dumping.host.JournalLines().empty());
  EXPECT_EQ(dumping.host.ViolationCount(), 0u);
}

TEST(DumpsTest, FailedReadsShowZeroOrNothingAndAChannelWithoutAnIdIsReadNoFurther) {
  Dumping dumping(dialforge_test::ExampleProject());
  const auto failing = [&](std::initializer_list<const char*> operations) {
    dumping.host.ClearFailures();
    for (const char* operation : operations) {
      dumping.host.SetFailure(operation, FourCharacterCode("Nerr"));
    }
  };
  failing({"GetChannelVolume", "GetChannelFlags", "GetMenuValue", "GetParameterAtIndex",
           "GetComponentParameterValue"});
  const Lines mixer = dumping.Mixer();
  ASSERT_EQ(mixer.size(), 16u);
  EXPECT_EQ(mixer[3],
            "0 | 7 | Audio 1 | 0 - 0, 0 - 1, 0 - 0, 0 - 0, 0 - 0, 0 - 0,  | 0.000000 | 0 | 2 | "
            "0.000000 | 1");
  EXPECT_EQ(mixer[10], "--- 0 | Level | 0.000000 | -2.5 dB");
  const Lines lumetri = dumping.Lumetri();
  ASSERT_EQ(lumetri.size(), 11u);
  EXPECT_EQ(lumetri[3], "0 |  |  | 0.000000 | 0.000000 | 0.000000");
  EXPECT_EQ(lumetri[9], "0 | lut | Input LUT | ");

  failing({"GetChannelCount", "GetCommandCount", "GetParameterCount", "GetMenuCount"});
  EXPECT_EQ(dumping.Mixer(),
            Lines({kWideRuler, "Channel Count = 0", kChannelHeader, kClosingRuler}));
  EXPECT_EQ(dumping.Commands().size(), 4u);
  EXPECT_EQ(dumping.Lumetri().size(), 8u);

  // Neither a text nor any other field is read by an id the host did not give.
  failing({"GetChannelID"});
  const uint64_t names = dumping.host.CallCount("GetChannelName");
  const uint64_t probes = dumping.host.CallCount("HasComponent");
  const auto unread = [](const std::string& row) {
    std::string states;
    for (int state = 0; state < 6; ++state) {
      states += row + " - 0, ";
    }
    return row + " | 0 |  | " + states + " | 0.000000 | 0 | 0 | 0.000000 | 0";
  };
  EXPECT_EQ(dumping.Mixer(), Joined({{kWideRuler, "Channel Count = 2", kChannelHeader, unread("0"),
                                      unread("1"), kClosingRuler},
                                     kNoComponents,
                                     kNoComponents}));
  EXPECT_EQ(dumping.host.CallCount("GetChannelName"), names);
  EXPECT_EQ(dumping.host.CallCount("HasComponent"), probes);

  EXPECT_EQ(dumping.host.ViolationCount(), 0u);
}

}  // namespace
