// Text as it lands on the screen: plain text, aligned labels, turned text
// and the seven-segment digits.
#include <gtest/gtest.h>

#include "tests/gui/ToolkitResources.h"
#include "gui/SDrawFont.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/ToolkitDisplay.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tarvenna::test {
namespace {

using kvor::gui::context::SDrawFont;
using kvor::gui::context::SDrawing;

const SDrawing::Point kNoOffset{0, 0};

TEST(TextPlacement, CentredLabelsFollowTheRoundingOfTheToolkit)
{
    // r = (0, 0, 100, 20), ascent 10, a 40-pixel text: x = 30, baseline 14.
    const SDrawing::Point centred =
        SDrawing::PlaceText(SDrawing::Rect{0, 0, 100, 20}, 0, 40, 10, 3);
    EXPECT_EQ(centred.x, 30);
    EXPECT_EQ(centred.y, 14);
    // Odd sizes round towards minus infinity.
    const SDrawing::Point odd = SDrawing::PlaceText(SDrawing::Rect{0, 0, 101, 21}, 0, 41, 11, 3);
    EXPECT_EQ(odd.x, 30);
    EXPECT_EQ(odd.y, 5 + 10 - 1);
    // An inverted rectangle: floor(-5 / 2) = -3, floor(-3 / 2) = -2.
    const SDrawing::Point negative = SDrawing::PlaceText(SDrawing::Rect{0, 0, -5, -3}, 0, 3, 1, 0);
    EXPECT_EQ(negative.x, -3 - 1);
    EXPECT_EQ(negative.y, 0 - 2 - 1);
}

TEST(TextPlacement, FlagsPinTheTextToAnEdge)
{
    const SDrawing::Rect area{10, 20, 110, 60};
    EXPECT_EQ(SDrawing::PlaceText(area, 0x1 | 0x2, 40, 10, 3), (SDrawing::Point{10, 30}));
    EXPECT_EQ(SDrawing::PlaceText(area, 0x4 | 0x8, 40, 10, 3), (SDrawing::Point{70, 57}));
    EXPECT_EQ(SDrawing::PlaceText(area, 0x1 | 0x4, 40, 10, 3).x, 10) << "left wins";
    EXPECT_EQ(SDrawing::PlaceText(area, 0x2 | 0x8, 40, 10, 3).y, 30) << "top wins";
}

class DrawingText : public ToolkitSuite<DrawingText> {
public:
    static std::vector<std::string> Screens() { return {"320x240x24"}; }

protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ToolkitSuite::SetUp());
        font = ToolkitResources().FindFont(10);
        ASSERT_TRUE(font->Loaded());
    }

    SDrawFont* font = nullptr;
};

TEST_F(DrawingText, TextHangsFromItsTopLeftCorner)
{
    Canvas canvas(display(), 120, 40);
    SDrawing& drawing = canvas.drawing();
    drawing.SetFont(font);
    drawing.SetTextColour(kOrange, false);
    drawing.DrawText("Tarvenna", SDrawing::Point{5, 10});
    const Pixels pixels = canvas.read();
    const Box box = pixels.inkBox(kBlack);
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.y1, 10);
    EXPECT_LE(box.y1, 12) << "the capital reaches nearly to the top";
    EXPECT_LE(box.y2, 10 + font->Ascent() + font->Descent());
    EXPECT_GE(box.x1, 5);
    EXPECT_LE(box.x1, 6);
    EXPECT_EQ(pixels.at(box.x1 + 1, box.y1), kOrange) << pixels.picture(kBlack);
}

TEST_F(DrawingText, CentredLabelsSitInTheMiddleOfTheirRectangle)
{
    Canvas canvas(display(), 100, 20);
    SDrawing& drawing = canvas.drawing();
    drawing.SetFont(font);
    drawing.SetForegroundColour(false);
    drawing.DrawLabel("Nodes", SDrawing::Rect{0, 0, 100, 20}, 0, kNoOffset);
    const Pixels pixels = canvas.read();
    const Box box = pixels.inkBox(kBlack);
    ASSERT_FALSE(box.empty());
    const int width = XTextWidth(font->info, "Nodes", 5);
    const int baseline = font->Ascent() / 2 + 10 - 1;
    EXPECT_NEAR((box.x1 + box.x2) / 2.0, 50.0, 1.5) << pixels.picture(kBlack);
    EXPECT_GE(box.x1, 50 - width / 2);
    EXPECT_LE(box.y2, baseline + 1) << "no descender in this word";
    EXPECT_GE(box.y1, baseline - font->Ascent());
}

