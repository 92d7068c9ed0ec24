// The fault matrix: the real module in the simulated host with one host suite missing or one host
// operation failing, and every kind of request sent to it over loopback. For every pair the
// table below says which trace lines the request writes, which bytes come back and which host
// actions are journaled; a request the table does not name for a fault behaves as without one.
#include <cctype>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/HostErrors.h"
#include "host/Operations.h"
#include "host/PluginModule.h"
#include "host/SimulatedHost.h"
#include "tests/support/Loopback.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using dialforge_host::PluginInstance;
using dialforge_host::PluginModule;
using dialforge_host::SimulatedHost;
using dialforge_test::TempHome;
using Lines = std::vector<std::string>;

// Its NUL must not cut the trace line that names it.
constexpr ADOBESDK_Error kFault = dialforge_host::FourCharacterCode("Fa\0l");

// What one request comes to: the trace lines written while it is handled (the listener's own
// left out), the reply and the host actions journaled.
struct Outcome {
  Lines traces;
  std::string reply;
  Lines journal;
};
using Outcomes = std::map<std::string, Outcome>;

struct Request {
  std::string name;
  std::string message;
};

const char* const kTransportKeywords[] = {
    "BeginRewind", "EndRewind", "BeginForward", "EndForward",  "Stop",
    "Play",        "Record",    "Pause",        "ToggleCycle", "GotoPrevious",
    "GotoNext",    "GotoStart", "ShuttleLeft",  "ShuttleStop", "ShuttleRight"};

// Snapshots come first: the requests after them change the project.
std::vector<Request> Requests() {
  std::vector<Request> requests = {
      {"LumetriParameters", "1|GetParameters|LumetriParameters"},
      {"LumetriMenu", "2|GetParameters|LumetriMenu"},
      {"Mixer", "3|GetParameters|Mixer"},
      {"Commands", "4|GetParameters|Commands"},
      {"unknown snapshot", "5|GetParameters|Bogus"},
      {"ChangeLumetri", "6|ChangeLumetri|exposure|0.5"},
      {"ResetChangeLumetri", "7|ResetChangeLumetri|exposure"},
      {"ChangeLumetriMenuValue", "8|ChangeLumetriMenuValue|lut"},
      {"ChangeLumetriPanelMode", "9|ChangeLumetriPanelMode|3"},
      {"ChangeMixer", "10|ChangeMixer|0"},
      {"ExecuteCommand", "11|ExecuteCommand|12|1001"},
      {"Navigate", "12|Navigate|1,2,3,0"},
      {"JogDial", "13|Transport|JogDial|3|-2|1"},
      {"too short", "14|Transport"},
      {"unknown keyword", "15|Bogus|0"},
  };
  for (const char* keyword : kTransportKeywords) {
    requests.push_back({keyword, std::string("16|Transport|") + keyword});
  }
  return requests;
}

// Its reply tells that every request before it has been handled.
const std::string kLastRequest = "end|GetParameters|End";
const std::string kLastReply = "end|";

dialforge_host::Project FaultProject() {
  dialforge_host::Project project;
  project.commands = {{"12", "Timeline", "1001", "Undo"}};
  project.lumetri.parameters = {{"exposure", "Exposure", -4.0f, 4.0f, 0.0f, 0.25f}};
  project.lumetri.menus = {{"lut", "Input LUT", {"None", "Rec709"}, 0}};
  dialforge_host::MixerChannel channel;
  channel.id = 7;
  channel.name = "Audio 1";
  channel.states = {false, true, false, false, false, false};
  channel.volume = 0.5f;
  channel.flags = 3;
  channel.audioChannels = 2;
  channel.audioChannelValue = -0.25f;
  channel.panType = 1;
  channel.components = {{3, "Gain", true, {{"Level", 0.75f, "-2.5 dB"}}}};
  project.mixer.channels = {channel};
  return project;
}

