// Protocol 2 over TCP against the plug-in module in the simulated host: the handshake, an answer
// for every request, JSON snapshots, and events pushed from the host's notifications. Every line
// received is also appended to the file DIALFORGE_PROTOCOL2_CAPTURE names, for the schema check.
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/HostErrors.h"
#include "sdk/ControlSurfaceSuites.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/Loopback.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/PluginView.h"
#include "tests/support/TestSupport.h"

namespace {

using dialforge_test::TempHome;
using nlohmann::json;

// A connected plug-in instance and the control surface tables the host reaches it through.
struct Protocol2Fixture {
  // Marker files (as "requiretoken") are written before the module is loaded.
  explicit Protocol2Fixture(dialforge_host::Project project,
                            const std::vector<std::string>& markers = {})
      : loaded(std::move(project)) {
    home.CreateCompanionFolders();
    for (const std::string& marker : markers) {
      dialforge_test::WriteFile(home.PathOf(TempHome::kDataFolder + "/" + marker), "");
    }
    loaded.module.Start();
  }
  std::string Token() const {
    return dialforge_test::ReadFile(
        home.PathOf(TempHome::kDataFolder + "/PluginData/PremierePro/socket.token"));
  }
  void Connect() {
    instance = std::make_unique<dialforge_host::PluginInstance>(loaded.module);
    ADOBESDK_ControlSurface* surface = instance->Connect();
    const auto* base = static_cast<const ADOBESDK_ControlSurfaceSuite*>(
        loaded.host.FindSuite(loaded.module.SuiteList(), kADOBESDK_ControlSurfaceSuite, 2));
    transport = static_cast<const ADOBESDK_ControlSurfaceTransportSuite1*>(loaded.host.FindSuite(
        loaded.module.SuiteList(), kADOBESDK_ControlSurfaceTransportSuite, 1));
    mixer = static_cast<const ADOBESDK_ControlSurfaceMixerSuite2*>(
        loaded.host.FindSuite(loaded.module.SuiteList(), kADOBESDK_ControlSurfaceMixerSuite, 2));
    base->GetTransportRef(surface, &transportRef);
    base->GetMixerRef(surface, &mixerRef);
    port = dialforge_test::WaitForPort(home.Path());
  }

