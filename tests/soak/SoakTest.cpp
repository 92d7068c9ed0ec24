// The soak: one instance of the real module connected and disconnected by the host cycle after
// cycle, driven by a fixed seed. In each cycle at most one client talks to the listener (it
// listens again only after a pause once a client leaves): it sends bursts of mixed requests in
// random pieces, or leaves in the middle of a burst, sends half a message and vanishes, closes
// before its reply, stops reading while its replies pile up, or is still sending when the host
// disconnects the plug-in. Afterwards nothing may be left behind, and every reply a client read
// must be exactly the reply due.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "host/PluginModule.h"
#include "host/SimulatedHost.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/Loopback.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using dialforge_host::PluginInstance;
using dialforge_host::PluginModule;
using dialforge_host::SimulatedHost;
using dialforge_test::LoopbackClient;
using dialforge_test::TempHome;

constexpr int kCycles = DIALFORGE_SOAK_CYCLES;
constexpr std::uint32_t kSeed = 20261206;
// By a client that sends until the plug-in is disconnected.
constexpr int kMostRequestsSent = 400;
constexpr int kWarmUpCycles = kCycles / 10;

// mt19937 gives the same numbers everywhere; the standard distributions do not.
class Dice {
 public:
  explicit Dice(std::uint32_t seed) : generator(seed) {}
  // 0 to count - 1.
  std::size_t Below(std::size_t count) { return generator() % count; }
  bool OneIn(std::size_t count) { return Below(count) == 0; }

 private:
  std::mt19937 generator;
};

// The parts of the project that requests change and snapshots show, as the client expects them.
class ProjectModel {
 public:
  explicit ProjectModel(const dialforge_host::Project& project) : lumetri(project.lumetri) {}

  std::string ParametersText() const {
    std::string text;
    for (const auto& parameter : lumetri.parameters) {
      char value[64];
      std::snprintf(value, sizeof value, "%f", static_cast<double>(parameter.value));
      text += parameter.id + "|" + parameter.name + "|" + value + "\n";
    }
    return text;
  }

  std::string MenuText() const {
    std::string text;
    for (const auto& menu : lumetri.menus) {
      text += menu.id + "|" + menu.name + "|" + menu.choices[menu.value] + "\n";
    }
    return text;
  }

  dialforge_host::Lumetri lumetri;
};

// One request line (without its line feed) and the reply due to it.
struct Exchange {
  std::string line;
  std::string reply;
};

const char* const kTransportFields[] = {
    "BeginRewind", "EndRewind",   "BeginForward", "EndForward",     "Stop",      "Play",
    "Record",      "Pause",       "ToggleCycle",  "GotoPrevious",   "GotoNext",  "GotoStart",
    "ShuttleLeft", "ShuttleStop", "ShuttleRight", "JogDial|3|-2|1", "JogDial|1", "play"};

// Values as the request writes them and as they read before the host clamps them; text that is
// no number changes nothing.
const std::pair<const char*, std::optional<float>> kLumetriValues[] = {
    {"0.5", 0.5f}, {"-1,25", -1.25f}, {"250", 250.0f}, {"3-", -3.0f}, {"x1", std::nullopt}};

// A random request, with the change it makes applied to the model.
Exchange NextRequest(Dice& dice, ProjectModel& model, int number) {
  const std::string id = std::to_string(number);
  auto& parameters = model.lumetri.parameters;
  switch (dice.Below(14)) {
    case 0:
      return {id + "|GetParameters|Mixer", id + "|" + dialforge_test::kExampleMixerText};
    case 1:
      return {id + "|GetParameters|Commands", id + "|" + dialforge_test::kExampleCommandsText};
    case 2:
      return {id + "|GetParameters|LumetriParameters", id + "|" + model.ParametersText()};
    case 3:
      return {id + "|GetParameters|LumetriMenu", id + "|" + model.MenuText()};
    case 4:
      return {id + "|GetParameters|mixer", id + "|"};
    case 5: {
      auto& parameter = parameters[dice.Below(parameters.size())];
      const auto& [text, value] = kLumetriValues[dice.Below(std::size(kLumetriValues))];
      // An empty value ends the request in a delimiter, which leaves it without its value
      // field: it is dropped.
      if (dice.OneIn(8)) {
        return {id + "|ChangeLumetri|" + parameter.id + "|", ""};
      }
      parameter.value =
          std::min(std::max(value.value_or(parameter.value), parameter.minimum), parameter.maximum);
      return {id + "|ChangeLumetri|" + parameter.id + "|" + text, ""};
    }
    case 6: {
      auto& parameter = parameters[dice.Below(parameters.size())];
      parameter.value = parameter.defaultValue;
      return {id + "|ResetChangeLumetri|" + parameter.id, ""};
    }
    case 7: {
      // Moving on from the last choice changes nothing, so the menu starts over.
      auto& menu = model.lumetri.menus.front();
      menu.value = menu.value + 1 < menu.choices.size() ? menu.value + 1 : 0;
      return {id + "|ChangeLumetriMenuValue|" + menu.id, ""};
    }
    case 8:
      return {id + "|ChangeLumetriPanelMode|" + std::to_string(dice.Below(9)), ""};
    case 9:
      return {id + (dice.OneIn(2) ? "|ExecuteCommand|12|1001" : "|ExecuteCommand|99|%s"), ""};
    case 10:
      return {id + (dice.OneIn(2) ? "|Navigate|1,2,3,0" : "|Navigate|1,2"), ""};
    case 11:
      return {id + "|Transport|" + kTransportFields[dice.Below(std::size(kTransportFields))], ""};
    case 12:
      return {id + "|ChangeMixer|0", ""};
    default: {
      const char* const invalid[] = {"", "x|y", "|", "7|Bogus|1", "Transport|Play"};
      return {invalid[dice.Below(std::size(invalid))], ""};
    }
  }
}