const std::string kChannelColumns =
    "N | Channel ID | Channel Name | Channnel States | Volume | Flags | Number Audio Channels | "
    "Audio Channels | Pan Type \n";
const std::string kComponentsTitle =
    "$ | Mixer | Components | 51N | Component Name | Bypass | Parameter Count | Parameters \n";

std::string MixerReply(const std::string& channelRow, const std::string& componentRows) {
  return "3|$ | Mixer | Channels | 1" + kChannelColumns + channelRow + kComponentsTitle +
         componentRows;
}

const std::string kChannelRow = "0|7|Audio 1|0-0,0-1,0-0,0-0,0-0,0-0,|0.500000|3|2|-0.250000|1|\n";
const std::string kComponentRow = "3|Gain|1|1|\n";
const std::string kParameterRow = "---0,Level,0.750000, -2.5 dB\n";

Outcomes Baseline() {
  Outcomes outcomes = {
      {"LumetriParameters", {{}, "1|exposure|Exposure|0.250000\n", {}}},
      {"LumetriMenu", {{}, "2|lut|Input LUT|None\n", {}}},
      {"Mixer", {{}, MixerReply(kChannelRow, kComponentRow + kParameterRow), {}}},
      {"Commands", {{}, "4|12|Timeline|1001|Undo\n", {}}},
      {"unknown snapshot", {{"Unknown GetParameters command 'Bogus'"}, "5|", {}}},
      {"ChangeLumetri",
       {{"'exposure' changed to 0.500000 "},
        "",
        {"Lumetri\tSetParameterValue\texposure\t0.500000"}}},
      {"ResetChangeLumetri", {{}, "", {"Lumetri\tResetParameter\texposure"}}},
      {"ChangeLumetriMenuValue", {{}, "", {"Lumetri\tSetMenuValue\tlut\t1"}}},
      {"ChangeLumetriPanelMode", {{"SetMode(3)"}, "", {"Lumetri\tSetPanelMode\t3"}}},
      {"ChangeMixer", {{}, "", {}}},
      {"ExecuteCommand",
       {{"\n Command executed: 1001"}, "", {"Command\tExecuteCommand\t12\t1001"}}},
      {"Navigate", {{}, "", {"Command\tNavigate\t1\t2\t3\t0"}}},
      {"JogDial", {{}, "", {"Transport\tJogDial\t1\t3.000000\t-2.000000"}}},
      {"too short", {{"Invalid message"}, "", {}}},
      {"unknown keyword", {{"Unknown command 'Bogus'"}, "", {}}},
  };
  for (const char* keyword : kTransportKeywords) {
    outcomes[keyword] = {{}, "", {std::string("Transport\t") + keyword}};
  }
  return outcomes;
}

Outcomes Merged(std::initializer_list<Outcomes> parts) {
  Outcomes merged;
  for (const Outcomes& part : parts) {
    merged.insert(part.begin(), part.end());
  }
  return merged;
}

// A handler that finds a suite missing traces so and calls nothing.
Outcome Unavailable(const std::string& suite) {
  return {{suite + " suite not available"}, "", {}};
}

Outcomes TransportUnavailable() {
  Outcomes outcomes = {{"JogDial", Unavailable("Transport")}};
  for (const char* keyword : kTransportKeywords) {
    outcomes[keyword] = Unavailable("Transport");
  }
  return outcomes;
}

Outcomes CommandUnavailable() {
  return {{"Commands", {{}, "4|", {}}},
          {"ExecuteCommand", Unavailable("Command")},
          {"Navigate", Unavailable("Command")}};
}

Outcomes MixerUnavailable() {
  return {{"Mixer", {{}, "3|", {}}}};
}

Outcomes LumetriUnavailable() {
  return {{"LumetriParameters", {{}, "1|", {}}},
          {"LumetriMenu", {{}, "2|", {}}},
          {"ChangeLumetri", Unavailable("Lumetri")},
          {"ResetChangeLumetri", Unavailable("Lumetri")},
          {"ChangeLumetriMenuValue", Unavailable("Lumetri")},
          {"ChangeLumetriPanelMode", {{"SetMode(3)", "Lumetri suite not available"}, "", {}}}};
}