  TempHome home;
  dialforge_test::LoadedModule loaded;
  std::unique_ptr<dialforge_host::PluginInstance> instance;
  const ADOBESDK_ControlSurfaceTransportSuite1* transport = nullptr;
  const ADOBESDK_ControlSurfaceMixerSuite2* mixer = nullptr;
  ADOBESDK_ControlSurfaceTransport* transportRef = nullptr;
  ADOBESDK_ControlSurfaceMixer* mixerRef = nullptr;
  int port = 0;
};

std::string Captured(const std::string& line) {
  if (const char* capture = std::getenv("DIALFORGE_PROTOCOL2_CAPTURE")) {
    std::ofstream(capture, std::ios::app) << line << '\n';
  }
  return line;
}

// Reads line by line, so that nothing after a line is taken before it is asked for.
std::string ReadLine(dialforge_test::LoopbackClient& client) {
  std::string line;
  for (std::string byte = client.Receive(1, 1); !byte.empty() && byte != "\n";
       byte = client.Receive(1, 1)) {
    line += byte;
  }
  return Captured(line);
}

std::string Answer(dialforge_test::LoopbackClient& client, const std::string& request) {
  client.Send(request + "\n");
  return ReadLine(client);
}

TEST(Protocol2Test, HelloOpensItAndEveryRequestIsAnsweredWithItsOutcome) {
  Protocol2Fixture fixture(dialforge_test::ExampleProject());
  fixture.loaded.host.SetSuiteMissing(kADOBESDK_ControlSurfaceHostCommandSuite, true);
  fixture.loaded.host.SetFailure("Play", dialforge_host::kHostUnknownItem);
  fixture.Connect();
  auto client = dialforge_test::ConnectWhenListening(fixture.port);
  ASSERT_TRUE(client);

  const std::string badHandshake =
      R"(","ok":false,"error":"bad-handshake","message":"Hello needs a protocol version of 2 or more"})";
  EXPECT_EQ(Answer(*client, "a|Hello|1"), R"({"id":"a)" + badHandshake);
  EXPECT_EQ(Answer(*client, "b|Hello|2x"), R"({"id":"b)" + badHandshake);
  client->Send("c|GetParameters|Nothing\n");
  EXPECT_EQ(client->Receive(2), "c|") << "a refused Hello leaves protocol 1 as it was";
  EXPECT_EQ(
      Answer(*client, "d|Hello|12"),
      R"({"id":"d","ok":true,"protocol":2,"plugin":"Dialforge","version":")" DIALFORGE_VERSION
      R"(","snapshots":["Mixer","Commands","LumetriParameters","LumetriMenu","Transport"],)"
      R"("events":["Transport","Mixer"],"host":{"identifier":1,"interfaceVersion":)"
      R"({"major":1,"minor":0},"suites":{"ADOBESDK ControlSurfaceHost Suite":1,)"
      R"("ADOBESDK ControlSurfaceHost Transport Suite":1,)"
      R"("ADOBESDK ControlSurfaceHost Command Suite":null,)"
      R"("ADOBESDK ControlSurfaceHost Mixer Suite":1,"ADOBESDK ControlSurfaceHost Lumetri Suite":1}}})")
      << "the host's entry values and the suites it granted, the refused one null";

  const struct {
    std::string request;
    std::string answer;
  } cases[] = {
      {"1|Ping", R"({"id":"1","ok":true})"},
      {"2|Hello|2",
       R"({"id":"2","ok":false,"error":"bad-handshake","message":"This connection speaks protocol 2 already"})"},
      {"3|Play|x",
       R"({"id":"3","ok":false,"error":"unknown-keyword","message":"No request is called Play"})"},
      {"4|ChangeLumetri|contrast",
       R"({"id":"4","ok":false,"error":"invalid-message","message":"ChangeLumetri needs 2 arguments"})"},
      {"5|ChangeLumetri|contrast|1.5.0",
       R"({"id":"5","ok":false,"error":"invalid-value","message":"Not a number: 1.5.0"})"},
      {"6|ChangeLumetriPanelMode|7",
       R"({"id":"6","ok":false,"error":"invalid-value","message":"Invalid mode"})"},
      {"7|Navigate|1,2",
       R"({"id":"7","ok":false,"error":"invalid-value","message":"Navigation is not four values"})"},
      {"8|Transport|Jog",
       R"({"id":"8","ok":false,"error":"invalid-value","message":"Unknown transport keyword"})"},
      {"9|Subscribe|Markers",
       R"({"id":"9","ok":false,"error":"invalid-value","message":"No events are called Markers"})"},
      {"10|GetParameters|mixer",
       R"({"id":"10","ok":false,"error":"unknown-snapshot","message":"No snapshot is called mixer"})"},
      {"11|ExecuteCommand|12|1001",
       R"({"id":"11","ok":false,"error":"unavailable","message":"Command suite not available"})"},
      {"12|GetParameters|Commands",
       R"({"id":"12","ok":false,"error":"unavailable","message":"Command suite not available"})"},
      {"13|Transport|Play",
       R"({"id":"13","ok":false,"error":"host-refused","message":"Transport failed","hostError":"Item"})"},
      {"14|ChangeLumetri|contrast|250", R"({"id":"14","ok":true,"value":100.0})"},
      {"15|ResetChangeLumetri|contrast", R"({"id":"15","ok":true,"value":0.0})"},
      {"16|ChangeLumetriMenuValue|lut", R"({"id":"16","ok":true})"},
      {"17|Transport|Stop", R"({"id":"17","ok":true})"},
      {"18|Subscribe|Transport", R"({"id":"18","ok":true})"},
      {"x\"\x01",
       R"({"id":"x\"\u0001","ok":false,"error":"invalid-message","message":"A request has an id, a keyword and an argument"})"},
      {"\x7f\xc2\x80\xc2\x9b\xc2\x9f\xc2\xa0|Ping",
       "{\"id\":\"\\u007f\\u0080\\u009b\\u009f\xc2\xa0\",\"ok\":true}"},
      {"", R"({"id":"","ok":false,"error":"invalid-message","message":"The request is empty"})"},
      {std::string("\0after", 6),
       R"({"id":"","ok":false,"error":"invalid-message","message":"The request is empty"})"},
  };
  for (const auto& entry : cases) {
    EXPECT_EQ(Answer(*client, entry.request), entry.answer) << entry.request;
  }
  EXPECT_EQ(Answer(*client, std::string(200000, 'x')),
            R"({"id":null,"ok":false,"error":"too-long","message":"The line is over the limit"})");
  const std::vector<std::string> journal = fixture.loaded.host.JournalLines();
  EXPECT_EQ(journal, (std::vector<std::string>{"Transport\tPlay",
                                               "Lumetri\tSetParameterValue\tcontrast\t250.000000",
                                               "Lumetri\tResetParameter\tcontrast",
                                               "Lumetri\tSetMenuValue\tlut\t1", "Transport\tStop"}))
      << "no refused value reaches the host";

  // After Bye the next client is served at once, well within the pause that follows a
  // protocol 1 client.
  EXPECT_EQ(Answer(*client, "19|Bye"), R"({"id":"19","ok":true})");
  EXPECT_TRUE(client->ClosedByListener());
  const auto started = std::chrono::steady_clock::now();
  client = dialforge_test::ConnectWhenListening(fixture.port);
  ASSERT_TRUE(client);
  EXPECT_EQ(Answer(*client, "20|Hello|2").substr(0, 20), R"({"id":"20","ok":true)");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2500));
  client->Close();
  fixture.instance->Disconnect();
  EXPECT_EQ(fixture.loaded.host.LivePluginStringCount(), 0u);
}

