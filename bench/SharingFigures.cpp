#include "bench/SharingFigures.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/AllocationCounter.h"
#include "bench/Figures.h"
#include "bench/LoopbackPeers.h"
#include "bench/PluginUnderTest.h"
#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceSuites.h"

namespace dialforge_bench {

namespace {

constexpr uint32_t kPulledChannels = 512;
constexpr uint32_t kPlayedChannels = 64;
constexpr int kFramesPerSecond = 30;
constexpr int kMixerChangesPerFrame = 10;
// The jogs' pauses, so that they land anywhere in the other client's snapshots.
constexpr int kMostPauseUs = 2000;

// Reads whole lines until one of them holds the text; answers the bytes read, that line's too.
size_t ReadUntilLineWith(BenchClient& client, const std::string& text) {
  size_t bytes = 0;
  for (;;) {
    const std::string line = client.ReceiveUntilSuffix("\n");
    bytes += line.size();
    if (line.find(text) != std::string::npos) {
      return bytes;
    }
  }
}

// The answer to the request with that id; answers the bytes read up to its end.
size_t ReadAnswer(BenchClient& client, const std::string& id) {
  return ReadUntilLineWith(client, "{\"id\":\"" + id + "\"");
}

// A protocol 2 client that proved the token and subscribed to the topics given.
std::unique_ptr<BenchClient> Subscriber(const PluginUnderTest& plugin, const std::string& token,
                                        const std::vector<std::string>& topics) {
  auto client = std::make_unique<BenchClient>(plugin.Port());
  client->Send("0|Hello|2|" + token + "\n");
  ReadAnswer(*client, "0");
  int id = 0;
  for (const std::string& topic : topics) {
    client->Send(std::to_string(++id) + "|Subscribe|" + topic + "\n");
    ReadAnswer(*client, std::to_string(id));
  }
  return client;
}

// Pulls Mixer snapshots back to back on a thread of its own until destroyed.
class SnapshotPuller {
 public:
  explicit SnapshotPuller(BenchClient& client) : client(client), thread([this] { Pull(); }) {}
  ~SnapshotPuller() { Stop(); }
  SnapshotPuller(const SnapshotPuller&) = delete;
  SnapshotPuller& operator=(const SnapshotPuller&) = delete;

  // Stops and answers the time of each snapshot; throws what the pulling thread met.
  std::vector<double> Finish() {
    Stop();
    if (!failure.empty()) {
      throw std::runtime_error("pulling snapshots: " + failure);
    }
    return durations;
  }

 private:
  void Stop() {
    stopping = true;
    if (thread.joinable()) {
      thread.join();
    }
  }
  void Pull() {
    try {
      for (uint64_t id = 1; !stopping; ++id) {
        const Clock::time_point start = Clock::now();
        client.Send(std::to_string(id) + "|GetParameters|Mixer\n");
        client.ReceiveUntilSuffix("\n");
        durations.push_back(MicrosecondsBetween(start, Clock::now()));
      }
    } catch (const std::exception& met) {
      failure = met.what();
    }
  }

  BenchClient& client;
  std::atomic<bool> stopping{false};
  std::vector<double> durations;
  std::string failure;
  std::thread thread;
};

// The moment the host answered each JogDial, told by the host on the listener's thread.
class JogDialWatch {
 public:
  explicit JogDialWatch(dialforge_host::SimulatedHost& host) : host(host) {
    host.ObserveChanges([this](const dialforge_host::ChangeReport& change) {
      if (change.operation != nullptr &&
          change.operation->operation == dialforge_host::Operation::JogDial) {
        {
          std::lock_guard<std::mutex> lock(mutex);
          answered = Clock::now();
        }
        seen.notify_one();
      }
    });
  }
  ~JogDialWatch() { host.ObserveChanges(nullptr); }
  JogDialWatch(const JogDialWatch&) = delete;
  JogDialWatch& operator=(const JogDialWatch&) = delete;

  void Forget() {
    std::lock_guard<std::mutex> lock(mutex);
    answered.reset();
  }
  Clock::time_point Answered() {
    std::unique_lock<std::mutex> lock(mutex);
    if (!seen.wait_for(lock, std::chrono::seconds(60), [this] { return answered.has_value(); })) {
      throw std::runtime_error("the host saw no JogDial");
    }
    return *answered;
  }

