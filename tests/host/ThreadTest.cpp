#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "tests/host/HostTestSupport.h"

namespace {

using namespace dialforge_host;
using dialforge_test::PluginView;

// Listener threads call the host while the host's own thread reads it; run under
// ThreadSanitizer too.
TEST(HostThreads, CallsFromSeveralThreadsAreEachCountedOnce) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  constexpr int kRounds = 2000;
  std::atomic<int> running{2};

  std::thread lumetri([&] {
    for (int i = 0; i < kRounds; ++i) {
      dialforge_test::MadeString exposure(view, "exposure");
      float value = 0;
      view.lumetri->SetParameterValue(view.lumetriRef, exposure.Get(), (i % 8) * 0.5f - 2, &value);
      view.Text(*exposure.Get());
    }
    --running;
  });
  std::thread mixer([&] {
    for (int i = 0; i < kRounds; ++i) {
      ADOBESDK_String name{};
      view.mixer->GetChannelName(view.mixerRef, 7, 1024, &name);
      view.Text(name);
      view.transport->Play(view.transportRef);
    }
    --running;
  });
  while (running > 0) {
    EXPECT_TRUE(host.ParameterValue("exposure").has_value());
    host.JournalLines();
  }
  lumetri.join();
  mixer.join();

  EXPECT_EQ(host.CallCount("SetParameterValue"), uint64_t{kRounds});
  EXPECT_EQ(host.CallCount("Play"), uint64_t{kRounds});
  EXPECT_EQ(host.CallCount("CopyToUTF8"), uint64_t{4 * kRounds});
  EXPECT_EQ(host.JournalLines().size(), 2u * kRounds);
  EXPECT_EQ(host.LivePluginStringCount(), 0u);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

}  // namespace