TEST(Protocol2Test, SnapshotsAreJsonThatKeepsEveryNameAndTellsFailedReads) {
  dialforge_host::Project project = dialforge_test::ExampleProject();
  project.mixer.channels[0].name = "a|b,\nc\xff";
  project.commands[0].commandName = "Un|do\n";
  project.failures["GetChannelVolume"] = dialforge_host::kHostUnknownItem;
  Protocol2Fixture fixture(project);
  fixture.Connect();
  const auto client = dialforge_test::ConnectWhenListening(fixture.port);
  ASSERT_TRUE(client);
  Answer(*client, "0|Hello|2");

  const json mixer = json::parse(Answer(*client, "1|GetParameters|Mixer"));
  EXPECT_EQ(mixer["snapshot"], "Mixer");
  const json& channel = mixer["result"]["channels"][0];
  EXPECT_EQ(channel["name"], "a|b,\nc\xEF\xBF\xBD") << "invalid UTF-8 becomes U+FFFD";
  EXPECT_TRUE(channel["volume"].is_null()) << "a failed read is null, not 0";
  EXPECT_EQ(channel["states"], json::parse("[false,true,false,false,false,false]"));
  EXPECT_EQ(channel["components"][0]["parameters"][0],
            json::parse(R"({"index":0,"name":"Level","value":0.75,"text":"-2.5 dB"})"));
  EXPECT_EQ(mixer["result"]["channels"][1]["audioChannelValue"], -0.25);

  const json commands = json::parse(Answer(*client, "2|GetParameters|Commands"));
  EXPECT_EQ(commands["result"]["commands"][0]["commandName"], "Un|do\n");
  EXPECT_EQ(json::parse(Answer(*client, "3|GetParameters|LumetriParameters"))["result"],
            json::parse(R"({"parameters":[
              {"id":"exposure","name":"Exposure","value":0.0,"min":-4.0,"max":4.0},
              {"id":"contrast","name":"Contrast","value":12.5,"min":-100.0,"max":100.0}]})"));
  EXPECT_EQ(json::parse(Answer(*client, "4|GetParameters|LumetriMenu"))["result"],
            json::parse(R"({"menus":[{"id":"lut","name":"Input LUT","value":"None"}]})"));
  EXPECT_EQ(Answer(*client, "5|GetParameters|Transport"),
            R"({"id":"5","ok":true,"snapshot":"Transport","result":{"play":false,"record":false,)"
            R"("rewind":false,"forward":false,"stop":null,"pause":null,"cycle":null,"time":null,)"
            R"("timeFormat":null}})");
}

