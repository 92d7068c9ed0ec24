#include "compose/AdobeSdkString.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "tests/support/ExampleProject.h"
#include "tests/support/PluginView.h"

namespace {

using dialforge_host::FourCharacterCode;
using dialforge_host::SimulatedHost;
using dialforge_test::PluginView;

// The host notices a string disposed twice, or disposed though the host filled it in or it was
// never made; every case ends with the host counting no misuse and no string left.
class AdobeSdkStringTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(host.ViolationCount(), 0u);
    EXPECT_EQ(host.LivePluginStringCount(), 0u);
  }

  SimulatedHost host{dialforge_test::ExampleProject()};
  const PluginView view{host};
};

TEST_F(AdobeSdkStringTest, DisposesExactlyTheStringsItMade) {
  {
    AdobeSdkString made(view.strings, "made");
    EXPECT_TRUE(made.OwnsString());
    EXPECT_EQ(made.toString(), "made");
    EXPECT_EQ(host.LivePluginStringCount(), 1u) << "reading does not dispose";
  }
  {
    AdobeSdkString name(view.strings);
    name.Filled(view.mixer->GetChannelName(view.mixerRef, 7, 1024, name.Get()));
    EXPECT_EQ(name.toString(), "Audio 1");
    EXPECT_FALSE(name.OwnsString());
  }
  host.SetFailure("AllocateFromUTF8", FourCharacterCode("Fail"));
  AdobeSdkString failed(view.strings, "never made");
  EXPECT_FALSE(failed.OwnsString());
  EXPECT_EQ(failed.toString(), "");
}

TEST_F(AdobeSdkStringTest, WhatTheHostDidNotFillIsNotReadAndAFailedReadGivesEmptyText) {
  AdobeSdkString name(view.strings);
  EXPECT_EQ(name.toString(), "") << "nothing filled yet";
  host.SetFailure("GetChannelName", FourCharacterCode("Fail"));
  name.Filled(view.mixer->GetChannelName(view.mixerRef, 7, 1024, name.Get()));
  EXPECT_EQ(name.toString(), "");
  EXPECT_EQ(host.CallCount("CopyToUTF8"), 0u);

  AdobeSdkString made(view.strings, "made");
  host.SetFailure("CopyToUTF8", FourCharacterCode("Fail"));
  EXPECT_EQ(made.toString(), "");
  EXPECT_EQ(AdobeSdkString(nullptr, "made").toString(), "");
}

// A host that claims to have copied more than it was given room for is not believed.
ADOBESDK_Error CopyReportingTooMuch(const ADOBESDK_String*, char* buffer, uint32_t* length) {
  if (buffer == nullptr) {
    *length = 4;
    return kADOBESDK_StringBufferTooSmall;
  }
  std::memcpy(buffer, "abc", 4);
  *length += 100;
  return kADOBESDK_NoError;
}

TEST(AdobeSdkStringOfALyingHost, ReadsNoFurtherThanTheRoomItGave) {
  const ADOBESDK_StringSuite1 suite = {nullptr, nullptr, CopyReportingTooMuch, nullptr};
  AdobeSdkString text(&suite);
  text.Filled(kADOBESDK_NoError);
  EXPECT_EQ(text.toString(), "abc");
}

}  // namespace
