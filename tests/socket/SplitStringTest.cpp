#include "socket/SplitString.h"

#include <gtest/gtest.h>

namespace {

using VazezeveDudOzizezUziriv::SplitString;
using Pieces = std::vector<std::string>;

TEST(SplitStringTest, CutsAtEveryDelimiterButGivesNoEmptyLastPiece) {
  EXPECT_EQ(SplitString("0|GetParameters|Mixer", '|'), (Pieces{"0", "GetParameters", "Mixer"}));
  EXPECT_EQ(SplitString("", '|'), Pieces{});
  EXPECT_EQ(SplitString("a|b|", '|'), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitString("a||b", '|'), (Pieces{"a", "", "b"}));
  EXPECT_EQ(SplitString("|a", '|'), (Pieces{"", "a"}));
  EXPECT_EQ(SplitString("|", '|'), Pieces{""});
  EXPECT_EQ(SplitString("||", '|'), (Pieces{"", ""}));
  EXPECT_EQ(SplitString("1.5,2", ','), (Pieces{"1.5", "2"}));
}

}  // namespace