// Without the host suite nothing is bound, and no composer was ever made in this process.
Outcomes NothingBound() {
  return Merged(
      {TransportUnavailable(), CommandUnavailable(), MixerUnavailable(), LumetriUnavailable()});
}

// Every host text reads as empty; the host still resolves the strings it filled in itself.
Outcomes SnapshotsWithoutText() {
  return {{"LumetriParameters", {{}, "1|||0.250000\n", {}}},
          {"LumetriMenu", {{}, "2|||\n", {}}},
          {"Mixer",
           {{},
            MixerReply("0|7||0-0,0-1,0-0,0-0,0-0,0-0,|0.500000|3|2|-0.250000|1|\n",
                       "3||1|1|\n---0,,0.750000, \n"),
            {}}},
          {"Commands", {{}, "4||||\n", {}}}};
}

Outcomes WithoutStringSuite() {
  const Outcome unavailable = {{"String suite not available"}, "", {}};
  return Merged({{{"ChangeLumetri", unavailable},
                  {"ResetChangeLumetri", unavailable},
                  {"ChangeLumetriMenuValue", unavailable},
                  {"ExecuteCommand", unavailable}},
                 SnapshotsWithoutText()});
}

Outcome MixerWith(const std::string& channelRow, const std::string& componentRows) {
  return {{}, MixerReply(channelRow, componentRows), {}};
}

Outcome MixerWithChannel(const std::string& channelRow) {
  return MixerWith(channelRow, kComponentRow + kParameterRow);
}

struct FaultCase {
  std::string name;
  std::string missingSuite;
  std::string failingOperation;
  // Whether the binding or a request calls the failing operation at all.
  bool reached = true;
  Outcomes differences;
  // Strings the plug-in made and could not dispose.
  size_t stringsLeft = 0;
};

FaultCase Missing(const std::string& suite, Outcomes differences) {
  return {"Missing " + suite, suite, "", true, std::move(differences), 0};
}

FaultCase Failing(const std::string& operation, Outcomes differences) {
  return {operation, "", operation, true, std::move(differences), 0};
}

FaultCase NotReached(const std::string& operation) {
  return {operation, "", operation, false, {}, 0};
}

