#include <cstring>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "tests/host/HostTestSupport.h"

namespace {

using namespace dialforge_host;
using dialforge_test::PluginView;
using testing::HasSubstr;

TEST(StringSuite, MakesReadsAndDisposesStringsAndCountsTheLiveOnes) {
  SimulatedHost host(Project{});
  const PluginView view(host);
  ADOBESDK_String exposure{};
  ASSERT_EQ(view.strings->AllocateFromUTF8("Exposure", &exposure), 0);
  EXPECT_EQ(host.LivePluginStringCount(), 1u);

  uint32_t length = 0;
  EXPECT_EQ(view.strings->CopyToUTF8(&exposure, nullptr, &length), kADOBESDK_StringBufferTooSmall);
  EXPECT_EQ(length, 9u);
  // Too little room: nothing is written and the length needed is reported again.
  char small[4] = {'x', 'x', 'x', 'x'};
  length = sizeof small;
  EXPECT_EQ(view.strings->CopyToUTF8(&exposure, small, &length), kADOBESDK_StringBufferTooSmall);
  EXPECT_EQ(length, 9u);
  EXPECT_EQ(std::string(small, 4), "xxxx");
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  length = sizeof buffer;
  EXPECT_EQ(view.strings->CopyToUTF8(&exposure, buffer, &length), 0);
  EXPECT_EQ(length, 9u);
  EXPECT_STREQ(buffer, "Exposure");
  EXPECT_EQ(buffer[9], 'x');

  const ADOBESDK_UTF16Char wide[] = {'D', 0x00E9, 0x20AC, 0xD83C, 0xDFAC, 0xDC00, 0};
  ADOBESDK_String fromWide{};
  ASSERT_EQ(view.strings->AllocateFromUTF16(wide, &fromWide), 0);
  EXPECT_EQ(view.Text(fromWide), "D\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xAC\xEF\xBF\xBD");
  EXPECT_EQ(host.LivePluginStringCount(), 2u);
  EXPECT_EQ(host.LivePluginStringTexts().size(), 2u);

  EXPECT_EQ(view.strings->DisposeString(&exposure), 0);
  EXPECT_EQ(view.strings->DisposeString(&fromWide), 0);
  EXPECT_EQ(host.LivePluginStringCount(), 0u);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

TEST(StringSuite, AZeroInitialisedStringIsEmptyTextThatHostOperationsFill) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  ADOBESDK_String empty{};
  uint32_t length = 0;
  EXPECT_EQ(view.strings->CopyToUTF8(&empty, nullptr, &length), kADOBESDK_StringBufferTooSmall);
  EXPECT_EQ(length, 1u);
  char buffer[1] = {'x'};
  EXPECT_EQ(view.strings->CopyToUTF8(&empty, buffer, &length), 0);
  EXPECT_EQ(buffer[0], '\0');

  ADOBESDK_String name{};
  ASSERT_EQ(view.mixer->GetChannelName(view.mixerRef, 7, 1024, &name), 0);
  EXPECT_EQ(view.Text(name), "Audio 1");
  // The length limit counts the NUL, as for a C buffer.
  ASSERT_EQ(view.mixer->GetChannelName(view.mixerRef, 7, 4, &name), 0);
  EXPECT_EQ(view.Text(name), "Aud");
  // Host-filled strings belong to the host: filling makes nothing the plug-in must dispose.
  for (int i = 0; i < 100; ++i) {
    view.mixer->GetChannelName(view.mixerRef, 7, 1024, &name);
  }
  EXPECT_EQ(host.LivePluginStringCount(), 0u);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

TEST(StringSuite, CountsAndDescribesEveryMisuse) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);

  ADOBESDK_String made = view.Make("contrast");
  ASSERT_EQ(view.strings->DisposeString(&made), 0);
  EXPECT_NE(view.strings->DisposeString(&made), 0);
  ASSERT_EQ(host.ViolationCount(), 1u);
  EXPECT_THAT(host.Violations()[0], HasSubstr("DisposeString: the string was already disposed"));

  uint32_t length = 0;
  EXPECT_NE(view.strings->CopyToUTF8(&made, nullptr, &length), 0);
  EXPECT_EQ(length, 0u);
  ASSERT_EQ(host.ViolationCount(), 2u);
  EXPECT_THAT(host.Violations()[1],
              HasSubstr("CopyToUTF8: a string argument was already disposed"));

  ADOBESDK_String filled{};
  ASSERT_EQ(view.mixer->GetChannelName(view.mixerRef, 7, 1024, &filled), 0);
  EXPECT_NE(view.strings->DisposeString(&filled), 0);
  ADOBESDK_String zero{};
  EXPECT_NE(view.strings->DisposeString(&zero), 0);
  ADOBESDK_String garbage{{0x1234, 0x5678}};
  EXPECT_NE(view.strings->DisposeString(&garbage), 0);
  float value = 0;
  EXPECT_NE(view.lumetri->GetParameterValue(view.lumetriRef, &made, &value), 0);

  const std::vector<std::string> violations = host.Violations();
  ASSERT_EQ(violations.size(), 6u);
  EXPECT_THAT(violations[2], HasSubstr("filled in by the host"));
  EXPECT_THAT(violations[3], HasSubstr("zero-initialised"));
  EXPECT_THAT(violations[4], HasSubstr("never made"));
  EXPECT_THAT(violations[5],
              HasSubstr("GetParameterValue: a string argument was already disposed"));
  EXPECT_EQ(host.LivePluginStringCount(), 0u);
}

TEST(StringSuite, AStringOfAnEarlierHostIsRefused) {
  ADOBESDK_String kept{};
  {
    SimulatedHost first(Project{});
    PluginView(first).strings->AllocateFromUTF8("left behind", &kept);
  }
  SimulatedHost second(Project{});
  const PluginView view(second);
  uint32_t length = 0;
  EXPECT_NE(view.strings->CopyToUTF8(&kept, nullptr, &length), 0);
  ASSERT_EQ(second.ViolationCount(), 1u);
  EXPECT_THAT(second.Violations()[0], HasSubstr("belongs to an earlier host"));
}

}  // namespace