TEST(Protocol2Test, EventsBringTheNewestStateAndTheHostNeverWaitsForTheClient) {
  Protocol2Fixture fixture(dialforge_test::ExampleProject());
  fixture.Connect();
  const auto client = dialforge_test::ConnectWhenListening(fixture.port);
  ASSERT_TRUE(client);
  Answer(*client, "0|Hello|2");
  Answer(*client, "1|Subscribe|Transport");
  Answer(*client, "2|Subscribe|Mixer");
  const dialforge_test::PluginView view(fixture.loaded.host);

  // The host notifies on a thread of its own, while the client waits for nothing.
  fixture.transport->SetPlayState(fixture.transportRef, 1);
  EXPECT_EQ(json::parse(ReadLine(*client)),
            json::parse(R"({"event":"Transport","state":{"play":true,"record":false,
              "rewind":false,"forward":false,"stop":null,"pause":null,"cycle":null,"time":null,
              "timeFormat":null}})"));
  ADOBESDK_String time = view.Make("00:00:01:02");
  fixture.transport->SetTimeDisplay(fixture.transportRef, 3, &time);
  EXPECT_EQ(json::parse(ReadLine(*client))["state"]["time"], "00:00:01:02");
  view.strings->DisposeString(&time);
  fixture.mixer->SetChannelState(fixture.mixerRef, 1, 2, 1);
  EXPECT_EQ(ReadLine(*client),
            R"({"event":"Mixer","changed":[{"change":"channelState","channel":9,"row":1,)"
            R"("state":2,"value":true}],"overflow":false})");
  fixture.mixer->SetAutomationMode(fixture.mixerRef, 5, 1);
  EXPECT_EQ(ReadLine(*client),
            R"({"event":"Mixer","changed":[{"change":"automationMode","channel":null,"row":5,)"
            R"("mode":1}],"overflow":false})")
      << "no channel in that row";

  // The listener is held inside a request while the host notifies a great deal: the client then
  // gets the answer, one Transport event with the newest state and one merged Mixer event.
  std::mutex mutex;
  std::condition_variable changed;
  bool inside = false;
  bool released = false;
  fixture.loaded.host.ObserveChanges([&](const dialforge_host::ChangeReport&) {
    std::unique_lock<std::mutex> lock(mutex);
    inside = true;
    changed.notify_all();
    changed.wait(lock, [&] { return released; });
  });
  client->Send("3|Transport|GotoStart\n");
  {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return inside; }));
  }
  for (uint32_t step = 0; step < 1000; ++step) {
    fixture.transport->SetPlayState(fixture.transportRef, step % 2);
    fixture.transport->SetStopState(fixture.transportRef, 1);
    fixture.mixer->SetComponentParameter(fixture.mixerRef, 0, 3, step % 300, 0.5f);
    fixture.mixer->SetChannelCount(fixture.mixerRef, step);
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    released = true;
  }
  changed.notify_all();
  EXPECT_EQ(ReadLine(*client), R"({"id":"3","ok":true})");
  const json transportEvent = json::parse(ReadLine(*client));
  EXPECT_EQ(transportEvent["state"]["play"], true);
  EXPECT_EQ(transportEvent["state"]["stop"], true);
  const json mixerEvent = json::parse(ReadLine(*client));
  EXPECT_EQ(mixerEvent["changed"].size(), 256u);
  EXPECT_EQ(mixerEvent["overflow"], true);
  EXPECT_EQ(mixerEvent["changed"][1], json::parse(R"({"change":"channelCount","count":999})"))
      << "a newer change replaces the older one of the same thing";
  fixture.loaded.host.ObserveChanges(nullptr);

  Answer(*client, "4|Unsubscribe|Transport");
  fixture.transport->SetRecordState(fixture.transportRef, 1);
  EXPECT_EQ(Answer(*client, "5|Ping"), R"({"id":"5","ok":true})") << "no event after Unsubscribe";
  EXPECT_EQ(json::parse(Answer(*client, "6|GetParameters|Transport"))["result"]["record"], true);
}

