#include "runtime/datastring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kvor::data::datastring;

namespace {

template <unsigned N>
void ExpectText(const datastring<N>& s, const std::string& text, uint32_t capacity)
{
    EXPECT_EQ(std::string(s.data), text);
    EXPECT_EQ(s.length, text.size() + 1);
    EXPECT_EQ(s.capacity, capacity);
}

}  // namespace

TEST(DatastringGrowth, StorageGrowsInWholeGrainsOnlyWhenFull)
{
    datastring<32> s;
    ExpectText(s, "", 32);
    s.Append(std::string(31, 'x').c_str());
    ExpectText(s, std::string(31, 'x'), 32);
    s.Append('y');
    ExpectText(s, std::string(31, 'x') + "y", 64);

    datastring<8> number;
    number.Append("12345678");
    ExpectText(number, "12345678", 16);
}

// Storage that grew only grain by grain would make a long text built in
// pieces cost time in the square of its length.
TEST(DatastringGrowth, LongTextsGrowByHalfAgainInWholeGrains)
{
    datastring<32> s;
    for (int i = 0; i < 100; ++i)
        s.Append('x');
    ExpectText(s, std::string(100, 'x'), 160);
}

TEST(DatastringGrowth, FailureMessageGrowsGrainByGrain)
{
    datastring<32> s;
    s.Append("Failed to load plugin\n(Reason: ").Append("System not supported");
    EXPECT_EQ(s.capacity, 64u);
    s.Append("\nPlease check the requirements");
    ExpectText(s,
               "Failed to load plugin\n(Reason: System not supported\n"
               "Please check the requirements",
               96);
}

TEST(DatastringGrowth, AppendingItselfSurvivesReallocation)
{
    datastring<32> s;
    s.Append("ab").Append(s.data);
    ExpectText(s, "abab", 32);
    s.Append(std::string(20, 'c').c_str()).Append(s.data);
    const std::string half = "abab" + std::string(20, 'c');
    ExpectText(s, half + half, 64);
}

TEST(DatastringAppend, ZeroCharNullTextAndTinyLimitsAddNothing)
{
    datastring<32> s;
    s.Append("ab").Append('\0').Append(nullptr).Append(1, "%i", 7);
    ExpectText(s, "ab", 32);
}

TEST(DatastringAppend, FormattingKeepsMaxLengthMinusTwoCharacters)
{
    datastring<32> s;
    s.Append(8, "%i", 123456789).Append(16, "%i", -42);
    ExpectText(s, "123456-42", 32);
    // Oversized limits are cut to the stack buffer rather than trusted.
    s.Clear(false);
    s.Append(20000, "%s", std::string(10000, 'q').c_str());
    EXPECT_EQ(s.length - 1, datastring<32>::kMaxFormatted - 2);
}

TEST(DatastringConstruction, SizedFormatRoundsStorageAndCutsText)
{
    ExpectText(datastring<32>(40, "%s-%i", "abc", 7), "abc-7", 64);
    ExpectText(datastring<32>(5, "%i", 123456), "123", 32);
}

TEST(DatastringConstruction, CopiesOwnTheirStorage)
{
    datastring<32> original;
    original.Append("text");
    datastring<32> copy(original);
    copy.Append('!');
    datastring<32> assigned;
    assigned = copy;
    // Through a reference, which compilers do not flag as a mistake.
    const datastring<32>& self = assigned;
    assigned = self;
    ExpectText(original, "text", 32);
    ExpectText(assigned, "text!", 32);
    EXPECT_NE(assigned.data, copy.data);
}

TEST(DatastringReset, ClearAndInitializeEmptyTheText)
{
    datastring<32> s;
    s.Append(std::string(40, 'z').c_str());
    s.Clear(false);
    ExpectText(s, "", 64);
    s.Clear(true);
    ExpectText(s, "", 32);
    s.Append("old");
    s.Initialize(33);
    ExpectText(s, "", 64);
    s.Initialize(32);
    ExpectText(s, "", 32);
}

TEST(DatastringTokenize, FollowsStrtokRulesAndKeepsEarlierTokens)
{
    std::vector<datastring<32>> tokens(1);
    datastring<32> s;
    s.Append("a,,b;");
    EXPECT_EQ(s.Tokenize(tokens, ",;"), 2u);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_STREQ(tokens[1].data, "a");
    EXPECT_STREQ(tokens[2].data, "b");
    EXPECT_STREQ(s.data, "a,,b;");

    datastring<8> empty;
    EXPECT_EQ(empty.Tokenize(tokens, ","), 0u);
    EXPECT_EQ(tokens.size(), 3u);
}