struct Burst {
  std::string text;
  std::string replies;
};

Burst NextBurst(Dice& dice, ProjectModel& model, int& requestNumber, std::size_t maximum) {
  Burst burst;
  const std::size_t count = 1 + dice.Below(maximum);
  for (std::size_t index = 0; index < count; ++index) {
    const Exchange exchange = NextRequest(dice, model, ++requestNumber);
    burst.text += exchange.line + "\n";
    burst.replies += exchange.reply;
  }
  return burst;
}

// Sends the text in up to four pieces. Until the listener has seen a line feed on a connection
// it takes each piece's unfinished end as a message of its own, so the first piece of a
// connection holds a whole line.
bool SendInPieces(Dice& dice, LoopbackClient& client, const std::string& text, bool first) {
  std::size_t start = 0;
  if (first) {
    const std::size_t lineFeed = text.find('\n');
    const std::size_t firstPiece = lineFeed == std::string::npos ? text.size() : lineFeed + 1;
    if (!client.TrySend(text.substr(0, firstPiece))) {
      return false;
    }
    start = firstPiece;
  }
  for (std::size_t cuts = dice.Below(4); cuts > 0 && start < text.size(); --cuts) {
    const std::size_t length = 1 + dice.Below(text.size() - start);
    if (!client.TrySend(text.substr(start, length))) {
      return false;
    }
    start += length;
  }
  return start == text.size() || client.TrySend(text.substr(start));
}

enum class Scenario {
  NoClient,
  Conversation,
  LeavesMidBurst,
  HalfMessage,
  ClosesBeforeReply,
  DisconnectedMidBurst,
  StopsReading,
};

// In the order of Scenario.
const char* const kScenarioNames[] = {"no client",
                                      "conversation",
                                      "client leaves in the middle of a burst",
                                      "client sends half a message and vanishes",
                                      "client closes before its reply",
                                      "plug-in disconnects while the client sends",
                                      "plug-in disconnects while replies pile up unread"};

const char* NameOf(Scenario scenario) {
  return kScenarioNames[static_cast<int>(scenario)];
}

Scenario NextScenario(Dice& dice) {
  // How often each is played, in twelfths.
  const int weights[] = {1, 4, 2, 1, 1, 2, 1};
  std::size_t roll = dice.Below(12);
  int scenario = 0;
  while (roll >= static_cast<std::size_t>(weights[scenario])) {
    roll -= static_cast<std::size_t>(weights[scenario++]);
  }
  return static_cast<Scenario>(scenario);
}

class SoakTest : public testing::Test {
 protected:
  void SetUp() override {
    home.CreateCompanionFolders();
    dialforge_test::WriteFile(home.PathOf(dialforge_test::TempHome::kDataFolder + "/enablelogs"),
                              "");
    host = std::make_unique<SimulatedHost>(dialforge_test::ExampleProject());
    module = std::make_unique<PluginModule>(DIALFORGE_MODULE, *host);
    module->Start();
    instance = std::make_unique<PluginInstance>(*module);
  }