// Reads lines until one satisfies the test; null when a thousand lines go by without one.
json ReadUntil(dialforge_test::LoopbackClient& client,
               const std::function<bool(const json&)>& test) {
  for (int line = 0; line < 1000; ++line) {
    const std::string text = ReadLine(client);
    if (text.empty()) {
      break;
    }
    const json message = json::parse(text);
    if (test(message)) {
      return message;
    }
  }
  return nullptr;
}

TEST(Protocol2Test, TheHostTellsItsTransportAfterThePluginsAndTheUsersActions) {
  Protocol2Fixture fixture(dialforge_test::ExampleProject());
  fixture.loaded.host.TellSurfaces(true);
  fixture.Connect();
  const auto client = dialforge_test::ConnectWhenListening(fixture.port);
  ASSERT_TRUE(client);
  Answer(*client, "0|Hello|2");
  Answer(*client, "1|Subscribe|Transport");
  Answer(*client, "2|Subscribe|Mixer");
  const auto transport = [](const char* key, const json& value) {
    return [=](const json& message) {
      return message.value("event", "") == "Transport" && message["state"][key] == value;
    };
  };

  client->Send("3|Transport|Play\n");
  EXPECT_FALSE(ReadUntil(*client, transport("play", true)).is_null());
  EXPECT_FALSE(ReadUntil(*client,
                         [](const json& message) {
                           return message.contains("state") &&
                                  message["state"]["time"].is_string() &&
                                  message["state"]["time"] != "00:00:00:00";
                         })
                   .is_null())
      << "the playhead moves while playing";
  EXPECT_EQ(fixture.loaded.host.UserAction("stop"), "stop");
  EXPECT_FALSE(ReadUntil(*client, [](const json& message) {
                 return message.contains("state") && message["state"]["stop"] == true &&
                        message["state"]["play"] == false;
               }).is_null());
  EXPECT_EQ(fixture.loaded.host.UserAction("seek 00:01:02:03"), "at 00:01:02:03");
  EXPECT_FALSE(ReadUntil(*client, transport("time", "00:01:02:03")).is_null());
  EXPECT_EQ(fixture.loaded.host.UserAction("select 9"), "channel 9 selected");
  EXPECT_EQ(ReadUntil(*client,
                      [](const json& message) {
                        return message.contains("changed");
                      })["changed"][0]["change"],
            "selection");
  EXPECT_EQ(fixture.loaded.host.UserAction("set 7/3/0 0.25"), "7/3/0 is 0.250000");
  EXPECT_EQ(
      ReadUntil(*client,
                [](const json& message) { return message.contains("changed"); })["changed"][0],
      json::parse(R"({"change":"componentParameter","channel":7,"row":0,"component":3,)"
                  R"("parameter":0,"value":0.25})"));
  EXPECT_EQ(fixture.loaded.host.JournalLines(),
            (std::vector<std::string>{"Transport\tPlay", "User\tstop", "User\tseek\t00:01:02:03",
                                      "User\tselect\t9", "User\tset\t7/3/0\t0.250000"}));
  fixture.instance->Disconnect();
}

}  // namespace

namespace {

// The answer to a first line that is refused, and whether the listener then closed.
json Refusal(int port, const std::string& hello) {
  dialforge_test::LoopbackClient client(port);
  client.Send(hello + "\n");
  // Up to the close, which follows the answer if there is one.
  const std::string answer = client.Receive(4096);
  EXPECT_TRUE(client.ClosedByListener()) << hello;
  if (answer.empty() || answer.back() != '\n') {
    EXPECT_EQ(answer, "") << hello;
    return json();
  }
  return json::parse(Captured(answer.substr(0, answer.size() - 1)));
}

bool IsOk(const std::string& answer) {
  return !answer.empty() && json::parse(answer)["ok"] == true;
}

TEST(Protocol2Test, EightClientsShareTheListenerEachWithItsOwnSessionAndOthersAreRefused) {
  Protocol2Fixture fixture(dialforge_test::ExampleProject());
  fixture.Connect();
  auto first = dialforge_test::ConnectWhenListening(fixture.port);
  ASSERT_TRUE(first);
  const std::string token = fixture.Token();
  ASSERT_EQ(token.size(), 32u);
  EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);

