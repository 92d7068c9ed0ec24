#include "bench/Figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/AllocationCounter.h"
#include "platform/OutputCapture.h"
#include "sdk/ControlSurfaceHost.h"
#include "sdk/ControlSurfaceHostTransport.h"
#include "sdk/ControlSurfaceSuites.h"
#include "trace/Tracer.h"

namespace dialforge_bench {

namespace {

using VazezeveDudOzizezUziriv::Tracer;

// The reply of this request closes every reply the bench learns the size of: the bench's
// projects have no Lumetri menus, so it is the bare identifier and its bar.
constexpr const char* kEndRequest = "~end~|GetParameters|LumetriMenu\n";
constexpr const char* kEndReply = "~end~|";
// The bench's projects have no Lumetri menus either, so this reply is the bare "1|".
constexpr const char* kEmptySnapshotRequest = "1|GetParameters|LumetriMenu\n";
constexpr const char* kJogDialMessage = "7|Transport|JogDial|3|-2|1\n";
constexpr const char* kTracedMessage = "0|GetParameters|Commands";
constexpr size_t kMessagesPerBatch = 2048;
constexpr size_t kRoundTripBlock = 500;
constexpr size_t kMostSnapshotRuns = 1000;
constexpr uint32_t kComponentsPerChannel = 8;
constexpr uint32_t kParametersPerComponent = 16;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Reply {
  size_t bytes = 0;
  size_t rows = 0;
};

// One answer to the request, measured through the closing reply that follows it.
Reply LearnReply(BenchClient& client, const std::string& request) {
  client.Send(request + kEndRequest);
  const std::string received = client.ReceiveUntilSuffix(kEndReply);
  Reply reply;
  reply.bytes = received.size() - std::string(kEndReply).size();
  reply.rows =
      static_cast<size_t>(std::count(received.data(), received.data() + reply.bytes, '\n'));
  if (reply.bytes == 0) {
    throw std::runtime_error("no reply to " + request);
  }
  return reply;
}

double TimeRequest(BenchClient& client, const std::string& request, size_t replyBytes) {
  const Clock::time_point start = Clock::now();
  client.Send(request);
  client.ReceiveExactly(replyBytes);
  return MicrosecondsBetween(start, Clock::now());
}

std::string JogDialBatch() {
  std::string batch;
  for (size_t i = 0; i < kMessagesPerBatch; ++i) {
    batch += kJogDialMessage;
  }
  return batch;
}

void WaitFor(const char* what, const std::function<bool()>& done) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (Clock::now() > deadline) {
      throw std::runtime_error(std::string("timed out waiting for ") + what);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
}

struct PluginRound {
  double perSecond = 0;
  uint64_t otherThreadAllocations = 0;
};

// Only the listener thread runs besides this one, so the allocations of other threads are the
// plug-in's and those of the host calls it makes.
PluginRound RunPluginRound(dialforge_host::SimulatedHost& host, BenchClient& client,
                           const std::string& batch, size_t batches) {
  const std::string operation = "JogDial";
  const uint64_t target = host.CallCount(operation) + batches * kMessagesPerBatch;
  const uint64_t allocationsBefore = AllocationCount();
  const uint64_t ownAllocationsBefore = ThreadAllocationCount();
  const Clock::time_point start = Clock::now();
  for (size_t i = 0; i < batches; ++i) {
    client.Send(batch);
  }
  WaitFor("the host to see every JogDial", [&] { return host.CallCount(operation) >= target; });
  const double seconds = SecondsSince(start);
  PluginRound round;
  round.perSecond = static_cast<double>(batches * kMessagesPerBatch) / seconds;
  round.otherThreadAllocations =
      (AllocationCount() - allocationsBefore) - (ThreadAllocationCount() - ownAllocationsBefore);
  host.ClearJournalLines();
  return round;
}

double RunBaselineRound(const CpuPlacement& placement, const std::string& batch, size_t batches) {
  LineCountingServer server = placement.StartOnServerCpu([] { return LineCountingServer(); });
  BenchClient client(server.Port());
  const uint64_t target = batches * kMessagesPerBatch;
  const Clock::time_point start = Clock::now();
  for (size_t i = 0; i < batches; ++i) {
    client.Send(batch);
  }
  WaitFor("the baseline to see every line", [&] { return server.Lines() >= target; });
  return static_cast<double>(target) / SecondsSince(start);
}

// The same JogDial as the message's, straight from this thread to the host's table.
double HostAllocationsPerJogDial(dialforge_host::SimulatedHost& host, uint64_t calls) {
  const SPBasicSuite* basic = host.BasicSuite();
  const void* hostSuite = nullptr;
  const void* transportSuite = nullptr;
  if (basic->AcquireSuite(kADOBESDK_ControlSurfaceHostSuite,
                          kADOBESDK_ControlSurfaceHostSuiteVersion1, &hostSuite) != 0 ||
      basic->AcquireSuite(kADOBESDK_ControlSurfaceHostTransportSuite,
                          kADOBESDK_ControlSurfaceHostTransportSuiteVersion1,
                          &transportSuite) != 0) {
    throw std::runtime_error("the host's transport suite cannot be acquired");
  }
  const auto* transport =
      static_cast<const ADOBESDK_ControlSurfaceHostTransportSuite1*>(transportSuite);
  ADOBESDK_ControlSurfaceHostTransport* reference = nullptr;
  static_cast<const ADOBESDK_ControlSurfaceHostSuite1*>(hostSuite)->ObtainTransportRef(
      host.HostHandle(), &reference);
  const uint64_t before = ThreadAllocationCount();
  for (uint64_t i = 0; i < calls; ++i) {
    transport->JogDial(reference, 1, 3.0f, -2.0f);
  }
  const uint64_t allocations = ThreadAllocationCount() - before;
  basic->ReleaseSuite(kADOBESDK_ControlSurfaceHostTransportSuite,
                      kADOBESDK_ControlSurfaceHostTransportSuiteVersion1);
  basic->ReleaseSuite(kADOBESDK_ControlSurfaceHostSuite, kADOBESDK_ControlSurfaceHostSuiteVersion1);
  host.ClearJournalLines();
  return static_cast<double>(allocations) / static_cast<double>(calls);
}

int AllowedAllocations(std::string message) {
  message.pop_back();  // the line feed
  const size_t ownStorage = std::string().capacity();
  int allowed = 1;  // the vector of fields
  if (message.size() > ownStorage) {
    ++allowed;
  }
  size_t start = 0;
  for (;;) {
    const size_t bar = message.find('|', start);
    const size_t length = (bar == std::string::npos ? message.size() : bar) - start;
    if (length > ownStorage) {
      ++allowed;
    }
    if (bar == std::string::npos) {
      return allowed;
    }
    start = bar + 1;
  }
}

// Standard output goes nowhere while the object lives.
class StandardOutputAway {
 public:
  StandardOutputAway() {
    if (!capture.Capture(dialforge_platform::OutputCapture::Into::Nowhere)) {
      throw std::runtime_error("standard output cannot be sent away");
    }
  }

