// dialforge-host and dialforge-client run as programs, as a person or a script runs them, with a
// temporary home.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/Project.h"
#include "platform/DataFolder.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using dialforge_test::ChildProcess;
using dialforge_test::FileExists;
using dialforge_test::RunToEnd;
using dialforge_test::TempHome;
using dialforge_test::WaitUntil;
using StopRequest = ChildProcess::StopRequest;

const std::string kHostProgram = DIALFORGE_HOST_PROGRAM;
const std::string kClientProgram = DIALFORGE_CLIENT_PROGRAM;
const std::string kBenchProgram = DIALFORGE_BENCH_PROGRAM;

// What the design keeps at the end: the suites suite, held from start-up on.
const std::string kCleanSummary =
    "dialforge-host: stopped; suites still held: SP Suites Suite v2; host strings leaked: 0; "
    "violations: 0";

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

std::vector<std::string> OutputLines(const ChildProcess& program) {
  std::vector<std::string> lines = dialforge_test::SplitLines(program.Output(), "\n");
  lines.pop_back();
  return lines;
}

bool HasLine(const ChildProcess& program, const std::string& line) {
  const std::vector<std::string> lines = OutputLines(program);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The host's announcement, once it has made it; empty when it does not come.
std::string ConnectedLine(const ChildProcess& host) {
  std::string found;
  WaitUntil([&] {
    for (const std::string& line : OutputLines(host)) {
      if (StartsWith(line, "dialforge-host: connected to ")) {
        found = line;
        return true;
      }
    }
    return false;
  });
  return found;
}

// A live view line, whatever the time it shows.
bool HasLiveLine(const ChildProcess& host, const std::string& event) {
  for (const std::string& written : OutputLines(host)) {
    if (written.size() > event.size() + 5 && written.find(" ms  ") != std::string::npos &&
        written.compare(written.size() - event.size(), event.size(), event) == 0) {
      return true;
    }
  }
  return false;
}

std::string LastLine(const ChildProcess& program) {
  const std::vector<std::string> lines = OutputLines(program);
  return lines.empty() ? std::string() : lines.back();
}

std::string SampleCommandsText() {
  std::string text;
  for (const dialforge_host::Command& command : dialforge_host::SampleProject().commands) {
    text += command.contextId + "|" + command.contextName + "|" + command.commandId + "|" +
            command.commandName + "\n";
  }
  return text;
}

TEST(ProgramTest, HostServesTheSampleProjectToClientsUntilInterrupted) {
  TempHome home;
  const std::string journal = home.PathOf("journal.txt");
  ChildProcess host(kHostProgram, {"--journal", journal}, home.Path());
  const std::string connected = ConnectedLine(host);
  const std::optional<int> port = dialforge_test::PortInFile(home.Path());
  ASSERT_TRUE(port) << host.Errors();
  EXPECT_EQ(connected, "dialforge-host: connected to Dialforge on port " + std::to_string(*port));
  EXPECT_TRUE(FileExists(home.PathOf(TempHome::kLogsFolder)));

  const dialforge_test::Finished commands =
      RunToEnd(kClientProgram, {"1|GetParameters|Commands", "2|Transport|Play"}, home.Path());
  EXPECT_EQ(commands.status, 0) << commands.errors;
  EXPECT_EQ(commands.output, "1|" + SampleCommandsText());
  EXPECT_TRUE(WaitUntil([&] { return dialforge_test::ReadFile(journal) == "Transport\tPlay\n"; }));

  // The client ended with Bye, so the next one is served at once; each refused request is named
  // with its id, code and message, and makes the status 5.
  const dialforge_test::Finished json =
      RunToEnd(kClientProgram, {"--connect-timeout=30", "--json"}, home.Path(),
               "3|GetParameters|Mixer\n4|GetParameters|Nothing\n"
               "5\x7f\xc2\x9b|GetParameters|LumetriParameters\n");
  EXPECT_EQ(json.status, 5);
  EXPECT_EQ(json.errors,
            "dialforge-client: request 2, id '4': refused, unknown-snapshot: No snapshot is called "
            "Nothing\n");
  const std::vector<std::string> lines = dialforge_test::SplitLines(json.output, "\n");
  ASSERT_EQ(lines.size(), 3u) << json.output;
  EXPECT_EQ(lines[1].rfind(R"({"id":"5\u007f\u009b",)", 0), 0u) << "nothing a terminal acts on";
  EXPECT_EQ(nlohmann::json::parse(lines[1])["result"]["parameters"][1],
            nlohmann::json::parse(
                R"({"id":"contrast","name":"Contrast","value":12.5,"min":-100.0,"max":100.0})"));
  const nlohmann::json mixer = nlohmann::json::parse(lines[0]);
  EXPECT_EQ(mixer["id"], "3");
  EXPECT_EQ(mixer["format"], 1);
  const std::vector<dialforge_host::MixerChannel> channels =
      dialforge_host::SampleProject().mixer.channels;
  ASSERT_EQ(mixer["result"]["channels"].size(), channels.size());
  for (size_t row = 0; row < channels.size(); ++row) {
    const nlohmann::json& channel = mixer["result"]["channels"][row];
    EXPECT_EQ(channel["name"], channels[row].name);
    EXPECT_EQ(channel["states"], nlohmann::json(channels[row].states)) << "real booleans";
    EXPECT_EQ(channel["components"].size(), channels[row].components.size());
  }

  // Beside a companion watching the same events, a watch proves the token beside the port file
  // and prints the events its own requests cause until it is interrupted, then says Bye.
  ChildProcess companion(kClientProgram, {"--watch", "Transport", "5|GetParameters|LumetriMenu"},
                         home.Path());
  EXPECT_TRUE(WaitUntil([&] { return StartsWith(companion.Output(), "5|lut|"); }))
      << companion.Errors();
  ChildProcess watch(kClientProgram, {"--watch", "Transport", "6|Transport|Play"}, home.Path());
  for (ChildProcess* watching : {&watch, &companion}) {
    EXPECT_TRUE(WaitUntil([&] {
      const std::vector<std::string> events = OutputLines(*watching);
      return !events.empty() && StartsWith(events.back(), "{") &&
             nlohmann::json::parse(events.back())["state"]["play"] == true;
    })) << watching->Output()
        << watching->Errors();
  }
  watch.RequestStop(StopRequest::Interrupt);
  EXPECT_EQ(watch.Wait(), 0) << watch.Errors();
  EXPECT_EQ(watch.Errors(), "");
  const dialforge_test::Finished unproved =
      RunToEnd(kClientProgram, {"--token", std::string(32, '0'), "1|Transport|Stop"}, home.Path());
  EXPECT_EQ(unproved.status, 7);
  EXPECT_EQ(unproved.errors,
            "dialforge-client: the plug-in serves other clients and refused this one's token "
            "(Hello needs the listener's token)\n");
  companion.RequestStop(StopRequest::Interrupt);
  EXPECT_EQ(companion.Wait(), 0) << companion.Errors();

  // While the plug-in serves a protocol 1 client, the client says so and gives up at its timeout.
  const std::unique_ptr<dialforge_test::LoopbackClient> other =
      dialforge_test::ConnectWhenListening(*port);
  ASSERT_TRUE(other);
  EXPECT_EQ(dialforge_test::Exchange(*other, "9|GetParameters|Nothing", 2), "9|");
  const dialforge_test::Finished busy =
      RunToEnd(kClientProgram, {"--connect-timeout=0", "1|Transport|Stop"}, home.Path());
  EXPECT_EQ(busy.status, 6);
  EXPECT_EQ(busy.errors,
            "dialforge-client: waiting for the plug-in to finish with another client (it shares "
            "itself only among protocol 2 clients, and only with so many)\ndialforge-client: no "
            "plug-in answered within 0 s (another client is being served)\n");
  other->Close();

  host.RequestStop(StopRequest::Interrupt);
  EXPECT_EQ(host.Wait(), 0) << host.Errors();
  EXPECT_EQ(LastLine(host), kCleanSummary);
  EXPECT_FALSE(FileExists(home.PathOf(TempHome::kPortFile)));
  EXPECT_EQ(host.Errors(), "");
}

TEST(ProgramTest, HostServesAFixtureAndLogsUntilTerminated) {
  TempHome home;
  const std::string fixture = home.PathOf("project.json");
  dialforge_test::WriteFile(fixture, dialforge_test::kExampleFixture);
  home.CreateFolder(dialforge_test::TempHome::kDataFolder);
  dialforge_test::WriteFile(home.PathOf(dialforge_test::TempHome::kDataFolder + "/enablelogs"), "");
  const std::string otherFolder = home.PathOf("elsewhere");
  home.CreateFolder("elsewhere");
  // The home comes from --home alone: the programs run with another home.
  dialforge_platform::SetVariable(dialforge_platform::HomeVariable(), otherFolder);
  ChildProcess host(kHostProgram, {"--fixture", fixture, "--journal", "-", "--home", home.Path()},
                    otherFolder);
  ASSERT_TRUE(StartsWith(ConnectedLine(host), "dialforge-host: connected to Dialforge on port "))
      << host.Errors();

  // Protocol 1: each reply exact and in order, the empty one too; the client returns once the
  // last request has run, with no wait for quiet.
  const dialforge_test::Finished client =
      RunToEnd(kClientProgram, {"--home", home.Path(), "--protocol", "1"}, otherFolder,
               "1|GetParameters|Mixer\n2|Navigate|1,2,3,0\n7|GetParameters|mixer\n"
               "3|GetParameters|LumetriMenu\n4|ChangeLumetri|exposure|9\n5|ExecuteCommand|12|9999");
  EXPECT_EQ(client.status, 0) << client.errors;
  EXPECT_EQ(client.output, std::string("1|") + dialforge_test::kExampleMixerText + "7|\n3|" +
                               dialforge_test::kExampleLumetriMenuText);
  EXPECT_EQ(client.errors,
            "dialforge-client: warning: request 3, id '7': unknown snapshot "
            "'mixer' (names are case-sensitive): the reply is empty\n");
  EXPECT_TRUE(HasLine(host, "Command\tNavigate\t1\t2\t3\t0"));
  EXPECT_TRUE(HasLiveLine(host, "  Command Navigate(1, 2, 3, 0)"));
  EXPECT_TRUE(HasLiveLine(host,
                          "  Lumetri SetParameterValue(exposure, 9.000000): clamped, kept "
                          "4.000000"));
  EXPECT_TRUE(HasLiveLine(host,
                          "  Command ExecuteCommand(12, 9999): refused with 'Item' (no "
                          "such item)"));

  // Protocol 2 (the default): a line the plug-in refuses ends the connection, and the client says
  // what may not have run.
  const dialforge_test::Finished cut =
      RunToEnd(kClientProgram,
               {"--home", home.Path(), "--connect-timeout=30", "8|GetParameters|Mixer",
                "GET / HTTP/1.1", "9|Transport|Stop"},
               otherFolder);
  EXPECT_EQ(cut.status, 3);
  EXPECT_EQ(cut.output, std::string("8|") + dialforge_test::kExampleMixerText)
      << "the protocol 2 snapshot printed as its text";
  EXPECT_NE(cut.errors.find("; the requests from request 2 (GET / HTTP/1.1) on may not have run\n"),
            std::string::npos)
      << cut.errors;
  EXPECT_FALSE(HasLiveLine(host, "  Transport Stop"));

  // A second signal, as `timeout` sends one to the whole process group, does not cut the stop.
  host.RequestStop(StopRequest::Terminate);
  host.RequestStop(StopRequest::Interrupt);
  EXPECT_EQ(host.Wait(), 0) << host.Errors();
  EXPECT_EQ(LastLine(host), kCleanSummary);
  EXPECT_FALSE(FileExists(home.PathOf(TempHome::kPortFile)));
  EXPECT_TRUE(HasLiveLine(host, "  plug-in disconnected"));
  const std::vector<std::string> logged = dialforge_test::LoggedTraces(home.Path());
  ASSERT_FALSE(logged.empty()) << "the log is written under --home";
  EXPECT_EQ(logged.back(), "Plugin disconnected");
  EXPECT_FALSE(FileExists(otherFolder + "/" + TempHome::kDataFolder));
}

TEST(ProgramTest, ABareHomeGetsThePortFileFoldersFromThePluginAndTheLiveViewShowsClients) {
  TempHome home;
  home.CreateFolder(dialforge_test::TempHome::kDataFolder);
  dialforge_test::WriteFile(home.PathOf(dialforge_test::TempHome::kDataFolder + "/enabletraces"),
                            "");
  ChildProcess host(kHostProgram, {"--bare-home"}, home.Path());
  EXPECT_NE(dialforge_test::WaitForPort(home.Path()), 0) << host.Output();
  EXPECT_TRUE(HasLine(host, "Plugin loaded, version 1.0\r"));
  EXPECT_EQ(dialforge_test::ListFolder(home.PathOf(dialforge_test::TempHome::kDataFolder)),
            (std::vector<std::string>{"PluginData", "enabletraces"}));

  // The live view tells, from the plug-in's traces, of a client, a second one refused, and the
  // first leaving.
  const std::optional<int> port = dialforge_test::PortInFile(home.Path());
  ASSERT_TRUE(port);
  const std::unique_ptr<dialforge_test::LoopbackClient> first =
      dialforge_test::ConnectWhenListening(*port);
  ASSERT_TRUE(first);
  EXPECT_EQ(dialforge_test::Exchange(*first, "1|GetParameters|Nothing", 2), "1|");
  EXPECT_TRUE(WaitUntil([&] { return HasLiveLine(host, "  client connected"); }));
  const std::unique_ptr<dialforge_test::LoopbackClient> second =
      dialforge_test::ConnectWhenListening(*port);
  ASSERT_TRUE(second);
  EXPECT_TRUE(WaitUntil(
      [&] { return HasLiveLine(host, "  client refused: another client is being served"); }));
  first->Close();
  EXPECT_TRUE(WaitUntil([&] { return HasLiveLine(host, "  client left"); }));

  host.RequestStop(StopRequest::Terminate);
  EXPECT_EQ(host.Wait(), 0) << host.Errors();
  EXPECT_EQ(LastLine(host), kCleanSummary);
}

TEST(ProgramTest, ProgramsSayWhyTheyRefuseOrGiveUp) {
  TempHome home;
  const struct {
    const std::string& program;
    std::vector<std::string> arguments;
    std::string message;
  } refusals[] = {
      {kHostProgram,
       {"--frobnicate"},
       "dialforge-host: The following argument was not expected: --frobnicate\nRun with --help "
       "for more information.\n"},
      {kHostProgram,
       {"--journal", home.PathOf("no/folder/journal.txt")},
       "dialforge-host: cannot write the journal " + home.PathOf("no/folder/journal.txt") + "\n"},
      {kHostProgram,
       {"--plugin", home.PathOf("missing.so")},
       "dialforge-host: cannot start the plug-in: cannot load the plug-in " +
           home.PathOf("missing.so")},
      {kClientProgram, {"--port", "0"}, "dialforge-client: --port: "},
      {kClientProgram,
       {"--strict", "1|Transport|Play", "2|Paly|x"},
       "dialforge-client: request 2, id '2': unknown keyword 'Paly'; nothing sent "
       "(--strict)\n"},
      {kClientProgram,
       {"--strict", "5|ChangeLumetri|exposure|1e-7"},
       "dialforge-client: request 1, id '5': the value '1e-7' is no number"},
      {kClientProgram,
       {"--strict", "6|ChangeLumetriPanelMode|4294967299"},
       "dialforge-client: request 1, id '6': the panel mode '4294967299' is no 32-bit number"},
      {kClientProgram,
       {"--strict", "7|ChangeLumetriPanelMode|7"},
       "dialforge-client: request 1, id '7': panel mode 7 is not one of 0 to 6"},
  };
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(refusal.arguments[0]);
    const dialforge_test::Finished run = RunToEnd(refusal.program, refusal.arguments, home.Path());
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(StartsWith(run.errors, refusal.message)) << run.errors;
    EXPECT_EQ(run.output, "");
  }
  EXPECT_FALSE(FileExists(home.PathOf(TempHome::kPortFile)));

  // No port file, one naming a port where nothing listens (port 1 on loopback), one that names
  // no port: each said at once, and the client still tries until its timeout.
  const std::string portFile = home.PathOf(TempHome::kPortFile);
  // As the client names it: with the system's own separators.
  const std::string shown = std::filesystem::u8path(portFile).make_preferred().u8string();
  const struct {
    const char* content;
    std::string said;
    std::string problem;
  } unanswered[] = {
      {nullptr, "waiting for the plug-in to write its port file " + shown, "no port in " + shown},
      {"1", "nothing listens on port 1 (stale port file? is the host running?)",
       "nothing listens on port 1 (stale port file? is the host running?)"},
      {"port", "unreadable port file " + shown, "unreadable port file " + shown},
  };
  for (const auto& givingUp : unanswered) {
    SCOPED_TRACE(givingUp.said);
    if (givingUp.content != nullptr) {
      home.CreateCompanionFolders();
      dialforge_test::WriteFile(portFile, givingUp.content);
    }
    const dialforge_test::Finished run = RunToEnd(
        kClientProgram, {"--connect-timeout", "0.3", "1|GetParameters|Commands"}, home.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, "dialforge-client: " + givingUp.said +
                              "\ndialforge-client: no plug-in answered within 0.3 s (" +
                              givingUp.problem + ")\n");
  }
  // A port given where nothing listens is said so too, not taken for the plug-in's pause.
  const dialforge_test::Finished wrongPort = RunToEnd(
      kClientProgram, {"--port", "1", "--connect-timeout", "0.3", "1|Transport|Stop"}, home.Path());
  EXPECT_EQ(wrongPort.status, 1);
  EXPECT_TRUE(StartsWith(wrongPort.errors,
                         "dialforge-client: nothing listens on port 1 (is the host running? is "
                         "it the port the plug-in wrote?)\ndialforge-client: no plug-in answered "
                         "within 0.3 s (nothing accepts connections on port 1 ("))
      << wrongPort.errors;
}

TEST(ProgramTest, EveryProgramDescribesItselfAndItsVersion) {
  TempHome home;
  for (const std::string& program : {kHostProgram, kClientProgram, kBenchProgram}) {
    // "dialforge-host", also for dialforge-host.exe.
    const std::string name = std::filesystem::u8path(program).stem().u8string();
    SCOPED_TRACE(name);
    const dialforge_test::Finished version = RunToEnd(program, {"--version"}, home.Path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, name + " " + DIALFORGE_VERSION + "\n");
    const dialforge_test::Finished help = RunToEnd(program, {"--help"}, home.Path());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("Exit status:\n  0  "), std::string::npos) << help.output;
  }
}

}  // namespace
