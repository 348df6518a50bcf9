// The process-wide colour table and the pen and brush caches, with colours
// allocated on a private X server.
#include <gtest/gtest.h>

#include "editor/SStaticData.h"
#include "gui/SColour.h"
#include "gui/SDrawFont.h"
#include "gui/SDrawBrush.h"
#include "gui/SDrawPen.h"
#include "tests/gui/ToolkitDisplay.h"

namespace {

using kvor::gui::SCOL;
using kvor::gui::context::SDrawBrush;

class StaticData : public tarvenna::test::ToolkitSuite<StaticData> {
public:
    static std::vector<std::string> Screens() { return {"640x480x24"}; }
};

TEST_F(StaticData, TheTableHoldsTheTwentyNineNamedColours)
{
    SStaticData data;
    EXPECT_EQ(data.ColourCount(), 0);
    EXPECT_EQ(data.Colour(20), 0) << "empty table";
    data.AddStandardColours();
    ASSERT_EQ(data.ColourCount(), 29);
    EXPECT_EQ(data.Colour(SStaticData::kWhite), SCOL(255, 255, 255));
    EXPECT_EQ(data.Colour(SStaticData::kOrange), SCOL(255, 128, 0));
    EXPECT_EQ(data.Colour(SStaticData::kBlack), SCOL(0, 0, 0));
    EXPECT_EQ(data.Colour(SStaticData::kBlueGrey), SCOL(138, 145, 150));
    EXPECT_EQ(data.Colour(18), SCOL(255, 236, 200));
    EXPECT_EQ(data.Colour(28), SCOL(90, 90, 90));
    EXPECT_EQ(data.Colour(29), 0) << "no thirtieth slot";
    EXPECT_EQ(data.Colour(-1), 0);
}

TEST_F(StaticData, TheTableNeverGrowsPastTwentyNine)
{
    SStaticData data;
    data.AddStandardColours();
    data.AddStandardColours();
    EXPECT_EQ(data.ColourCount(), 29);
    EXPECT_EQ(data.Colour(0), SCOL(255, 255, 255)) << "the second round was ignored";
    data.ClearColours();
    EXPECT_EQ(data.ColourCount(), 0);
}

// What start-up does once a display is in use.
TEST_F(StaticData, FilledOnceBlackAndBlueGreyAreInPlace)
{
    statdata.ClearColours();
    statdata.AddColoursOnce();
    statdata.AddColoursOnce();
    ASSERT_EQ(statdata.ColourCount(), 29);
    EXPECT_EQ(statdata.Colour(20), 0);
    EXPECT_EQ(statdata.Colour(23), SCOL(138, 145, 150));
    statdata.ClearColours();
}

TEST_F(StaticData, BrushesAndPensAreMadeOncePerColour)
{
    SStaticData data;
    SDrawBrush* brush = data.FindBrush(0x123456);
    EXPECT_EQ(data.FindBrush(0x123456), brush);
    EXPECT_EQ(data.Brushes().Count(), 1u);
    EXPECT_EQ(brush->colour, 0x123456);
    EXPECT_EQ(brush->kind, SDrawBrush::kPlain);
    EXPECT_NE(data.FindBrush(0x654321), brush);
    EXPECT_EQ(data.Brushes().Count(), 2u);

    auto* pen = data.FindPen(0x00FF00);
    EXPECT_EQ(data.FindPen(0x00FF00), pen);
    EXPECT_EQ(pen->width, 1);
    EXPECT_EQ(pen->dashed, 0);
    EXPECT_EQ(data.Pens().Count(), 1u);

    data.Clear();
    EXPECT_EQ(data.Brushes().Count(), 0u);
    EXPECT_EQ(data.Pens().Count(), 0u);
    EXPECT_EQ(data.Fonts().Count(), 0u);
}

TEST_F(StaticData, FontsAreCachedBySizeAndStyle)
{
    SStaticData data;
    auto* eight = data.FindFont(8);
    EXPECT_TRUE(eight->Loaded());
    EXPECT_EQ(data.FindFont(8), eight);
    auto* boldEight = data.FindFont(8, true, false);
    EXPECT_NE(boldEight, eight);
    EXPECT_EQ(data.FindFont(8, true, false), boldEight);
    EXPECT_EQ(data.Fonts().Count(), 2u);
}

}  // namespace