TEST_F(DrawingText, FlagsAndOffsetsMoveTheLabel)
{
    const SDrawing::Rect area{10, 10, 110, 50};
    const auto inkOfLabel = [&](int flags, const SDrawing::Point& offset) {
        Canvas canvas(display(), 120, 60);
        canvas.drawing().SetFont(font);
        canvas.drawing().SetForegroundColour(false);
        canvas.drawing().DrawLabel("Port", area, flags, offset);
        return canvas.read().inkBox(kBlack);
    };
    const Box leftBox = inkOfLabel(0x1 | 0x2, kNoOffset);
    EXPECT_LE(leftBox.x1, 11);
    EXPECT_GE(leftBox.x1, 10);
    EXPECT_GE(leftBox.y1, 10);
    EXPECT_LE(leftBox.y1, 12);

    const Box rightBox = inkOfLabel(0x4 | 0x8, kNoOffset);
    EXPECT_LE(rightBox.x2, 110);
    EXPECT_GE(rightBox.x2, 108);
    EXPECT_LE(rightBox.y2, 50 - font->Descent());
    EXPECT_GE(rightBox.y2, 50 - font->Descent() - 1);

    const Box movedBox = inkOfLabel(0x1 | 0x2, SDrawing::Point{3, 4});
    EXPECT_EQ(movedBox.x1, leftBox.x1 + 3);
    EXPECT_EQ(movedBox.y1, leftBox.y1 + 4);
}

TEST_F(DrawingText, NothingIsDrawnWithoutFontOrText)
{
    Canvas canvas(display(), 60, 20);
    SDrawing& drawing = canvas.drawing();
    drawing.DrawText("Tarvenna", 0, 0);
    drawing.SetFont(font);
    drawing.DrawText("", 0, 0);
    drawing.DrawText(static_cast<const char*>(nullptr), 0, 0);
    drawing.DrawLabel("", SDrawing::Rect{0, 0, 60, 20}, 0, kNoOffset);
    drawing.DrawVerticalLabel("", SDrawing::Rect{0, 0, 60, 20}, 0, 0, kNoOffset, false, false,
                              nullptr);
    drawing.DrawRotatedText("", SDrawing::Rect{0, 0, 60, 20}, 90, 0, kNoOffset);
    EXPECT_EQ(canvas.read().countInk(kBlack), 0);
}

// The label is painted in the colour of the rectangle, so only the
// rectangle shows.
TEST_F(DrawingText, LabelRectanglesFillTheirArea)
{
    Canvas canvas(display(), 60, 20);
    SDrawing& drawing = canvas.drawing();
    drawing.SetFont(font);
    drawing.DrawLabelRect("Thru", SDrawing::Rect{5, 2, 55, 18}, kOrange, kNoOffset);
    const Pixels pixels = canvas.read();
    EXPECT_EQ(pixels.countInk(kBlack), 50 * 16);
    EXPECT_EQ(pixels.at(30, 10), kOrange);
}

using Rows = std::vector<std::string>;

