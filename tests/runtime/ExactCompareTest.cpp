#include "runtime/ExactCompare.h"

#include <gtest/gtest.h>

using kvor::data::ExactCompare;

TEST(ExactCompareNulls, NullSortsFirstInEveryMode)
{
    for (int mode : {-5, -3, -1, 0, 1, 4, 15, 16}) {
        EXPECT_EQ(ExactCompare(nullptr, nullptr, mode), 0) << mode;
        EXPECT_EQ(ExactCompare(nullptr, "a", mode), -1) << mode;
        EXPECT_EQ(ExactCompare("a", nullptr, mode), 1) << mode;
    }
}

TEST(ExactCompareCharwise, IgnoresCaseRanksPrefixFirstAndHighBytesFirst)
{
    for (int mode : {-1, -3}) {
        EXPECT_EQ(ExactCompare("abc", "ABD", mode), -1);
        EXPECT_EQ(ExactCompare("Hello", "hELLO", mode), 0);
        EXPECT_EQ(ExactCompare("abc", "ab", mode), 1);
        EXPECT_EQ(ExactCompare("a10", "a9", mode), -1);
        EXPECT_EQ(ExactCompare("\x80", "a", mode), -1);
        EXPECT_EQ(ExactCompare("\x80", "\xff", mode), -1);
    }
}

TEST(ExactCompareDigits, DigitsLastSortsDigitsAfterEverything)
{
    EXPECT_EQ(ExactCompare("a1", "ab", -5), 1);
    EXPECT_EQ(ExactCompare("~", "0", -5), -1);
    EXPECT_EQ(ExactCompare("a10", "a9", -5), -1);
}

TEST(ExactCompareDigits, NumericComparesDigitRunsAsNumbers)
{
    EXPECT_EQ(ExactCompare("a10", "a9", 15), 1);
    EXPECT_EQ(ExactCompare("1", "z", 15), 1);
    EXPECT_EQ(ExactCompare("Track 2", "track 2", 15), 0);
    // "01" and "1" tie as numbers; the walk then moves one character on and
    // meets the digit "1" against the letter "y".
    EXPECT_EQ(ExactCompare("01x", "1y", 15), 1);
}

TEST(ExactCompareOtherModes, EvenModesTieAndTheRestUseStrcasecmp)
{
    for (int mode = 0; mode <= 14; mode += 2)
        EXPECT_EQ(ExactCompare("x", "y", mode), 0) << mode;
    for (int mode : {1, 3, 16, -2}) {
        EXPECT_LT(ExactCompare("abc", "ABD", mode), 0) << mode;
        EXPECT_EQ(ExactCompare("abc", "ABC", mode), 0) << mode;
        EXPECT_GT(ExactCompare("\x80", "a", mode), 0) << mode;  // unsigned bytes
    }
}
