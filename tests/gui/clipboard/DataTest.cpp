// The tagged data record: what each format copies and what it refuses.
#include "gui/clipboard/SData.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using kvor::gui::SData;

TEST(Data, EachFormatKeepsACopyAndWhatCannotBeCopiedLeavesFormatZero)
{
    char source[] = "abc";
    SData data(SData::kFormatText, source, 99);
    source[0] = 'x';
    EXPECT_STREQ(data.GetTextData(), "abc");
    EXPECT_EQ(data.GetSize(), 4u) << "the terminator counts";
    data.SetTextData(data.GetTextData() + 1);
    EXPECT_STREQ(data.GetTextData(), "bc");

    const char bytes[] = {1, 0, 2, 0, 3};
    data.SetSize(sizeof bytes);
    data.SetCustomData(bytes);
    EXPECT_EQ(data.GetFormat(), SData::kFormatCustom);
    EXPECT_EQ(std::memcmp(data.GetCustomData(), bytes, sizeof bytes), 0);
    data.SetValueF(2.5f);
    ASSERT_NE(data.GetValueF(), nullptr);
    EXPECT_EQ(*data.GetValueF(), 2.5f);
    EXPECT_EQ(data.GetValueI(), nullptr) << "only under its own format";
    data.SetTextData("");
    EXPECT_EQ(data.GetFormat() + data.GetSize(), 0u);

    const int integer = -12;
    EXPECT_EQ(*SData(SData::kFormatInteger, &integer, 4).GetValueI(), -12);
    for (const SData& nothing :
         {SData(SData::kFormatText, "", 5), SData(SData::kFormatText, nullptr, 5),
          SData(SData::kFormatCustom, bytes, -1), SData(SData::kFormatFloat, nullptr, 4)}) {
        EXPECT_EQ(nothing.GetFormat(), SData::kFormatNone);
        EXPECT_EQ(nothing.GetSize(), 0u);
    }
    EXPECT_EQ(SData(64, bytes, 5).GetSize(), 0u) << "an unknown format carries no size";
}

}  // namespace
