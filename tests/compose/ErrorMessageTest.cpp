#include "compose/ErrorMessage.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(GetErrorMessage, GivesTheFourBytesOfAnyNonZeroCode) {
  EXPECT_EQ(GetErrorMessage(0), "");
  EXPECT_EQ(GetErrorMessage(0x73627473), "sbts");
  EXPECT_EQ(GetErrorMessage(0x41424344), "ABCD");
  EXPECT_EQ(GetErrorMessage(1), std::string("\0\0\0\x01", 4));
  EXPECT_EQ(GetErrorMessage(0x00410000), std::string("\0A\0\0", 4));
  EXPECT_EQ(GetErrorMessage(-1), std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(GetErrorMessage(static_cast<int>(0x80000000u)), std::string("\x80\0\0\0", 4));
}

}  // namespace