  // While a protocol 1 client is served, nobody else is, token or not.
  first->Send("0|Unknown|x\n");
  EXPECT_TRUE(Refusal(fixture.port, "0|Hello|2|" + token).is_null());
  ASSERT_TRUE(IsOk(Answer(*first, "0|Hello|2")));

  EXPECT_EQ(Refusal(fixture.port, "7|Hello|2")["error"], "unauthorized");
  EXPECT_EQ(Refusal(fixture.port, "7|Hello|2|" + std::string(32, '0'))["error"], "unauthorized");
  EXPECT_TRUE(Refusal(fixture.port, "7|Ping|" + token).is_null()) << "no Hello, no client";
  std::vector<std::unique_ptr<dialforge_test::LoopbackClient>> others;
  for (int i = 1; i < 8; ++i) {
    others.push_back(std::make_unique<dialforge_test::LoopbackClient>(fixture.port));
    EXPECT_TRUE(IsOk(Answer(*others.back(), "0|Hello|2|" + token))) << i;
  }
  EXPECT_EQ(Refusal(fixture.port, "9|Hello|2|" + token)["error"], "busy");

  // Each its own ids and subscriptions; an event reaches only its subscribers.
  EXPECT_TRUE(IsOk(Answer(*first, "1|Subscribe|Transport")));
  EXPECT_TRUE(IsOk(Answer(*others[0], "1|Subscribe|Mixer")));
  EXPECT_TRUE(IsOk(Answer(*others[1], "1|Subscribe|Mixer")));
  fixture.transport->SetPlayState(fixture.transportRef, 1);
  fixture.mixer->SetChannelState(fixture.mixerRef, 1, 2, 1);
  EXPECT_EQ(json::parse(ReadLine(*first))["event"], "Transport");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(json::parse(ReadLine(*others[i]))["event"], "Mixer");
  }
  EXPECT_EQ(Answer(*first, "2|Ping"), R"({"id":"2","ok":true})") << "no Mixer event";
  EXPECT_EQ(Answer(*others[0], "2|Ping"), R"({"id":"2","ok":true})") << "no Transport event";

  // Bye frees a place; the first client's leaving costs the others nothing.
  EXPECT_TRUE(IsOk(Answer(*others[6], "3|Bye")));
  EXPECT_TRUE(others[6]->ClosedByListener());
  others[6] = std::make_unique<dialforge_test::LoopbackClient>(fixture.port);
  EXPECT_TRUE(IsOk(Answer(*others[6], "0|Hello|2|" + token)));
  first.reset();
  EXPECT_EQ(Answer(*others[2], "4|Ping"), R"({"id":"4","ok":true})");

  // The host disconnects with eight clients, some of them not reading a snapshot at all.
  for (int i = 0; i < 3; ++i) {
    for (int snapshot = 0; snapshot < 20; ++snapshot) {
      others[i]->Send("5|GetParameters|Commands\n");
    }
  }
  const auto stopped = std::async(std::launch::async, [&] { fixture.instance->Disconnect(); });
  EXPECT_EQ(stopped.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  for (const auto& other : others) {
    EXPECT_TRUE(other->ClosedByListener());
  }
  EXPECT_TRUE(fixture.Token().empty()) << "withdrawn with the port file";
}