std::vector<FaultCase> FaultCases() {
  FaultCase disposeString = Failing("DisposeString", {});
  // Two strings for ExecuteCommand, one for each Lumetri request that names a control.
  disposeString.stringsLeft = 5;
  const std::string fault = "'Fa\\x00l'";

  std::vector<FaultCase> cases = {
      Missing("SP Suites Suite", {}),
      Missing("ADOBESDK StringSuite", WithoutStringSuite()),
      Missing("ADOBESDK ControlSurfaceHost Suite", NothingBound()),
      Missing("ADOBESDK ControlSurfaceHost Transport Suite", TransportUnavailable()),
      Missing("ADOBESDK ControlSurfaceHost Command Suite", CommandUnavailable()),
      Missing("ADOBESDK ControlSurfaceHost Mixer Suite", MixerUnavailable()),
      Missing("ADOBESDK ControlSurfaceHost Lumetri Suite", LumetriUnavailable()),

      Failing("AcquireSuite", NothingBound()),
      NotReached("ReleaseSuite"),
      NotReached("AllocateSuiteList"),
      NotReached("FreeSuiteList"),
      NotReached("AddSuite"),

      disposeString,
      Failing("AllocateFromUTF8",
              {{"ChangeLumetri", {{"Cannot make host string from 'exposure'"}, "", {}}},
               {"ResetChangeLumetri", {{"Cannot make host string from 'exposure'"}, "", {}}},
               {"ChangeLumetriMenuValue", {{"Cannot make host string from 'lut'"}, "", {}}},
               {"ExecuteCommand", {{"Cannot make host string from '12'"}, "", {}}}}),
      Failing("CopyToUTF8",
              Merged({{{"ChangeLumetriMenuValue",
                        {{}, "", {"Lumetri\tSetMenuValue\tlut\t1", "Lumetri\tResetMenu\tlut"}}},
                       {"ExecuteCommand",
                        {{"\n Command executed: "}, "", {"Command\tExecuteCommand\t12\t1001"}}}},
                      SnapshotsWithoutText()})),
      NotReached("AllocateFromUTF16"),

      Failing("ObtainCommandRef", CommandUnavailable()),
      Failing("ObtainMixerRef", MixerUnavailable()),
      Failing("ObtainTransportRef", TransportUnavailable()),
      Failing("ObtainLumetriRef", LumetriUnavailable()),

      Failing("Navigate", {{"Navigate",
                            {{"Navigate(1, 2, 3, 0) failed with error " + fault},
                             "",
                             {"Command\tNavigate\t1\t2\t3\t0"}}}}),
      Failing("GetCommandCount", {{"Commands", {{}, "4|", {}}}}),
      Failing("GetCommandAtIndex", {{"Commands", {{}, "4||||\n", {}}}}),
      Failing("ExecuteCommand", {{"ExecuteCommand",
                                  {{"ExecuteCommand(12, 1001) failed with error " + fault},
                                   "",
                                   {"Command\tExecuteCommand\t12\t1001"}}}}),

      // A failed mixer read is written as 0 or nothing; the snapshot goes on.
      Failing("GetChannelCount",
              {{"Mixer", {{}, "3|$ | Mixer | Channels | 0" + kChannelColumns, {}}}}),
      // No read is made with an id the host did not give: the channel has no components either.
      Failing(
          "GetChannelID",
          {{"Mixer", MixerWith("0|0||0-0,0-0,0-0,0-0,0-0,0-0,|0.000000|0|0|0.000000|0|\n", "")}}),
      Failing("GetChannelState",
              {{"Mixer", MixerWithChannel(
                             "0|7|Audio 1|0-0,0-0,0-0,0-0,0-0,0-0,|0.500000|3|2|-0.250000|1|\n")}}),
      Failing("GetChannelFlags",
              {{"Mixer", MixerWithChannel(
                             "0|7|Audio 1|0-0,0-1,0-0,0-0,0-0,0-0,|0.500000|0|2|-0.250000|1|\n")}}),
      Failing("GetChannelVolume",
              {{"Mixer", MixerWithChannel(
                             "0|7|Audio 1|0-0,0-1,0-0,0-0,0-0,0-0,|0.000000|3|2|-0.250000|1|\n")}}),
      Failing("GetAudioChannelCount",
              {{"Mixer", MixerWithChannel(
                             "0|7|Audio 1|0-0,0-1,0-0,0-0,0-0,0-0,|0.500000|3|0|-0.250000|1|\n")}}),
      Failing("GetAudioChannelValue",
              {{"Mixer", MixerWithChannel(
                             "0|7|Audio 1|0-0,0-1,0-0,0-0,0-0,0-0,|0.500000|3|2|0.000000|1|\n")}}),
      Failing("GetPanType",
              {{"Mixer", MixerWithChannel(
                             "0|7|Audio 1|0-0,0-1,0-0,0-0,0-0,0-0,|0.500000|3|2|-0.250000|0|\n")}}),
      Failing("GetChannelName",
              {{"Mixer",
                MixerWithChannel("0|7||0-0,0-1,0-0,0-0,0-0,0-0,|0.500000|3|2|-0.250000|1|\n")}}),
      Failing("HasComponent", {{"Mixer", MixerWith(kChannelRow, "")}}),
      Failing("GetComponentName", {{"Mixer", MixerWith(kChannelRow, "3||1|1|\n" + kParameterRow)}}),
      Failing("GetComponentBypass",
              {{"Mixer", MixerWith(kChannelRow, "3|Gain|0|1|\n" + kParameterRow)}}),
      Failing("GetComponentParameterCount", {{"Mixer", MixerWith(kChannelRow, "3|Gain|1|0|\n")}}),
      Failing("GetComponentParameterName",
              {{"Mixer", MixerWith(kChannelRow, kComponentRow + "---0,,0.750000, -2.5 dB\n")}}),
      Failing("GetComponentParameterText",
              {{"Mixer", MixerWith(kChannelRow, kComponentRow + "---0,Level,0.750000, \n")}}),
      Failing(
          "GetComponentParameterValue",
          {{"Mixer", MixerWith(kChannelRow, kComponentRow + "---0,Level,0.000000, -2.5 dB\n")}}),
      NotReached("SetAutomationMode"),

      Failing("GetParameterCount", {{"LumetriParameters", {{}, "1|", {}}}}),
      Failing("GetParameterAtIndex", {{"LumetriParameters", {{}, "1|||0.000000\n", {}}}}),
      Failing("GetParameterValue",
              {{"LumetriParameters", {{}, "1|exposure|Exposure|0.000000\n", {}}}}),
      Failing("SetParameterValue",
              {{"ChangeLumetri",
                {{"SetParameterValue(exposure, 0.500000) failed with error " + fault},
                 "",
                 {"Lumetri\tSetParameterValue\texposure\t0.500000"}}}}),
      Failing("ResetParameter", {}),
      Failing("GetMenuCount", {{"LumetriMenu", {{}, "2|", {}}}}),
      Failing("GetMenuAtIndex", {{"LumetriMenu", {{}, "2|||\n", {}}}}),
      // The old value reads as empty and the new one does not: the menu is not reset.
      Failing("GetMenuValue", {{"LumetriMenu", {{}, "2|lut|Input LUT|\n", {}}}}),
      // The new value reads as empty and the old one does not: the menu is not reset.
      Failing("SetMenuValue", {}),
      NotReached("ResetMenu"),
      Failing("SetPanelMode", {{"ChangeLumetriPanelMode",
                                {{"SetMode(3)", "SetMode(3) failed with error " + fault},
                                 "",
                                 {"Lumetri\tSetPanelMode\t3"}}}}),
  };
  // The transport's answers are not examined: each call is still made and journaled.
  cases.push_back(Failing("JogDial", {}));
  for (const char* keyword : kTransportKeywords) {
    cases.push_back(Failing(keyword, {}));
  }
  return cases;
}

