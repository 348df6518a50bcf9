// Arrangements as single malloc blocks: allocation size and zeroing, the
// speaker copy, and matching one arrangement to another.
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "VstTestSupport.h"

namespace {

// Speakers past the declared 8 live in the same block; reach them by address.
VstSpeakerProperties* speaker(VstSpeakerArrangement* a, int i)
{
    return reinterpret_cast<VstSpeakerProperties*>(reinterpret_cast<char*>(a) + 8) + i;
}

class VstArrangements : public ::testing::Test {
protected:
    void TearDown() override
    {
        fx.deallocateArrangement(&a);
        fx.deallocateArrangement(&b);
    }
    PlainEffect fx{nullptr};
    VstSpeakerArrangement* a = nullptr;
    VstSpeakerArrangement* b = nullptr;
};

TEST_F(VstArrangements, AllocateGivesAZeroedBlockWithTheChannelCount)
{
    ASSERT_TRUE(fx.allocateArrangement(&a, 10));
    EXPECT_EQ(a->numChannels, 10);
    EXPECT_EQ(a->type, 0);
    // The whole block, including speakers past the declared 8, is there
    // and zero (the sanitizer build checks its extent).
    const char* last = reinterpret_cast<const char*>(speaker(a, 9));
    for (std::size_t i = 0; i < sizeof(VstSpeakerProperties); ++i)
        ASSERT_EQ(last[i], 0);
}

TEST_F(VstArrangements, AllocateReplacesAnExistingArrangement)
{
    ASSERT_TRUE(fx.allocateArrangement(&a, 2));
    ASSERT_TRUE(fx.allocateArrangement(&a, 0));  // the first block is freed, not leaked
    EXPECT_EQ(a->numChannels, 0);
    EXPECT_FALSE(fx.allocateArrangement(nullptr, 1));
    EXPECT_FALSE(fx.allocateArrangement(&b, -1));
    EXPECT_EQ(b, nullptr);
}

TEST_F(VstArrangements, DeallocateFreesAndClears)
{
    ASSERT_TRUE(fx.allocateArrangement(&a, 1));
    EXPECT_TRUE(fx.deallocateArrangement(&a));
    EXPECT_EQ(a, nullptr);
    EXPECT_TRUE(fx.deallocateArrangement(&a));  // freeing nothing is fine
    EXPECT_FALSE(fx.deallocateArrangement(nullptr));
}

TEST_F(VstArrangements, CopySpeakerCopiesNameAndNumbers)
{
    VstSpeakerProperties from{}, to{};
    std::strcpy(from.name, "Left Surround");
    from.azimuth = -1.5f;
    from.elevation = 0.25f;
    from.radius = 2.0f;
    from.reserved = 0.5f;
    from.type = 5;
    EXPECT_TRUE(fx.copySpeaker(&to, &from));
    EXPECT_STREQ(to.name, "Left Surround");
    EXPECT_EQ(to.azimuth, -1.5f);
    EXPECT_EQ(to.elevation, 0.25f);
    EXPECT_EQ(to.radius, 2.0f);
    EXPECT_EQ(to.reserved, 0.5f);
    EXPECT_EQ(to.type, 5);
    EXPECT_FALSE(fx.copySpeaker(nullptr, &from));
    EXPECT_FALSE(fx.copySpeaker(&to, nullptr));
}

TEST_F(VstArrangements, CopySpeakerKeepsTheNameTerminated)
{
    VstSpeakerProperties from{}, to{};
    std::memset(from.name, 'n', sizeof(from.name));  // no terminator at all
    EXPECT_TRUE(fx.copySpeaker(&to, &from));
    EXPECT_EQ(std::strlen(to.name), sizeof(to.name) - 1);
}

TEST_F(VstArrangements, MatchCopiesTypeCountAndEverySpeaker)
{
    ASSERT_TRUE(fx.allocateArrangement(&a, 9));
    a->type = 14;
    for (int i = 0; i < 9; ++i) {
        speaker(a, i)->type = 100 + i;
        speaker(a, i)->azimuth = static_cast<float>(i);
        std::snprintf(speaker(a, i)->name, sizeof(speaker(a, i)->name), "S%d", i);
    }
    ASSERT_TRUE(fx.allocateArrangement(&b, 1));  // replaced by the match
    ASSERT_TRUE(fx.matchArrangement(&b, a));
    ASSERT_NE(b, a);
    EXPECT_EQ(b->type, 14);
    EXPECT_EQ(b->numChannels, 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(speaker(b, i)->type, 100 + i);
        EXPECT_EQ(speaker(b, i)->azimuth, static_cast<float>(i));
        EXPECT_EQ(std::string(speaker(b, i)->name), "S" + std::to_string(i));
    }
}

TEST_F(VstArrangements, MatchRefusesMissingArguments)
{
    ASSERT_TRUE(fx.allocateArrangement(&a, 1));
    EXPECT_FALSE(fx.matchArrangement(&b, nullptr));
    EXPECT_FALSE(fx.matchArrangement(nullptr, a));
}

}  // namespace