TEST(Protocol2Test, ALargeSnapshotComesInPartsAsOneLineInOrderWhileOthersAreServed) {
  dialforge_host::Project project = dialforge_test::ExampleProject();
  constexpr size_t kCommands = 30000;  // over a megabyte of JSON
  for (size_t index = project.commands.size(); index < kCommands; ++index) {
    project.commands.push_back({"12", "Timeline", std::to_string(index), "Command"});
  }
  Protocol2Fixture fixture(std::move(project));
  fixture.Connect();
  auto slow = std::make_unique<dialforge_test::LoopbackClient>(fixture.port, 4096);
  ASSERT_TRUE(IsOk(Answer(*slow, "0|Hello|2")));
  ASSERT_TRUE(IsOk(Answer(*slow, "1|Subscribe|Transport")));
  dialforge_test::LoopbackClient other(fixture.port);
  ASSERT_TRUE(IsOk(Answer(other, "0|Hello|2|" + fixture.Token())));

  // The slow client reads nothing while its snapshot is composed; the other is served meanwhile,
  // and an event of the host's waits until the snapshot's line is whole.
  slow->Send("2|GetParameters|Commands\n3|Ping\n");
  for (int round = 0; round < 20; ++round) {
    EXPECT_EQ(Answer(other, "1|Ping"), R"({"id":"1","ok":true})");
  }
  fixture.transport->SetPlayState(fixture.transportRef, 1);
  EXPECT_TRUE(IsOk(Answer(other, "2|Bye")));
  slow->Send("4|Bye\n");
  const std::vector<std::string> lines =
      dialforge_test::SplitLines(slow->Receive(size_t{16} << 20), "\n");
  ASSERT_EQ(lines.size(), 5u);  // and the empty text after the last line feed
  const json answer = json::parse(Captured(lines[0]));
  EXPECT_EQ(answer["id"], "2");
  ASSERT_EQ(answer["result"]["commands"].size(), kCommands);
  for (size_t index = 0; index < kCommands; ++index) {
    ASSERT_EQ(answer["result"]["commands"][index]["commandId"],
              index < 2 ? dialforge_test::ExampleProject().commands[index].commandId
                        : std::to_string(index));
  }
  // The event is due as soon as the snapshot's line is whole, beside the next answer.
  const bool eventFirst = lines[1] != R"({"id":"3","ok":true})";
  EXPECT_EQ(Captured(lines[eventFirst ? 2 : 1]), R"({"id":"3","ok":true})");
  EXPECT_EQ(json::parse(Captured(lines[eventFirst ? 1 : 2]))["event"], "Transport");
  EXPECT_EQ(Captured(lines[3]), R"({"id":"4","ok":true})");
}

TEST(Protocol2Test, WithRequireTokenNothingRunsWithoutTheTokenWhichIsNeverTraced) {
  Protocol2Fixture fixture(dialforge_test::ExampleProject(), {"requiretoken", "enablelogs"});
  fixture.Connect();
  ASSERT_TRUE(dialforge_test::ConnectWhenListening(fixture.port));
  const std::string token = fixture.Token();
  ASSERT_EQ(token.size(), 32u);
  {
    dialforge_test::LoopbackClient protocol1(fixture.port);
    protocol1.Send("0|GetParameters|Commands\n");
    EXPECT_TRUE(protocol1.ClosedByListener());
    EXPECT_EQ(protocol1.Receive(1), "");
  }
  EXPECT_EQ(Refusal(fixture.port, "0|Hello|2")["error"], "unauthorized");
  {
    auto proved = dialforge_test::ConnectWhenListening(fixture.port);
    EXPECT_TRUE(IsOk(Answer(*proved, "0|Hello|2|" + token)));
    EXPECT_TRUE(IsOk(Answer(*proved, "1|Ping")));
  }
  fixture.instance->Disconnect();
  const std::vector<std::string> traces = dialforge_test::LoggedTraces(fixture.home.Path());
  EXPECT_EQ(std::count(traces.begin(), traces.end(), "Client without token refused"), 2);
  for (const std::string& line : traces) {
    EXPECT_EQ(line.find(token), std::string::npos) << line;
  }
  fixture.Connect();
  EXPECT_NE(fixture.Token(), token) << "a new token at each publish";
  fixture.instance->Disconnect();
}

}  // namespace