 private:
  dialforge_host::SimulatedHost& host;
  std::mutex mutex;
  std::condition_variable seen;
  std::optional<Clock::time_point> answered;
};

// A host string for the time of a frame, disposed with the object.
class FrameTime {
 public:
  FrameTime(const ADOBESDK_StringSuite1& strings, uint64_t frame) : strings(strings) {
    const uint64_t seconds = frame / kFramesPerSecond;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%02llu:%02llu:%02llu:%02llu",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60),
                  static_cast<unsigned long long>(frame % kFramesPerSecond));
    text = digits;
    if (strings.AllocateFromUTF8(digits, &value) != kADOBESDK_NoError) {
      throw std::runtime_error("the host made no string");
    }
  }
  ~FrameTime() { strings.DisposeString(&value); }
  FrameTime(const FrameTime&) = delete;
  FrameTime& operator=(const FrameTime&) = delete;

  const ADOBESDK_String* Value() const { return &value; }
  const std::string& Text() const { return text; }

 private:
  const ADOBESDK_StringSuite1& strings;
  ADOBESDK_String value{};
  std::string text;
};

// The host's side of play: the plug-in's transport and mixer tables, called as the host calls
// them, and the host's string suite.
class PlayingHost {
 public:
  explicit PlayingHost(PluginUnderTest& plugin)
      : plugin(plugin), transportRef(plugin.TransportRef()), mixerRef(plugin.MixerRef()) {
    transport = static_cast<const ADOBESDK_ControlSurfaceTransportSuite1*>(plugin.Table(
        kADOBESDK_ControlSurfaceTransportSuite, kADOBESDK_ControlSurfaceTransportSuiteVersion1));
    mixer = static_cast<const ADOBESDK_ControlSurfaceMixerSuite2*>(plugin.Table(
        kADOBESDK_ControlSurfaceMixerSuite, kADOBESDK_ControlSurfaceMixerSuiteVersion2));
    const void* stringSuite = nullptr;
    if (plugin.Host().BasicSuite()->AcquireSuite(
            kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1, &stringSuite) != 0) {
      throw std::runtime_error("the host gave no strings");
    }
    strings = static_cast<const ADOBESDK_StringSuite1*>(stringSuite);
  }
  ~PlayingHost() {
    plugin.Host().BasicSuite()->ReleaseSuite(kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1);
  }
  PlayingHost(const PlayingHost&) = delete;
  PlayingHost& operator=(const PlayingHost&) = delete;

  void Play() { transport->SetPlayState(transportRef, 1); }
  // A frame's mixer changes, each of another parameter than the last frame's.
  void ChangeMixer() {
    for (int change = 0; change < kMixerChangesPerFrame; ++change, ++mixerChanges) {
      const auto parameter = static_cast<uint32_t>(mixerChanges % 16);
      const auto component = static_cast<uint32_t>(mixerChanges / 16 % 8 * 6);
      const auto row = static_cast<uint32_t>(mixerChanges / 128 % kPlayedChannels);
      mixer->SetComponentParameter(mixerRef, row, component, parameter,
                                   static_cast<float>(mixerChanges % 100) / 10.0f);
    }
  }
  // The next frame's time display, and the time text a Transport event then holds.
  std::string ShowNextFrame(Clock::time_point* shown) {
    const FrameTime time(*strings, frames++);
    *shown = Clock::now();
    transport->SetTimeDisplay(transportRef, 1, time.Value());
    return "\"time\":\"" + time.Text() + "\"";
  }