 private:
  dialforge_platform::OutputCapture capture;
};

double LinesPerSecond(uint64_t lines) {
  const Clock::time_point start = Clock::now();
  for (uint64_t i = 0; i < lines; ++i) {
    Tracer::TRACE("Processing message '%s' %llu", kTracedMessage,
                  static_cast<unsigned long long>(i));
  }
  // Until the writer has written them out (what the queue had no room for is dropped).
  Tracer::Stop();
  return static_cast<double>(lines) / SecondsSince(start);
}

SnapshotFigures MeasureSnapshot(const Settings& settings, const BenchHome& home,
                                const std::string& snapshot, uint32_t size,
                                dialforge_host::Project project) {
  PluginUnderTest plugin(settings.modulePath, home, std::move(project));
  BenchClient client(plugin.Port());
  const std::string request = "1|GetParameters|" + snapshot + "\n";
  const Reply reply = LearnReply(client, request);
  const Reply emptyReply = LearnReply(client, kEmptySnapshotRequest);
  const std::string jogBehindRequest = request + kJogDialMessage + kEmptySnapshotRequest;
  EchoServer echo(reply.bytes);
  BenchClient echoClient(echo.Port());

  std::vector<double> samples;
  std::vector<double> emptySamples;
  std::vector<double> echoSamples;
  std::vector<double> jogSamples;
  const Clock::time_point start = Clock::now();
  while (samples.size() < settings.snapshotMinimumRuns ||
         (SecondsSince(start) < settings.snapshotSeconds && samples.size() < kMostSnapshotRuns)) {
    emptySamples.push_back(TimeRequest(client, kEmptySnapshotRequest, emptyReply.bytes));
    samples.push_back(TimeRequest(client, request, reply.bytes));
    echoSamples.push_back(TimeRequest(echoClient, request, reply.bytes));
    jogSamples.push_back(TimeRequest(client, jogBehindRequest, reply.bytes + emptyReply.bytes));
  }
  SnapshotFigures figures;
  figures.snapshot = snapshot;
  figures.size = size;
  figures.rows = reply.rows;
  figures.replyBytes = reply.bytes;
  figures.runs = samples.size();
  figures.usPerRequest = Median(samples);
  figures.usPerEmptyRequest = Median(emptySamples);
  figures.usPerSnapshot = figures.usPerRequest - figures.usPerEmptyRequest;
  figures.nsPerRow = figures.usPerSnapshot * 1000.0 / static_cast<double>(reply.rows);
  figures.usPerEcho = Median(echoSamples);
  figures.usJogWait = Median(jogSamples);
  return figures;
}

}  // namespace

Settings DefaultSettings(std::string modulePath) {
  Settings settings;
  settings.modulePath = std::move(modulePath);
  return settings;
}

Settings QuickSettings(std::string modulePath) {
  Settings settings;
  settings.modulePath = std::move(modulePath);
  settings.roundTripRequests = 10000;
  settings.roundTripWarmUp = 100;
  settings.throughputBatches = 20;
  settings.throughputRounds = 1;
  settings.snapshotPasses = 1;
  settings.snapshotSeconds = 0.02;
  settings.snapshotMinimumRuns = 2;
  settings.traceOffCalls = 1000000;
  settings.tracedLines = 5000;
  settings.loggedLines = 1000;
  settings.jogsBesideSnapshots = 50;
  settings.playSeconds = 1;
  return settings;
}

dialforge_host::Project RoundTripProject() {
  return CommandsProject(10);
}

dialforge_host::Project CommandsProject(uint32_t commands) {
  static const char* const kContexts[] = {"Application", "Timeline", "Program Monitor",
                                          "Source Monitor", "Project"};
  dialforge_host::Project project;
  for (uint32_t i = 0; i < commands; ++i) {
    dialforge_host::Command command;
    command.contextId = std::to_string(10 + i % 5);
    command.contextName = kContexts[i % 5];
    command.commandId = std::to_string(1000 + i);
    command.commandName = "Command " + std::to_string(i);
    project.commands.push_back(std::move(command));
  }
  return project;
}

dialforge_host::Project MixerProject(uint32_t channels) {
  dialforge_host::Project project;
  for (uint32_t row = 0; row < channels; ++row) {
    dialforge_host::MixerChannel channel;
    channel.id = row + 1;
    channel.name = "Audio " + std::to_string(row + 1);
    channel.states[row % dialforge_host::kChannelStateCount] = true;
    channel.volume = 0.5f;
    channel.flags = row % 4;
    channel.audioChannels = 2;
    channel.audioChannelValue = -0.25f;
    channel.panType = 1;
    for (uint32_t c = 0; c < kComponentsPerChannel; ++c) {
      dialforge_host::Component component;
      component.index = c * 6;  // spread over the 51 slots the plug-in probes
      component.name = "Effect " + std::to_string(c);
      component.bypass = c % 2 == 1;
      for (uint32_t p = 0; p < kParametersPerComponent; ++p) {
        component.parameters.push_back(dialforge_host::ComponentParameter{
            "Parameter " + std::to_string(p), 0.5f * static_cast<float>(p),
            std::to_string(p) + ".0 dB"});
      }
      channel.components.push_back(std::move(component));
    }
    project.mixer.channels.push_back(std::move(channel));
  }
  return project;
}

RoundTripFigures MeasureRoundTrip(BenchClient& pluginClient, const Settings& settings) {
  const std::string request = "1|GetParameters|Commands\n";
  RoundTripFigures figures;
  figures.requests = settings.roundTripRequests;
  figures.requestBytes = request.size();
  figures.replyBytes = LearnReply(pluginClient, request).bytes;

  EchoServer echo =
      settings.placement.StartOnServerCpu([&] { return EchoServer(figures.replyBytes); });
  BenchClient echoClient(echo.Port());
  for (size_t i = 0; i < settings.roundTripWarmUp; ++i) {
    TimeRequest(pluginClient, request, figures.replyBytes);
    TimeRequest(echoClient, request, figures.replyBytes);
  }
  std::vector<double> pluginSamples;
  std::vector<double> echoSamples;
  pluginSamples.reserve(settings.roundTripRequests);
  echoSamples.reserve(settings.roundTripRequests);
  // The echo server allocates nothing per request, so the other threads' allocations are the
  // listener thread's.
  const uint64_t allocationsBefore = AllocationCount();
  const uint64_t ownAllocationsBefore = ThreadAllocationCount();
  // Alternating blocks share out whatever else the machine does between the two servers.
  while (pluginSamples.size() < settings.roundTripRequests) {
    const size_t block =
        std::min(kRoundTripBlock, settings.roundTripRequests - pluginSamples.size());
    for (size_t i = 0; i < block; ++i) {
      pluginSamples.push_back(TimeRequest(pluginClient, request, figures.replyBytes));
    }
    for (size_t i = 0; i < block; ++i) {
      echoSamples.push_back(TimeRequest(echoClient, request, figures.replyBytes));
    }
  }
  const uint64_t otherThreadAllocations =
      (AllocationCount() - allocationsBefore) - (ThreadAllocationCount() - ownAllocationsBefore);
  figures.allocationsPerRequest =
      static_cast<double>(otherThreadAllocations) / static_cast<double>(settings.roundTripRequests);
  figures.plugin = LatencyOf(pluginSamples);
  figures.echo = LatencyOf(echoSamples);
  return figures;
}

ThroughputFigures MeasureThroughput(PluginUnderTest& plugin, BenchClient& pluginClient,
                                    const Settings& settings) {
  const std::string batch = JogDialBatch();
  ThroughputFigures figures;
  figures.messages = settings.throughputBatches * kMessagesPerBatch;
  figures.allowedAllocationsPerMessage = AllowedAllocations(kJogDialMessage);

  std::vector<double> pluginRates;
  std::vector<double> baselineRates;
  uint64_t pluginAllocations = 0;
  for (int round = 0; round < settings.throughputRounds; ++round) {
    const PluginRound measured =
        RunPluginRound(plugin.Host(), pluginClient, batch, settings.throughputBatches);
    pluginRates.push_back(measured.perSecond);
    pluginAllocations += measured.otherThreadAllocations;
    baselineRates.push_back(
        RunBaselineRound(settings.placement, batch, settings.throughputBatches));
  }
  figures.pluginPerSecond = Median(pluginRates);
  figures.baselinePerSecond = Median(baselineRates);
  figures.allocationsPerMessage =
      static_cast<double>(pluginAllocations) /
      static_cast<double>(figures.messages * static_cast<uint64_t>(settings.throughputRounds));
  figures.hostAllocationsPerMessage = HostAllocationsPerJogDial(plugin.Host(), figures.messages);
  return figures;
}

std::vector<SnapshotFigures> MeasureSnapshots(const Settings& settings, const BenchHome& home) {
  struct Case {
    const char* snapshot;
    uint32_t size;
  };
  static const Case kCases[] = {{"Mixer", 8},       {"Mixer", 64},     {"Mixer", 512},
                                {"Mixer", 4096},    {"Commands", 100}, {"Commands", 1000},
                                {"Commands", 10000}};
  // The cases are compared with each other, never with a server of their own, so the
  // scheduler may move the listener away from whatever else keeps a CPU busy.
  settings.placement.MoveToAnyCpu();
  std::vector<SnapshotFigures> quietest;
  for (int pass = 0; pass < settings.snapshotPasses; ++pass) {
    for (size_t index = 0; index < std::size(kCases); ++index) {
      const Case& measured = kCases[index];
      dialforge_host::Project project = std::string(measured.snapshot) == "Mixer"
                                            ? MixerProject(measured.size)
                                            : CommandsProject(measured.size);
      SnapshotFigures figures =
          MeasureSnapshot(settings, home, measured.snapshot, measured.size, std::move(project));
      if (pass == 0) {
        quietest.push_back(std::move(figures));
      } else if (figures.usPerSnapshot < quietest[index].usPerSnapshot) {
        quietest[index] = std::move(figures);
      }
    }
  }
  return quietest;
}

size_t RequestFixtureSnapshots(const std::string& modulePath, const std::string& fixturePath,
                               bool json) {
  dialforge_host::ProjectResult fixture = dialforge_host::LoadProjectFile(fixturePath);
  if (!fixture.Ok()) {
    throw std::runtime_error(fixture.error);
  }
  BenchHome home;
  PluginUnderTest plugin(modulePath, home, std::move(fixture.project));
  BenchClient client(plugin.Port());
  size_t lines = 0;
  if (json) {
    // The Mixer snapshot alone, in protocol 2: its channels are what the cost is divided by.
    client.Send("0|Hello|2\n");
    client.ReceiveUntilSuffix("\n");
    for (int request = 0; request < kCostRequests; ++request) {
      client.Send("1|GetParameters|Mixer\n");
      const std::string reply = client.ReceiveUntilSuffix("\n");
      for (size_t at = reply.find("{\"row\":"); at != std::string::npos;
           at = reply.find("{\"row\":", at + 1)) {
        ++lines;
      }
    }
    return lines;
  }
  for (const char* snapshot : {"Mixer", "Commands"}) {
    for (int request = 0; request < kCostRequests; ++request) {
      lines += LearnReply(client, std::string("1|GetParameters|") + snapshot + "\n").rows;
    }
  }
  return lines;
}

Latency MeasureTransportEvent(const std::string& modulePath, size_t notifications,
                              size_t subscribers) {
  BenchHome home;
  PluginUnderTest plugin(modulePath, home, RoundTripProject());
  const auto* transport = static_cast<const ADOBESDK_ControlSurfaceTransportSuite1*>(plugin.Table(
      kADOBESDK_ControlSurfaceTransportSuite, kADOBESDK_ControlSurfaceTransportSuiteVersion1));
  ADOBESDK_ControlSurfaceTransport* const transportRef = plugin.TransportRef();
  const std::string token = home.Token();
  std::vector<std::unique_ptr<BenchClient>> clients;
  for (size_t client = 0; client < subscribers; ++client) {
    clients.push_back(std::make_unique<BenchClient>(plugin.Port()));
    clients.back()->Send(client == 0 ? "0|Hello|2\n1|Subscribe|Transport\n"
                                     : "0|Hello|2|" + token + "\n1|Subscribe|Transport\n");
    clients.back()->ReceiveUntilSuffix("{\"id\":\"1\",\"ok\":true}\n");
  }
  std::vector<double> samples;
  for (size_t sample = 0; sample < notifications; ++sample) {
    const Clock::time_point start = Clock::now();
    transport->SetPlayState(transportRef, sample % 2 == 0 ? 1 : 0);
    for (const auto& client : clients) {
      client->ReceiveUntilSuffix("}}\n");
    }
    samples.push_back(MicrosecondsBetween(start, Clock::now()));
  }
  return LatencyOf(samples);
}

TraceFigures MeasureTrace(const Settings& settings) {
  TraceFigures figures;
  Tracer::SetTracing(false);
  Tracer::SetLog(false);
  const Clock::time_point start = Clock::now();
  for (uint64_t i = 0; i < settings.traceOffCalls; ++i) {
    Tracer::TRACE("Processing message '%s'", kTracedMessage);
  }
  figures.offNsPerCall = SecondsSince(start) * 1e9 / static_cast<double>(settings.traceOffCalls);

  StandardOutputAway away;
  Tracer::SetTracing(true);
  figures.tracedLinesPerSecond = LinesPerSecond(settings.tracedLines);
  Tracer::SetTracing(false);
  Tracer::SetLog(true);
  figures.loggedLinesPerSecond = LinesPerSecond(settings.loggedLines);
  Tracer::SetLog(false);
  return figures;
}

}  // namespace dialforge_bench