// Test listings name the case, not its bytes.
void PrintTo(const FaultCase& fault, std::ostream* out) {
  *out << fault.name;
}

std::string TestName(const testing::TestParamInfo<FaultCase>& info) {
  std::string name = info.param.name;
  for (char& character : name) {
    if (!std::isalnum(static_cast<unsigned char>(character))) {
      character = '_';
    }
  }
  return name;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The listener's lines about receiving and sending, which come between a request's own.
bool IsListenerLine(const std::string& line) {
  return line == "All processed" || (StartsWith(line, "Sending ") && EndsWith(line, " bytes")) ||
         line.find(" bytes received ") != std::string::npos;
}

// The logged lines cut at each "Processing message" line; each block starts with that line.
std::vector<Lines> RequestBlocks(const Lines& traces) {
  std::vector<Lines> blocks;
  for (const std::string& line : traces) {
    if (StartsWith(line, "Processing message '")) {
      blocks.push_back({line});
    } else if (!blocks.empty() && !IsListenerLine(line)) {
      blocks.back().push_back(line);
    }
  }
  return blocks;
}

class FaultMatrixTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultMatrixTest, EveryRequestKindGetsTheDesignedOutcome) {
  const FaultCase& fault = GetParam();
  Outcomes expected = Baseline();
  for (const auto& [request, outcome] : fault.differences) {
    ASSERT_EQ(expected.count(request), 1u) << "the table names an unknown request " << request;
    expected[request] = outcome;
  }
  std::string burst;
  std::string expectedBytes;
  Lines expectedJournal;
  for (const Request& request : Requests()) {
    burst += request.message + "\n";
    expectedBytes += expected.at(request.name).reply;
    const Lines& journal = expected.at(request.name).journal;
    expectedJournal.insert(expectedJournal.end(), journal.begin(), journal.end());
  }
  burst += kLastRequest + "\n";
  expectedBytes += kLastReply;

