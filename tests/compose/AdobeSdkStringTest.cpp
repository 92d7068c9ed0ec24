#include "compose/AdobeSdkString.h"

#include <cstring>
#include <map>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr ADOBESDK_Error kFail = 0x6661696C;  // 'fail'

// A string suite whose answers the tests choose, counting what the holder asks of it.
struct ScriptedStringSuite {
  enum class Copy { Normal, LengthQueryAnswersSuccess, CopyFails, CopyReportsTooMuch };

  static inline Copy copy = Copy::Normal;
  static inline bool allocationFails = false;
  static inline std::map<uintptr_t, std::string> texts;
  static inline std::map<uintptr_t, int> disposals;
  static inline int copyCalls = 0;
  static inline uintptr_t nextId = 1;

  static void Reset() {
    copy = Copy::Normal;
    allocationFails = false;
    texts.clear();
    disposals.clear();
    copyCalls = 0;
  }

  static ADOBESDK_Error Dispose(ADOBESDK_String* string) {
    ++disposals[string->opaque[0]];
    return 0;
  }
  static ADOBESDK_Error FromUTF8(const char* text, ADOBESDK_String* out) {
    if (allocationFails) {
      return kFail;
    }
    out->opaque[0] = nextId++;
    texts[out->opaque[0]] = text;
    return 0;
  }
  static ADOBESDK_Error CopyToUTF8(const ADOBESDK_String* string, char* buffer, uint32_t* length) {
    ++copyCalls;
    const std::string& text = texts[string->opaque[0]];
    if (buffer == nullptr) {
      *length = static_cast<uint32_t>(text.size() + 1);
      return copy == Copy::LengthQueryAnswersSuccess ? 0 : kADOBESDK_StringBufferTooSmall;
    }
    if (copy == Copy::CopyFails) {
      return kFail;
    }
    std::memcpy(buffer, text.c_str(), *length);
    if (copy == Copy::CopyReportsTooMuch) {
      *length += 100;
    }
    return 0;
  }

  static const ADOBESDK_StringSuite1* Get() {
    static const ADOBESDK_StringSuite1 suite = {Dispose, FromUTF8, CopyToUTF8, nullptr};
    return &suite;
  }
};

class AdobeSdkStringTest : public ::testing::Test {
 protected:
  void SetUp() override { ScriptedStringSuite::Reset(); }
};

TEST_F(AdobeSdkStringTest, ReadsBackTheTextThroughALengthQueryAndACopy) {
  AdobeSdkString text(ScriptedStringSuite::Get(), "abc");
  ASSERT_TRUE(text.OwnsString());
  EXPECT_EQ(text.toString(), "abc");
  EXPECT_EQ(ScriptedStringSuite::copyCalls, 2);

  AdobeSdkString empty(ScriptedStringSuite::Get(), "");
  EXPECT_EQ(empty.toString(), "");
}

TEST_F(AdobeSdkStringTest, AnyFailureOfTheSuiteGivesEmptyText) {
  AdobeSdkString text(ScriptedStringSuite::Get(), "abc");

  ScriptedStringSuite::copy = ScriptedStringSuite::Copy::LengthQueryAnswersSuccess;
  ScriptedStringSuite::copyCalls = 0;
  EXPECT_EQ(text.toString(), "");
  EXPECT_EQ(ScriptedStringSuite::copyCalls, 1) << "no copy after an unexpected length answer";

  ScriptedStringSuite::copy = ScriptedStringSuite::Copy::CopyFails;
  EXPECT_EQ(text.toString(), "");

  // A suite that claims to have written more than it was given room for is not believed.
  ScriptedStringSuite::copy = ScriptedStringSuite::Copy::CopyReportsTooMuch;
  EXPECT_EQ(text.toString(), "abc");

  AdobeSdkString withoutSuite(nullptr, "abc");
  EXPECT_FALSE(withoutSuite.OwnsString());
  EXPECT_EQ(withoutSuite.toString(), "");
}

TEST_F(AdobeSdkStringTest, DisposesExactlyTheStringsItMade) {
  uintptr_t madeId = 0;
  {
    AdobeSdkString made(ScriptedStringSuite::Get(), "made");
    madeId = made.Get()->opaque[0];
    EXPECT_EQ(made.toString(), "made");
    EXPECT_TRUE(ScriptedStringSuite::disposals.empty()) << "reading does not dispose";
  }
  EXPECT_EQ(ScriptedStringSuite::disposals, (std::map<uintptr_t, int>{{madeId, 1}}));

  ScriptedStringSuite::disposals.clear();
  ScriptedStringSuite::allocationFails = true;
  {
    AdobeSdkString failed(ScriptedStringSuite::Get(), "never made");
    EXPECT_FALSE(failed.OwnsString());
  }
  {
    AdobeSdkString receptacle(ScriptedStringSuite::Get());
    // What a host operation does with an out-string.
    receptacle.Get()->opaque[0] = 4242;
    ScriptedStringSuite::texts[4242] = "filled by the host";
    receptacle.Filled(kADOBESDK_StringBufferTooSmall);
    EXPECT_EQ(receptacle.toString(), "") << "a failed fill holds no string to read";
    receptacle.Filled(kADOBESDK_NoError);
    EXPECT_EQ(receptacle.toString(), "filled by the host");
    EXPECT_FALSE(receptacle.OwnsString());
  }
  EXPECT_TRUE(ScriptedStringSuite::disposals.empty());
}

}  // namespace
