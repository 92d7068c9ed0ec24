// The figures of the bench, each measured beside its floor in the same run.
#ifndef DIALFORGE_BENCH_FIGURES_H
#define DIALFORGE_BENCH_FIGURES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/CpuPlacement.h"
#include "bench/LoopbackPeers.h"
#include "bench/PluginUnderTest.h"
#include "bench/Statistics.h"
#include "host/Project.h"

namespace dialforge_bench {

struct Settings {
  std::string modulePath;
  CpuPlacement placement;
  size_t roundTripRequests = 30000;  // per server
  size_t roundTripWarmUp = 500;
  size_t throughputBatches = 200;  // per round and server
  int throughputRounds = 3;
  int snapshotPasses = 3;
  double snapshotSeconds = 0.25;  // per case and pass
  size_t snapshotMinimumRuns = 5;
  uint64_t traceOffCalls = 20000000;
  uint64_t tracedLines = 100000;
  uint64_t loggedLines = 20000;
  size_t jogsBesideSnapshots = 2000;
  double playSeconds = 60;  // per phase of the idle subscriber's figure
};

// The few runs of each measurement that show the bench works, in a few seconds.
Settings QuickSettings(std::string modulePath);
Settings DefaultSettings(std::string modulePath);

struct RoundTripFigures {
  size_t requests = 0;
  size_t requestBytes = 0;
  size_t replyBytes = 0;
  Latency plugin;
  Latency echo;
  // On the plug-in's side: the listener thread with the host calls it makes.
  double allocationsPerRequest = 0;
};

struct ThroughputFigures {
  uint64_t messages = 0;  // per round
  double pluginPerSecond = 0;
  double baselinePerSecond = 0;
  // On the plug-in's side of the connection, that is the listener thread with the host calls it
  // makes, and on the host alone, for the same JogDial call made directly.
  double allocationsPerMessage = 0;
  double hostAllocationsPerMessage = 0;
  // The message's copy out of the receive buffer, the vector of fields, and the fields too long
  // for a string's own storage.
  int allowedAllocationsPerMessage = 0;
};

// Medians. A snapshot's cost is its request's round trip less that of a request whose snapshot
// is empty, timed in turn with it on the same connection: the loopback's fixed cost per request
// is the round trip figure's business, and would hide how the snapshot itself grows.
struct SnapshotFigures {
  std::string snapshot;  // the name in the request: Mixer or Commands
  uint32_t size = 0;     // channels or commands
  size_t rows = 0;       // lines of the snapshot text
  size_t replyBytes = 0;
  size_t runs = 0;
  double usPerRequest = 0;
  double usPerEmptyRequest = 0;
  double usPerSnapshot = 0;
  double nsPerRow = 0;
  // The same request to a server that answers it with as many bytes and does nothing else.
  double usPerEcho = 0;
  // The request with a JogDial and an empty snapshot's request behind it, until the reply to
  // that last one arrives: how long a jog event waits behind the snapshot.
  double usJogWait = 0;
};

struct TraceFigures {
  double offNsPerCall = 0;
  double tracedLinesPerSecond = 0;  // trace switch on: standard output only
  double loggedLinesPerSecond = 0;  // log switch on: standard output and the log file
};

// Ten commands: the project of the round trip and the throughput figures.
dialforge_host::Project RoundTripProject();
// Channels of 8 components with 16 parameters each.
dialforge_host::Project MixerProject(uint32_t channels);
dialforge_host::Project CommandsProject(uint32_t commands);

// "GetParameters|Commands" on the plug-in and on an echo server with the same sizes, in
// alternating blocks.
RoundTripFigures MeasureRoundTrip(BenchClient& pluginClient, const Settings& settings);
// Pipelined "Transport|JogDial" until the host has seen them all, beside a line-counting server.
ThroughputFigures MeasureThroughput(PluginUnderTest& plugin, BenchClient& pluginClient,
                                    const Settings& settings);
// Mixer snapshots of 8, 64, 512 and 4,096 channels, then command lists of 100, 1,000 and 10,000
// commands, each case on a plug-in and host of its own. The cases are measured in turn, pass
// after pass, and each keeps its quietest pass, so that a burst of load elsewhere on the machine
// cannot bend the scaling.
std::vector<SnapshotFigures> MeasureSnapshots(const Settings& settings, const BenchHome& home);
// The Mixer and Commands snapshots of a fixture, each asked for kCostRequests times, for
// bench/snapshot-cost.sh to count the plug-in's instructions under callgrind: the lines of all
// those replies. With json, the Mixer snapshot alone in protocol 2, and the count of its
// channels. Throws std::runtime_error when the fixture cannot be read.
constexpr int kCostRequests = 3;
size_t RequestFixtureSnapshots(const std::string& modulePath, const std::string& fixturePath,
                               bool json = false);
// Uses the program's own tracer, which is the plug-in's code; standard output is sent to
// /dev/null while lines are written.
TraceFigures MeasureTrace(const Settings& settings);
// From the host's SetPlayState to the Transport event's last byte at the last of the subscribed
// protocol 2 clients (all but the first proving the token), over the given number of
// notifications.
Latency MeasureTransportEvent(const std::string& modulePath, size_t notifications,
                              size_t subscribers = 1);

}  // namespace dialforge_bench

#endif