  TempHome home;
  home.CreateCompanionFolders();
  dialforge_test::WriteFile(home.PathOf(dialforge_test::TempHome::kDataFolder + "/enablelogs"), "");
  SimulatedHost host(FaultProject());
  auto module = std::make_unique<PluginModule>(DIALFORGE_MODULE, host);
  module->Start();
  auto instance = std::make_unique<PluginInstance>(*module);

  // The fault holds from the binding to the last reply.
  if (!fault.missingSuite.empty()) {
    host.SetSuiteMissing(fault.missingSuite, true);
  }
  uint64_t callsBefore = 0;
  if (!fault.failingOperation.empty()) {
    host.SetFailure(fault.failingOperation, kFault);
    callsBefore = host.CallCount(fault.failingOperation);
  }
  instance->Connect();
  host.ClearJournalLines();
  const auto client =
      dialforge_test::ConnectWhenListening(dialforge_test::WaitForPort(home.Path()));
  ASSERT_TRUE(client);
  client->Send(burst);
  EXPECT_EQ(client->Receive(expectedBytes.size()), expectedBytes);
  if (!fault.failingOperation.empty()) {
    EXPECT_EQ(host.CallCount(fault.failingOperation) > callsBefore, fault.reached)
        << "whether the binding or a request calls " << fault.failingOperation;
  }
  host.ClearFailures();
  if (!fault.missingSuite.empty()) {
    host.SetSuiteMissing(fault.missingSuite, false);
  }
  EXPECT_EQ(host.JournalLines(), expectedJournal);

  instance->Disconnect();
  instance.reset();
  const std::vector<Lines> blocks = RequestBlocks(dialforge_test::LoggedTraces(home.Path()));
  const std::vector<Request> requests = Requests();
  ASSERT_EQ(blocks.size(), requests.size() + 1);
  for (size_t index = 0; index < requests.size(); ++index) {
    const Request& request = requests[index];
    SCOPED_TRACE(request.name);
    EXPECT_EQ(blocks[index].front(), "Processing message '" + request.message + "'");
    EXPECT_EQ(Lines(blocks[index].begin() + 1, blocks[index].end()),
              expected.at(request.name).traces);
  }

  module.reset();
  // The suites suite stays with the host's suite list; the string suites are released.
  EXPECT_EQ(dialforge_test::HeldSuiteCounts(host),
            (std::map<std::string, int>{{kSPSuitesSuite, 1}}));
  EXPECT_EQ(host.LivePluginStringCount(), fault.stringsLeft);
  EXPECT_EQ(host.Violations(), Lines{});
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrixTest, testing::ValuesIn(FaultCases()), TestName);

// A suite or an operation added to the host must get its row in the table.
TEST(FaultMatrixTableTest, NamesEverySuiteAndEveryOperationOnce) {
  std::multiset<std::string> named;
  for (const FaultCase& fault : FaultCases()) {
    named.insert(fault.missingSuite.empty() ? fault.failingOperation
                                            : "Missing " + fault.missingSuite);
  }
  std::multiset<std::string> offered;
  for (const dialforge_host::OperationInfo& info : dialforge_host::Operations()) {
    offered.insert(info.name);
    if (dialforge_host::IsOfferedSuite(info.suite) &&
        offered.count(std::string("Missing ") + info.suite) == 0) {
      offered.insert(std::string("Missing ") + info.suite);
    }
  }
  EXPECT_EQ(named, offered);
}

}  // namespace