// The ink of a picture, cropped to its box: '#' ink, '.' ground.
Rows InkRows(const Pixels& pixels, uint32_t ground)
{
    const Box box = pixels.inkBox(ground);
    Rows rows;
    for (int y = box.y1; y < box.y2; ++y) {
        std::string row;
        for (int x = box.x1; x < box.x2; ++x)
            row += pixels.inked(x, y, ground) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// A quarter turn counter-clockwise: the last column becomes the first row.
Rows TurnedLeft(const Rows& rows)
{
    Rows turned;
    const std::size_t width = rows.empty() ? 0 : rows.front().size();
    for (std::size_t column = width; column-- > 0;) {
        std::string row;
        for (const std::string& line : rows)
            row += line[column];
        turned.push_back(row);
    }
    return turned;
}

std::string Joined(const Rows& rows)
{
    std::string text;
    for (const std::string& row : rows)
        text += row + "\n";
    return text;
}

// Every ink pixel has the colour.
bool AllInk(const Pixels& pixels, uint32_t ground, uint32_t colour)
{
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            if (pixels.inked(x, y, ground) && pixels.at(x, y) != colour)
                return false;
    return true;
}

class TurnedText : public DrawingText {
protected:
    // "Tarvenna" drawn the usual way, as its ink.
    Rows Upright()
    {
        Canvas canvas(display(), 120, 30);
        canvas.drawing().SetFont(font);
        canvas.drawing().SetForegroundColour(false);
        canvas.drawing().DrawText("Tarvenna", 2, 2);
        return InkRows(canvas.read(), kBlack);
    }

    // "Tarvenna" in white, turned by the angle in a w x h picture.
    Pixels Turned(int w, int h, int angle)
    {
        Canvas canvas(display(), w, h);
        canvas.drawing().SetFont(font);
        canvas.drawing().SetTextColour(kWhite, false);
        canvas.drawing().DrawRotatedText("Tarvenna", SDrawing::Rect{0, 0, w, h}, angle, 0,
                                         kNoOffset);
        return canvas.read();
    }
};

TEST_F(TurnedText, AQuarterTurnReadsUpwards)
{
    Canvas canvas(display(), 40, 120);
    SDrawing& drawing = canvas.drawing();
    drawing.SetFont(font);
    drawing.SetTextColour(kOrange, false);
    drawing.SetForegroundColour(false);
    drawing.DrawRotatedText("Tarvenna", SDrawing::Rect{0, 0, 40, 120}, 90, 0, kNoOffset);
    const Pixels pixels = canvas.read();
    EXPECT_EQ(Joined(InkRows(pixels, kBlack)), Joined(TurnedLeft(Upright())));
    EXPECT_TRUE(AllInk(pixels, kBlack, kOrange)) << "in the text colour, not the foreground";
    const Box box = pixels.inkBox(kBlack);
    EXPECT_NEAR((box.y1 + box.y2) / 2.0, 60.0, 3.0) << "centred along the rectangle";
    EXPECT_NEAR((box.x1 + box.x2) / 2.0, 20.0, 3.0);
}

TEST_F(TurnedText, TheVerticalLabelShowsTheSameTurnInTheForeground)
{
    Canvas canvas(display(), 40, 120);
    SDrawing& drawing = canvas.drawing();
    drawing.SetFont(font);
    drawing.SetTextColour(kOrange, false);
    drawing.SetForegroundColour(false);  // white
    drawing.DrawVerticalLabel("Tarvenna", SDrawing::Rect{0, 0, 40, 120}, 0, 0x1 | 0x8, kNoOffset,
                              false, false, nullptr);
    const Pixels pixels = canvas.read();
    EXPECT_EQ(Joined(InkRows(pixels, kBlack)), Joined(TurnedLeft(Upright())));
    EXPECT_TRUE(AllInk(pixels, kBlack, kWhite));
    const Box box = pixels.inkBox(kBlack);
    EXPECT_LE(box.x1, 3) << "left aligned";
    EXPECT_GE(box.y2, 116) << "bottom aligned";
}

TEST_F(TurnedText, FullTurnsAreTheUprightLabel)
{
    Canvas label(display(), 100, 20);
    label.drawing().SetFont(font);
    label.drawing().SetTextColour(kWhite, false);
    label.drawing().DrawLabel("Tarvenna", SDrawing::Rect{0, 0, 100, 20}, 0, kNoOffset);
    const Pixels expected = label.read();
    EXPECT_GT(expected.countInk(kBlack), 0);
    EXPECT_EQ(Turned(100, 20, 720).picture(kBlack), expected.picture(kBlack));
}

TEST_F(TurnedText, HalfTurnsStandTheTextOnItsHead)
{
    EXPECT_EQ(Joined(InkRows(Turned(120, 40, -180), kBlack)),
              Joined(TurnedLeft(TurnedLeft(Upright()))));
}

TEST_F(TurnedText, SlantedTextIsWiderAndTallerThanItsLine)
{
    const Pixels pixels = Turned(120, 120, 45);
    const Box box = pixels.inkBox(kBlack);
    const int width = XTextWidth(font->info, "Tarvenna", 8);
    EXPECT_GT(box.height(), width / 2) << pixels.picture(kBlack);
    EXPECT_GT(box.width(), width / 2);
    EXPECT_LT(box.width(), width);
    EXPECT_NEAR((box.x1 + box.x2) / 2.0, 60.0, 4.0);
    EXPECT_NEAR((box.y1 + box.y2) / 2.0, 60.0, 4.0);
    // Counter-clockwise: the start of the text lies low on the left, its
    // end high on the right.
    EXPECT_FALSE(pixels.inked(box.x1 + 1, box.y1 + 1, kBlack));
    int lowLeft = 0, highLeft = 0;
    for (int y = box.y1; y < box.y2; ++y)
        for (int x = box.x1; x < box.x1 + box.width() / 3; ++x)
            (y < (box.y1 + box.y2) / 2 ? highLeft : lowLeft) += pixels.inked(x, y, kBlack) ? 1 : 0;
    EXPECT_GT(lowLeft, 0);
    EXPECT_EQ(highLeft, 0);
}

const char* const kDigitPictures[10][10] = {
    {".......", ".......", ".......", ".#####.", ".#...#.", ".#...#.", ".#...#.", ".#...#.",
     ".#...#.", ".#####."},
    {".......", ".......", ".......", "..##...", "...#...", "...#...", "...#...", "...#...",
     "...#...", "...#..."},
    {".......", ".......", ".......", ".#####.", ".....#.", ".....#.", ".#####.", ".#.....",
     ".#.....", ".#####."},
    {".......", ".......", ".......", ".#####.", ".....#.", ".....#.", ".#####.", ".....#.",
     ".....#.", ".#####."},
    {".......", ".......", ".......", ".#...#.", ".#...#.", ".#...#.", ".#####.", ".....#.",
     ".....#.", ".....#."},
    {".......", ".......", ".......", ".#####.", ".#.....", ".#.....", ".#####.", ".....#.",
     ".....#.", ".#####."},
    {".......", ".......", ".......", ".#####.", ".#.....", ".#.....", ".#####.", ".#...#.",
     ".#...#.", ".#####."},
    {".......", ".......", ".......", ".#####.", ".....#.", ".....#.", ".....#.", ".....#.",
     ".....#.", ".....#."},
    {".......", ".......", ".......", ".#####.", ".#...#.", ".#...#.", ".#####.", ".#...#.",
     ".#...#.", ".#####."},
    {".......", ".......", ".......", ".#####.", ".#...#.", ".#...#.", ".#####.", ".....#.",
     ".....#.", ".#####."},
};

std::string Expected(int digit)
{
    std::string text;
    for (const char* row : kDigitPictures[digit])
        text += std::string(row) + "\n";
    return text;
}

TEST_F(DrawingText, DigitsAreSevenSegmentStrokes)
{
    for (int digit = 0; digit <= 9; ++digit) {
        Canvas canvas(display(), 7, 10);
        canvas.drawing().SetForegroundColour(false);
        canvas.drawing().DrawPixelNumber(0, 0, digit);
        EXPECT_EQ(canvas.read().picture(kBlack), Expected(digit)) << "digit " << digit;
    }
}

TEST_F(DrawingText, DigitsFollowThePenAndThePlace)
{
    Canvas canvas(display(), 20, 20);
    canvas.drawing().SetPen(ToolkitResources().FindPen(kOrange));
    canvas.drawing().DrawPixelNumber(SDrawing::Point{6, 4}, 7);
    const Pixels pixels = canvas.read();
    EXPECT_EQ(pixels.at(7, 7), kOrange) << "top stroke from (7, 7)" << pixels.picture(kBlack);
    EXPECT_EQ(pixels.at(11, 12), kOrange) << "right stroke";
    EXPECT_EQ(pixels.inkBox(kBlack).x1, 7);
    EXPECT_EQ(pixels.inkBox(kBlack).y1, 7);
}

TEST_F(DrawingText, OtherNumbersDrawNoDigit)
{
    Canvas canvas(display(), 10, 10);
    canvas.drawing().SetForegroundColour(false);
    canvas.drawing().DrawPixelNumber(0, 0, 10);
    canvas.drawing().DrawPixelNumber(0, 0, -1);
    EXPECT_EQ(canvas.read().countInk(kBlack), 0);
}

}  // namespace
}  // namespace tarvenna::test