  // Connects the instance and lets the scenario's client talk to it; the host disconnects the
  // instance at the end of the cycle or, in two scenarios, while the client still sends.
  void RunCycle(Scenario scenario) {
    instance->Connect();
    if (scenario == Scenario::NoClient) {
      // Often before the listener has even opened its socket.
      if (dice.OneIn(2)) {
        ASSERT_NE(dialforge_test::WaitForPort(home.Path()), 0);
      }
      instance->Disconnect();
      return;
    }
    const int port = dialforge_test::WaitForPort(home.Path());
    if (scenario == Scenario::StopsReading) {
      ++clients;
      StopReading(port);
      return;
    }
    auto client = dialforge_test::ConnectWhenListening(port);
    ASSERT_TRUE(client);
    client->SendWithoutDelay();
    ++clients;
    ProjectModel model(host->ProjectState());
    switch (scenario) {
      case Scenario::Conversation:
        Converse(*client, model);
        break;
      case Scenario::LeavesMidBurst:
        LeaveMidBurst(*client, model);
        break;
      case Scenario::HalfMessage: {
        const std::string line = NextRequest(dice, model, ++requestNumber).line + "\n";
        client->TrySend(line.substr(0, dice.Below(line.size())));
        break;
      }
      case Scenario::ClosesBeforeReply: {
        const std::string first = NextRequest(dice, model, ++requestNumber).line;
        client->TrySend(first + "\n" + std::to_string(++requestNumber) + "|GetParameters|Mixer\n");
        break;
      }
      case Scenario::DisconnectedMidBurst:
        SendUntilDisconnected(std::move(client), model);
        return;
      case Scenario::NoClient:
      case Scenario::StopsReading:
        break;
    }
    client.reset();
    instance->Disconnect();
  }

  void Converse(LoopbackClient& client, ProjectModel& model) {
    const std::size_t bursts = 1 + dice.Below(4);
    for (std::size_t burstIndex = 0; burstIndex < bursts; ++burstIndex) {
      Burst burst = NextBurst(dice, model, requestNumber, 12);
      // A client that ends its stream still gets the reply to its unfinished last line.
      const bool endsStream = burstIndex + 1 == bursts && dice.OneIn(4);
      if (endsStream) {
        burst.text.pop_back();
      }
      ASSERT_TRUE(SendInPieces(dice, client, burst.text, burstIndex == 0));
      if (endsStream) {
        client.CloseSending();
      }
      ASSERT_EQ(client.Receive(burst.replies.size()), burst.replies);
      replyBytesChecked += burst.replies.size();
      if (endsStream) {
        ASSERT_TRUE(client.ClosedByListener());
      }
    }
  }

  // Sends part of a burst, reads part of the replies due to its whole lines, and leaves.
  void LeaveMidBurst(LoopbackClient& client, ProjectModel& model) {
    std::string text;
    std::string replies;
    const std::size_t count = 1 + dice.Below(8);
    std::vector<Exchange> exchanges;
    for (std::size_t index = 0; index < count; ++index) {
      exchanges.push_back(NextRequest(dice, model, ++requestNumber));
      text += exchanges.back().line + "\n";
    }
    const std::size_t cut = dice.Below(text.size());
    std::size_t wholeLines = 0;
    for (const Exchange& exchange : exchanges) {
      wholeLines += exchange.line.size() + 1;
      if (wholeLines > cut) {
        break;
      }
      replies += exchange.reply;
    }
    ASSERT_TRUE(client.TrySend(text.substr(0, cut)));
    const std::size_t wanted = dice.Below(replies.size() + 1);
    ASSERT_EQ(client.Receive(wanted), replies.substr(0, wanted));
    replyBytesChecked += wanted;
  }

  // The client sends and reads on a thread of its own until the listener is gone; the host
  // disconnects the plug-in once it has sent a few requests.
  void SendUntilDisconnected(std::unique_ptr<LoopbackClient> client, ProjectModel model) {
    std::atomic<int> sent{0};
    std::atomic<bool> wrongReply{false};
    std::atomic<std::size_t> checked{0};
    Dice clientDice(static_cast<std::uint32_t>(dice.Below(1u << 31)));
    const int firstNumber = requestNumber;
    std::thread sender([&] {
      int number = firstNumber;
      for (int request = 0; request < kMostRequestsSent; ++request) {
        const Exchange exchange = NextRequest(clientDice, model, ++number);
        if (!client->TrySend(exchange.line + "\n")) {
          return;
        }
        sent.fetch_add(1);
        const std::string received = client->Receive(exchange.reply.size());
        checked.fetch_add(received.size());
        if (received != exchange.reply) {
          // The listener may end in the middle of a reply, never inside a wrong one.
          wrongReply.store(exchange.reply.compare(0, received.size(), received) != 0);
          return;
        }
      }
    });
    const int before = static_cast<int>(1 + dice.Below(8));
    EXPECT_TRUE(dialforge_test::WaitUntil([&] { return sent.load() >= before; }));
    instance->Disconnect();
    sender.join();
    // Not the number sent, which depends on timing: the dice must roll alike in every run.
    requestNumber = firstNumber + kMostRequestsSent;
    replyBytesChecked += checked.load();
    EXPECT_FALSE(wrongReply.load());
  }

