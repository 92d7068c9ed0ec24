// dialforge-bench: the real plug-in on the simulated host, each figure beside the cost of the
// loopback network itself, measured in the same run so that a noisy machine moves both.

#include <chrono>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench/Figures.h"
#include "bench/SharingFigures.h"
#include "cli/CommandLine.h"
#include "host/PluginModule.h"
#include "platform/Module.h"
#include "platform/StandardStreams.h"

namespace dialforge_bench {

namespace {

constexpr double kRoundTripGoal = 1.5;
constexpr double kThroughputGoal = 200000;
constexpr double kRowCostSpreadGoal = 0.30;
constexpr double kSharedJogGoalUs = 1000;
constexpr long long kIdleSubscriberHeapGoal = 1 << 20;

struct Options {
  bool quick = false;
  bool json = false;
  std::string modulePath;
  std::string costFixture;
  bool costJson = false;
};

struct Results {
  RoundTripFigures roundTrip;
  ThroughputFigures throughput;
  std::vector<SnapshotFigures> snapshots;
  TraceFigures trace;
  Latency transportEvent;
  Latency transportFanOut;  // to the last of 8 subscribers
  JogBesideSnapshotsFigures jogBesideSnapshots;
  IdleSubscriberFigures idleSubscriber;
  double seconds = 0;
  int serverCpu = -1;  // -1: left to the scheduler
  int clientCpu = -1;
};

// Options, or the status to exit with at once (after --help, --version or bad arguments).
std::optional<Options> ParseOptions(int argc, char** argv, int* status) {
  Options options;
  options.modulePath = dialforge_host::DefaultModulePath(argv[0]);
  CLI::App app(
      "Measures the real plug-in on the simulated host beside the loopback network's "
      "own costs, and prints every figure with the goals it meets.",
      "dialforge-bench");
  app.add_flag("--quick", options.quick, "Few runs of each measurement, to check the bench works");
  app.add_flag("--json", options.json, "Every figure as one JSON object on standard output");
  app.add_option("--plugin", options.modulePath,
                 std::string("The plug-in module (default: ") +
                     dialforge_platform::ModuleFileName() +
                     " next to this program, or where it is installed)")
      ->type_name("PATH");
  app.add_option("--snapshot-cost", options.costFixture,
                 "Only asks for the fixture's snapshots and prints their lines, for "
                 "bench/snapshot-cost.sh to run under callgrind")
      ->type_name("FIXTURE");
  app.add_flag("--snapshot-cost-json", options.costJson,
               "With --snapshot-cost: only the Mixer snapshot, in protocol 2, and the count of its "
               "channels instead of lines");
  const std::string exitStatuses =
      "  0  measured (a missed goal is reported, not an error)\n"
      "  1  a measurement could not be made (said on standard error)\n"
      "  2  bad arguments\n";
  if (const std::optional<int> exit = dialforge_cli::Parse(app, exitStatuses, argc, argv)) {
    *status = *exit;
    return std::nullopt;
  }
  return options;
}

// The kinds of snapshot, whose cases come smallest first.
const char* const kSnapshotKinds[] = {"Mixer", "Commands"};

Results Run(const Settings& settings) {
  const auto start = std::chrono::steady_clock::now();
  BenchHome home;
  Results results;
  results.serverCpu = settings.placement.ServerCpu();
  results.clientCpu = settings.placement.ClientCpu();
  {
    PluginUnderTest plugin = settings.placement.StartOnServerCpu(
        [&] { return PluginUnderTest(settings.modulePath, home, RoundTripProject()); });
    BenchClient client(plugin.Port());
    results.roundTrip = MeasureRoundTrip(client, settings);
    results.throughput = MeasureThroughput(plugin, client, settings);
  }
  results.snapshots = MeasureSnapshots(settings, home);
  results.trace = MeasureTrace(settings);
  results.transportEvent =
      MeasureTransportEvent(settings.modulePath, settings.roundTripRequests / 15);
  results.transportFanOut =
      MeasureTransportEvent(settings.modulePath, settings.roundTripRequests / 15, 8);
  results.jogBesideSnapshots =
      MeasureJogBesideSnapshots(settings.modulePath, settings.jogsBesideSnapshots);
  results.idleSubscriber = MeasureIdleSubscriber(settings.modulePath, settings.playSeconds);
  results.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return results;
}

double RoundTripRatio(const Results& results) {
  return results.roundTrip.plugin.medianUs / results.roundTrip.echo.medianUs;
}

double ThroughputRatio(const Results& results) {
  return results.throughput.pluginPerSecond / results.throughput.baselinePerSecond;
}

double PluginAllocationsPerMessage(const Results& results) {
  return results.throughput.allocationsPerMessage - results.throughput.hostAllocationsPerMessage;
}

// The 4,096-channel mixer is left out of the scaling goal: its 20 MB reply and the simulated
// host's million strings fit no cache, so the same work per row takes more time there.
constexpr uint32_t kLargestScaledMixer = 512;

// How much the cost of a row of the largest case in the goal differs from that of the smallest:
// 0.1 is 10 % more.
double RowCostChange(const Results& results, const std::string& snapshot) {
  const SnapshotFigures* smallest = nullptr;
  const SnapshotFigures* largest = nullptr;
  for (const SnapshotFigures& figures : results.snapshots) {
    if (figures.snapshot == snapshot &&
        !(snapshot == "Mixer" && figures.size > kLargestScaledMixer)) {
      if (smallest == nullptr) {
        smallest = &figures;
      }
      largest = &figures;
    }
  }
  return largest->nsPerRow / smallest->nsPerRow - 1.0;
}

bool RowCostFlat(const Results& results) {
  for (const char* kind : kSnapshotKinds) {
    const double change = RowCostChange(results, kind);
    if (change > kRowCostSpreadGoal || change < -kRowCostSpreadGoal) {
      return false;
    }
  }
  return true;
}

// Allocations are whole; the small excess over the count is a connection's or a vector's
// growth, spread over the messages.
bool AllocationGoalMet(const Results& results) {
  return PluginAllocationsPerMessage(results) <
         results.throughput.allowedAllocationsPerMessage + 0.5;
}

bool JogBesideSnapshotsGoalMet(const Results& results) {
  return results.jogBesideSnapshots.jog.medianUs <= kSharedJogGoalUs &&
         results.jogBesideSnapshots.jog.p99Us <= kSharedJogGoalUs;
}

bool IdleSubscriberGoalMet(const Results& results) {
  return results.idleSubscriber.heapGrowthBesideIdle <= kIdleSubscriberHeapGoal &&
         results.idleSubscriber.idleStillServed;
}

nlohmann::ordered_json ToJson(const Results& results, bool quick) {
  const RoundTripFigures& roundTrip = results.roundTrip;
  const ThroughputFigures& throughput = results.throughput;
  nlohmann::ordered_json json;
  json["quick"] = quick;
  json["server_cpu"] = results.serverCpu;
  json["client_cpu"] = results.clientCpu;
  json["roundtrip_requests"] = roundTrip.requests;
  json["roundtrip_request_bytes"] = roundTrip.requestBytes;
  json["roundtrip_reply_bytes"] = roundTrip.replyBytes;
  json["roundtrip_us_median"] = roundTrip.plugin.medianUs;
  json["roundtrip_us_p99"] = roundTrip.plugin.p99Us;
  json["echo_roundtrip_us_median"] = roundTrip.echo.medianUs;
  json["echo_roundtrip_us_p99"] = roundTrip.echo.p99Us;
  json["roundtrip_ratio"] = RoundTripRatio(results);
  json["roundtrip_allocations_per_request"] = roundTrip.allocationsPerRequest;
  json["throughput_messages"] = throughput.messages;
  json["throughput_msgs_per_s"] = throughput.pluginPerSecond;
  json["baseline_throughput_msgs_per_s"] = throughput.baselinePerSecond;
  json["throughput_ratio"] = ThroughputRatio(results);
  json["allocations_per_message"] = throughput.allocationsPerMessage;
  json["host_allocations_per_message"] = throughput.hostAllocationsPerMessage;
  json["plugin_allocations_per_message"] = PluginAllocationsPerMessage(results);
  json["allowed_allocations_per_message"] = throughput.allowedAllocationsPerMessage;
  nlohmann::ordered_json snapshots = nlohmann::ordered_json::array();
  for (const SnapshotFigures& figures : results.snapshots) {
    nlohmann::ordered_json entry;
    entry["snapshot"] = figures.snapshot;
    entry["size"] = figures.size;
    entry["rows"] = figures.rows;
    entry["reply_bytes"] = figures.replyBytes;
    entry["runs"] = figures.runs;
    entry["us_per_request"] = figures.usPerRequest;
    entry["us_per_empty_request"] = figures.usPerEmptyRequest;
    entry["us_per_snapshot"] = figures.usPerSnapshot;
    entry["ns_per_row"] = figures.nsPerRow;
    entry["us_per_echo"] = figures.usPerEcho;
    entry["echo_ratio"] = figures.usPerRequest / figures.usPerEcho;
    entry["us_jog_wait"] = figures.usJogWait;
    snapshots.push_back(entry);
  }
  json["snapshots"] = snapshots;
  json["mixer_row_cost_change"] = RowCostChange(results, "Mixer");
  json["commands_row_cost_change"] = RowCostChange(results, "Commands");
  json["trace_off_ns_per_call"] = results.trace.offNsPerCall;
  json["trace_stdout_lines_per_s"] = results.trace.tracedLinesPerSecond;
  json["trace_log_lines_per_s"] = results.trace.loggedLinesPerSecond;
  json["transport_event_median_us"] = results.transportEvent.medianUs;
  json["transport_event_p99_us"] = results.transportEvent.p99Us;
  json["transport_event_8_median_us"] = results.transportFanOut.medianUs;
  json["transport_event_8_p99_us"] = results.transportFanOut.p99Us;
  const JogBesideSnapshotsFigures& jog = results.jogBesideSnapshots;
  json["jog_beside_snapshots_jogs"] = jog.jogs;
  json["jog_beside_snapshots_median_us"] = jog.jog.medianUs;
  json["jog_beside_snapshots_p99_us"] = jog.jog.p99Us;
  json["jog_beside_snapshots_snapshots"] = jog.snapshots;
  json["jog_beside_snapshots_us_per_snapshot"] = jog.usPerSnapshot;
  const IdleSubscriberFigures& idle = results.idleSubscriber;
  json["idle_subscriber_seconds"] = idle.seconds;
  json["idle_subscriber_frames"] = idle.frames;
  json["idle_subscriber_mixer_changes"] = idle.mixerChanges;
  json["idle_subscriber_heap_growth_bytes"] = idle.heapGrowthBesideIdle;
  json["idle_subscriber_heap_growth_without_bytes"] = idle.heapGrowthAlone;
  json["idle_subscriber_still_served"] = idle.idleStillServed;
  json["idle_subscriber_backlog_bytes"] = idle.idleBacklogBytes;
  json["reader_event_alone_median_us"] = idle.alone.medianUs;
  json["reader_event_alone_p99_us"] = idle.alone.p99Us;
  json["reader_event_beside_idle_median_us"] = idle.besideIdle.medianUs;
  json["reader_event_beside_idle_p99_us"] = idle.besideIdle.p99Us;
  json["goals"] = {
      {"roundtrip_at_most_1_5_times_echo", RoundTripRatio(results) <= kRoundTripGoal},
      {"throughput_at_least_200000_per_s", throughput.pluginPerSecond >= kThroughputGoal},
      {"snapshot_row_cost_flat_within_30_percent", RowCostFlat(results)},
      {"no_allocation_beyond_fields", AllocationGoalMet(results)},
      {"jog_beside_snapshots_within_1_ms", JogBesideSnapshotsGoalMet(results)},
      {"idle_subscriber_holds_at_most_1_mib", IdleSubscriberGoalMet(results)},
  };
  json["seconds"] = results.seconds;
  return json;
}

const char* Verdict(bool met) {
  return met ? "met" : "MISSED";
}

void PrintTable(const Results& results) {
  const RoundTripFigures& roundTrip = results.roundTrip;
  const ThroughputFigures& throughput = results.throughput;
  if (results.serverCpu != -1) {
    std::printf("Servers on CPU %d, the client on CPU %d\n\n", results.serverCpu,
                results.clientCpu);
  } else {
    std::printf("One CPU available: threads left to the scheduler\n\n");
  }
  std::printf("Round trip: GetParameters|Commands, %zu-byte request, %zu-byte reply, %zu each\n",
              roundTrip.requestBytes, roundTrip.replyBytes, roundTrip.requests);
  std::printf("  plug-in      median %8.1f us   p99 %8.1f us\n", roundTrip.plugin.medianUs,
              roundTrip.plugin.p99Us);
  std::printf("  echo server  median %8.1f us   p99 %8.1f us\n", roundTrip.echo.medianUs,
              roundTrip.echo.p99Us);
  std::printf("  ratio %.2f (goal at most %.1f): %s\n", RoundTripRatio(results), kRoundTripGoal,
              Verdict(RoundTripRatio(results) <= kRoundTripGoal));
  std::printf("  allocations per request on the plug-in's side, host calls included: %.2f\n\n",
              roundTrip.allocationsPerRequest);

  std::printf("Fire-and-forget: Transport|JogDial, %llu pipelined messages per round\n",
              static_cast<unsigned long long>(throughput.messages));
  std::printf("  plug-in, until the host saw them  %12.0f messages/s\n",
              throughput.pluginPerSecond);
  std::printf("  line-splitting server             %12.0f messages/s\n",
              throughput.baselinePerSecond);
  std::printf("  ratio %.2f; goal at least %.0f messages/s: %s\n", ThroughputRatio(results),
              kThroughputGoal, Verdict(throughput.pluginPerSecond >= kThroughputGoal));
  std::printf(
      "  allocations per message: %.2f, of which the host's %.2f, the plug-in's %.2f"
      " (allowed %d): %s\n\n",
      throughput.allocationsPerMessage, throughput.hostAllocationsPerMessage,
      PluginAllocationsPerMessage(results), throughput.allowedAllocationsPerMessage,
      Verdict(AllocationGoalMet(results)));

  std::printf(
      "Snapshots (medians; a snapshot is its request less an empty snapshot's request; echo: the\n"
      "same bytes from a server that does nothing else; jog wait: a JogDial sent right behind)\n");
  std::printf("  %-9s %6s %8s %10s %6s %12s %10s %12s %8s %12s %6s %12s\n", "snapshot", "size",
              "rows", "bytes", "runs", "us/request", "us/empty", "us/snapshot", "ns/row", "us/echo",
              "ratio", "us/jog wait");
  for (const SnapshotFigures& figures : results.snapshots) {
    std::printf("  %-9s %6u %8zu %10zu %6zu %12.1f %10.1f %12.1f %8.1f %12.1f %6.1f %12.1f\n",
                figures.snapshot.c_str(), figures.size, figures.rows, figures.replyBytes,
                figures.runs, figures.usPerRequest, figures.usPerEmptyRequest,
                figures.usPerSnapshot, figures.nsPerRow, figures.usPerEcho,
                figures.usPerRequest / figures.usPerEcho, figures.usJogWait);
  }
  std::printf(
      "  row cost, largest case (up to 512 channels) against smallest: Mixer %+.0f %%,"
      " Commands %+.0f %%"
      " (goal within 30 %%): %s\n\n",
      RowCostChange(results, "Mixer") * 100, RowCostChange(results, "Commands") * 100,
      Verdict(RowCostFlat(results)));

  std::printf("TRACE\n");
  std::printf("  both switches off  %10.2f ns per call\n", results.trace.offNsPerCall);
  std::printf("  tracing on         %10.0f lines/s to standard output\n",
              results.trace.tracedLinesPerSecond);
  std::printf("  logging on         %10.0f lines/s to standard output and the log file\n\n",
              results.trace.loggedLinesPerSecond);
  std::printf("TRANSPORT EVENT (host's SetPlayState to a subscribed protocol 2 client)\n");
  std::printf("  median %8.1f us, 99th percentile %8.1f us (goal within 1 ms): %s\n\n",
              results.transportEvent.medianUs, results.transportEvent.p99Us,
              Verdict(results.transportEvent.p99Us <= 1000.0));
  std::printf("TRANSPORT EVENT to the last of 8 subscribed clients\n");
  std::printf("  median %8.1f us, 99th percentile %8.1f us (goal: median within 1 ms): %s\n\n",
              results.transportFanOut.medianUs, results.transportFanOut.p99Us,
              Verdict(results.transportFanOut.medianUs <= 1000.0));
  const JogBesideSnapshotsFigures& jog = results.jogBesideSnapshots;
  std::printf(
      "JOG BESIDE SNAPSHOTS (a protocol 2 client's Transport|JogDial to the host's answer, while\n"
      "another pulls 512-channel Mixer snapshots back to back)\n");
  std::printf("  %zu jogs: median %8.1f us, 99th percentile %8.1f us (goal within 1 ms): %s\n",
              jog.jogs, jog.jog.medianUs, jog.jog.p99Us,
              Verdict(JogBesideSnapshotsGoalMet(results)));
  std::printf("  the other client's %zu snapshots: median %.1f us each\n\n", jog.snapshots,
              jog.usPerSnapshot);
  const IdleSubscriberFigures& idle = results.idleSubscriber;
  std::printf(
      "IDLE SUBSCRIBER (the host plays %.0f s, %llu frames and %llu mixer changes, beside a\n"
      "subscriber to Transport and Mixer that reads nothing)\n",
      idle.seconds, static_cast<unsigned long long>(idle.frames),
      static_cast<unsigned long long>(idle.mixerChanges));
  std::printf("  heap grown by at most %lld bytes (%lld without it; goal at most 1 MiB)%s: %s\n",
              idle.heapGrowthBesideIdle, idle.heapGrowthAlone,
              idle.idleStillServed ? "" : ", and the idle subscriber was closed",
              Verdict(IdleSubscriberGoalMet(results)));
  std::printf("  it read %zu bytes of events before the answer to its next request\n",
              idle.idleBacklogBytes);
  std::printf(
      "  a reading subscriber's Transport event: median %.1f us, p99 %.1f us beside it;\n"
      "  median %.1f us, p99 %.1f us without it\n\n",
      idle.besideIdle.medianUs, idle.besideIdle.p99Us, idle.alone.medianUs, idle.alone.p99Us);
  std::printf("%.1f s in all\n", results.seconds);
}

}  // namespace

}  // namespace dialforge_bench

int main(int argc, char** argv) {
  using namespace dialforge_bench;
  dialforge_platform::KeepStandardStreamBytes();
  int status = 0;
  const std::optional<Options> options = ParseOptions(argc, argv, &status);
  if (!options) {
    return status;
  }
  try {
    if (!options->costFixture.empty()) {
      std::printf("%zu lines\n", RequestFixtureSnapshots(options->modulePath, options->costFixture,
                                                         options->costJson));
      return 0;
    }
    const Settings settings =
        options->quick ? QuickSettings(options->modulePath) : DefaultSettings(options->modulePath);
    const Results results = Run(settings);
    if (options->json) {
      std::printf("%s\n", ToJson(results, options->quick).dump(2).c_str());
    } else {
      PrintTable(results);
    }
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "dialforge-bench: %s\n", failure.what());
    return 1;
  }
  return 0;
}