 private:
  PluginUnderTest& plugin;
  ADOBESDK_ControlSurfaceTransport* const transportRef;
  ADOBESDK_ControlSurfaceMixer* const mixerRef;
  const ADOBESDK_ControlSurfaceTransportSuite1* transport = nullptr;
  const ADOBESDK_ControlSurfaceMixerSuite2* mixer = nullptr;
  const ADOBESDK_StringSuite1* strings = nullptr;
  uint64_t frames = 0;
  uint64_t mixerChanges = 0;
};

struct Phase {
  std::vector<double> eventUs;
  long long heapGrowth = 0;
};

// Frames at the host's pace, each with its mixer changes, each shown to the reader before the
// next; the heap is measured against what it held at `heapBefore`.
Phase PlayFrames(PlayingHost& host, BenchClient& reader, uint64_t frames, long long heapBefore) {
  Phase phase;
  phase.eventUs.reserve(frames);
  const Clock::time_point start = Clock::now();
  for (uint64_t frame = 0; frame < frames; ++frame) {
    std::this_thread::sleep_until(start +
                                  frame * std::chrono::microseconds(1000000) / kFramesPerSecond);
    host.ChangeMixer();
    Clock::time_point shown;
    const std::string time = host.ShowNextFrame(&shown);
    ReadUntilLineWith(reader, time);
    phase.eventUs.push_back(MicrosecondsBetween(shown, Clock::now()));
    phase.heapGrowth = std::max(phase.heapGrowth, LiveHeapBytes() - heapBefore);
  }
  return phase;
}

}  // namespace

JogBesideSnapshotsFigures MeasureJogBesideSnapshots(const std::string& modulePath, size_t jogs) {
  BenchHome home;
  PluginUnderTest plugin(modulePath, home, MixerProject(kPulledChannels));
  const std::string token = home.Token();
  const std::unique_ptr<BenchClient> pulling = Subscriber(plugin, token, {});
  const std::unique_ptr<BenchClient> jogging = Subscriber(plugin, token, {});
  JogDialWatch watch(plugin.Host());
  std::minstd_rand spread(7);
  std::uniform_int_distribution<int> pauseUs(0, kMostPauseUs);
  std::vector<double> samples;
  SnapshotPuller puller(*pulling);
  for (size_t jog = 1; jog <= jogs; ++jog) {
    std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(spread)));
    watch.Forget();
    const std::string id = std::to_string(jog);
    const Clock::time_point sent = Clock::now();
    jogging->Send(id + "|Transport|JogDial|3|-2|1\n");
    samples.push_back(MicrosecondsBetween(sent, watch.Answered()));
    ReadAnswer(*jogging, id);
  }
  const std::vector<double> snapshots = puller.Finish();
  JogBesideSnapshotsFigures figures;
  figures.jogs = jogs;
  figures.jog = LatencyOf(samples);
  figures.snapshots = snapshots.size();
  figures.usPerSnapshot = Median(snapshots);
  return figures;
}

IdleSubscriberFigures MeasureIdleSubscriber(const std::string& modulePath, double seconds) {
  BenchHome home;
  PluginUnderTest plugin(modulePath, home, MixerProject(kPlayedChannels));
  const std::string token = home.Token();
  PlayingHost host(plugin);
  const std::unique_ptr<BenchClient> reader = Subscriber(plugin, token, {"Transport", "Mixer"});
  host.Play();
  ReadUntilLineWith(*reader, "\"play\":true");

  IdleSubscriberFigures figures;
  figures.seconds = seconds;
  figures.frames = static_cast<uint64_t>(seconds * kFramesPerSecond);
  figures.mixerChanges = figures.frames * kMixerChangesPerFrame;
  const Phase alone = PlayFrames(host, *reader, figures.frames, LiveHeapBytes());
  const long long heapBeforeIdle = LiveHeapBytes();
  const std::unique_ptr<BenchClient> idle = Subscriber(plugin, token, {"Transport", "Mixer"});
  // The bench's own client is not the plug-in's.
  const Phase besideIdle = PlayFrames(host, *reader, figures.frames,
                                      heapBeforeIdle + static_cast<long long>(idle->BufferBytes()));
  figures.alone = LatencyOf(alone.eventUs);
  figures.besideIdle = LatencyOf(besideIdle.eventUs);
  figures.heapGrowthAlone = alone.heapGrowth;
  figures.heapGrowthBesideIdle = besideIdle.heapGrowth;
  try {
    idle->Send("3|Unsubscribe|Mixer\n");
    figures.idleBacklogBytes = ReadAnswer(*idle, "3");
    figures.idleStillServed = true;
  } catch (const std::runtime_error&) {
    figures.idleStillServed = false;
  }
  return figures;
}

}  // namespace dialforge_bench