  // Asks for far more mixer snapshots than the socket buffers hold and reads none of them, so the
  // listener ends up waiting to send; the host disconnects the plug-in meanwhile.
  void StopReading(int port) {
    std::unique_ptr<LoopbackClient> client;
    ASSERT_TRUE(dialforge_test::WaitUntil([&] {
      client = std::make_unique<LoopbackClient>(port, 4096);
      return client->Connected();
    }));
    std::string burst;
    for (int request = 0; request < 10000; ++request) {
      burst += std::to_string(++requestNumber) + "|GetParameters|Mixer\n";
    }
    const std::uint64_t composedBefore = host->CallCount("GetChannelCount");
    // Few enough that the listener composes them before the smallest socket buffers fill;
    // it then goes on until its sends wait.
    const std::uint64_t composedWanted = composedBefore + 1 + dice.Below(16);
    // Its send ends when the listener is gone, if not before.
    std::thread sender([&] { client->TrySend(burst); });
    EXPECT_TRUE(dialforge_test::WaitUntil(
        [&] { return host->CallCount("GetChannelCount") >= composedWanted; }));
    instance->Disconnect();
    sender.join();
  }

  TempHome home;
  std::unique_ptr<SimulatedHost> host;
  std::unique_ptr<PluginModule> module;
  std::unique_ptr<PluginInstance> instance;
  Dice dice{kSeed};
  int requestNumber = 0;
  int clients = 0;
  std::size_t replyBytesChecked = 0;
};

TEST_F(SoakTest, CyclesLeaveNothingBehindAndEveryReplyReadIsExact) {
  // Counted after the first cycles: the system's own first use of sockets and threads may keep
  // handles and a thread of its own (Windows does), so what must not grow is counted from there.
  std::size_t threadsBefore = 0;
  std::size_t descriptorsBefore = 0;
  const std::string portFile = home.PathOf(TempHome::kPortFile);
  std::map<Scenario, int> scenariosRun;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    if (cycle == kWarmUpCycles) {
      threadsBefore = dialforge_test::ThreadCount();
      descriptorsBefore = dialforge_test::DescriptorCount();
    }
    const Scenario scenario = NextScenario(dice);
    SCOPED_TRACE("cycle " + std::to_string(cycle) + ": " + NameOf(scenario));
    RunCycle(scenario);
    ASSERT_FALSE(HasFailure());
    ++scenariosRun[scenario];
    ASSERT_FALSE(dialforge_test::FileExists(portFile))
        << "Disconnect returns once the listener thread has ended";
    ASSERT_EQ(host->HeldCount(kADOBESDK_ControlSurfaceHostSuite, 1), 0)
        << "Disconnect releases the binding";
  }

  EXPECT_TRUE(dialforge_test::ThreadCountReturnsTo(threadsBefore));
  // At most as many: the tracer's writer may have held a log file open when they were counted.
  EXPECT_TRUE(dialforge_test::WaitUntil([&] {
    return dialforge_test::DescriptorCount() <= descriptorsBefore;
  })) << dialforge_test::DescriptorCount()
      << " open, " << descriptorsBefore << " before";
  instance.reset();
  module.reset();
  EXPECT_EQ(host->LivePluginStringCount(), 0u);
  EXPECT_EQ(host->Violations(), std::vector<std::string>{});
  // The module keeps the suites suite for the host's suite list.
  EXPECT_EQ(dialforge_test::HeldSuiteCounts(*host),
            (std::map<std::string, int>{{kSPSuitesSuite, 1}}));
  int requestsHandled = 0;
  for (const std::string& line : dialforge_test::LoggedTraces(home.Path())) {
    requestsHandled += line.compare(0, 20, "Processing message '") == 0;
    EXPECT_EQ(line.find("failed: "), std::string::npos) << line;
    EXPECT_NE(line, "Request failed");
    EXPECT_NE(line, "Listener attempt failed");
    EXPECT_NE(line, "Listener already running; start ignored");
  }

  std::cout << "soak: " << kCycles << " cycles, seed " << kSeed << ", " << clients << " clients, "
            << requestsHandled << " requests handled, " << replyBytesChecked
            << " reply bytes checked\n";
  for (const auto& [scenario, count] : scenariosRun) {
    std::cout << "  " << NameOf(scenario) << ": " << count << "\n";
  }
}

}  // namespace
