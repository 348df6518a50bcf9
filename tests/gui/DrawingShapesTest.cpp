// Shapes drawn by the drawing context, read back from the server pixel by
// pixel: the rectangle convention, fills, lines, polygons, copies, images,
// the background and the context's modes.
#include <gtest/gtest.h>

#include "tests/gui/ToolkitResources.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawBrush.h"
#include "gui/SDrawImage.h"
#include "gui/SDrawPen.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/ToolkitDisplay.h"

#include <cstdlib>
#include <cstring>

namespace tarvenna::test {
namespace {

using kvor::gui::context::SDrawBitmap;
using kvor::gui::context::SDrawBrush;
using kvor::gui::context::SDrawDevice;
using kvor::gui::context::SDrawImage;
using kvor::gui::context::SDrawing;
using kvor::gui::context::SDrawMemoryDevice;
using kvor::gui::context::SDrawPen;

class DrawingShapes : public ToolkitSuite<DrawingShapes> {
public:
    static std::vector<std::string> Screens() { return {"320x240x24"}; }
};

TEST_F(DrawingShapes, RectangleOutlinesThePixelsInsideItsCorners)
{
    Canvas canvas(display(), 20, 20);
    SDrawPen pen(kWhite, 1, false);
    canvas.drawing().SetPen(&pen);
    canvas.drawing().DrawRect(0, 0, 10, 10);
    const Pixels pixels = canvas.read();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(pixels.at(i, 0), kWhite) << "top edge at x " << i;
        EXPECT_EQ(pixels.at(i, 9), kWhite) << "bottom edge at x " << i;
        EXPECT_EQ(pixels.at(0, i), kWhite) << "left edge at y " << i;
        EXPECT_EQ(pixels.at(9, i), kWhite) << "right edge at y " << i;
    }
    EXPECT_EQ(pixels.countInk(kBlack), 36) << pixels.picture(kBlack);
    const Box box = pixels.inkBox(kBlack);
    EXPECT_EQ(box.width(), 10);
    EXPECT_EQ(box.height(), 10);
    EXPECT_EQ(pixels.at(5, 5), kBlack) << "the inside stays clear";
}

TEST_F(DrawingShapes, FillCoversTenByTenForTheSameRectangle)
{
    Canvas canvas(display(), 20, 20);
    SDrawBrush brush(kOrange, SDrawBrush::kPlain, nullptr);
    canvas.drawing().SetBrush(&brush);
    canvas.drawing().FillRect(SDrawing::Rect{0, 0, 10, 10});
    const Pixels pixels = canvas.read();
    EXPECT_EQ(pixels.countInk(kBlack), 100);
    const Box box = pixels.inkBox(kBlack);
    EXPECT_EQ(box.x1, 0);
    EXPECT_EQ(box.y1, 0);
    EXPECT_EQ(box.x2, 10);
    EXPECT_EQ(box.y2, 10);
    EXPECT_EQ(pixels.at(9, 9), kOrange);
}

// X carries sizes as unsigned 16-bit numbers: an empty rectangle must not
// become a 65535-pixel one.
TEST_F(DrawingShapes, EmptyAndInvertedRectanglesDrawNothing)
{
    Canvas canvas(display(), 40, 40);
    SDrawing& drawing = canvas.drawing();
    drawing.SetPen(ToolkitResources().FindPen(kWhite));
    drawing.DrawRect(10, 10, 10, 20);
    drawing.DrawRect(10, 10, 5, 5);
    drawing.FillRect(10, 10, 20, 10);
    drawing.DrawRoundedRect(10, 10, 10, 10, 3, 3);
    drawing.FillRoundedRect(30, 30, 20, 20, 3, 3);
    drawing.DrawEllipse(5, 5, 5, 30);
    drawing.FillPie(5, 5, 30, 5, 0, 90);
    EXPECT_EQ(canvas.read().countInk(kBlack), 0);
}

TEST_F(DrawingShapes, LinesAndPointsLandOnTheirPixels)
{
    Canvas canvas(display(), 20, 20);
    SDrawing& drawing = canvas.drawing();
    drawing.SetForegroundColour(false);  // white by default
    drawing.DrawLine(SDrawing::Point{2, 5}, SDrawing::Point{12, 5});
    drawing.DrawPoint(SDrawing::Point{15, 15});
    const Pixels pixels = canvas.read();
    for (int x = 2; x <= 12; ++x)
        EXPECT_EQ(pixels.at(x, 5), kWhite) << "x " << x;
    EXPECT_EQ(pixels.at(15, 15), kWhite);
    EXPECT_EQ(pixels.countInk(kBlack), 12) << pixels.picture(kBlack);
}

TEST_F(DrawingShapes, EllipsesAndRoundedRectanglesStayInTheirBox)
{
    Canvas canvas(display(), 60, 60);
    SDrawing& drawing = canvas.drawing();
    drawing.SetBrush(ToolkitResources().FindBrush(kBlue));
    drawing.FillEllipse(10, 10, 30, 30);
    Box box = canvas.read().inkBox(kBlack);
    EXPECT_EQ(box.x1, 10);
    EXPECT_EQ(box.y1, 10);
    EXPECT_EQ(box.x2, 30);
    EXPECT_EQ(box.y2, 30);
    EXPECT_EQ(canvas.read().at(10, 10), kBlack) << "the corner is outside the ellipse";
    EXPECT_EQ(canvas.read().at(20, 20), kBlue);

    Canvas rounded(display(), 60, 60);
    rounded.drawing().SetBrush(ToolkitResources().FindBrush(kBlue));
    rounded.drawing().FillRoundedRect(5, 5, 45, 25, 8, 8);
    const Pixels pixels = rounded.read();
    box = pixels.inkBox(kBlack);
    EXPECT_EQ(box.x1, 5);
    EXPECT_EQ(box.x2, 45);
    EXPECT_EQ(box.y1, 5);
    EXPECT_EQ(box.y2, 25);
    EXPECT_EQ(pixels.at(5, 5), kBlack) << "rounded corner";
    EXPECT_EQ(pixels.at(25, 15), kBlue);
}

TEST_F(DrawingShapes, PiesAndChordsCutTheEllipseDifferently)
{
    // A quarter from three o'clock to twelve: the pie includes the centre,
    // the chord only the part beyond the straight edge.
    Canvas pie(display(), 41, 41);
    pie.drawing().SetBrush(ToolkitResources().FindBrush(kWhite));
    pie.drawing().FillPie(0, 0, 40, 40, 0, 90);
    Canvas chord(display(), 41, 41);
    chord.drawing().SetBrush(ToolkitResources().FindBrush(kWhite));
    chord.drawing().FillChord(0, 0, 40, 40, 0, 90);
    const Pixels piePixels = pie.read();
    const Pixels chordPixels = chord.read();
    EXPECT_EQ(piePixels.at(23, 17), kWhite) << "near the centre, inside the pie";
    EXPECT_EQ(chordPixels.at(23, 17), kBlack) << "near the centre, cut off the chord";
    EXPECT_EQ(piePixels.at(10, 30), kBlack) << "the other quarters stay empty";
    EXPECT_GT(piePixels.countInk(kBlack), chordPixels.countInk(kBlack));
    EXPECT_GT(chordPixels.countInk(kBlack), 0);
}

TEST_F(DrawingShapes, PolygonsNeedTwoPoints)
{
    Canvas canvas(display(), 30, 30);
    SDrawing& drawing = canvas.drawing();
    drawing.SetPen(ToolkitResources().FindPen(kWhite));
    const SDrawing::Point one[] = {{5, 5}};
    drawing.DrawPoly(one, 1);
    drawing.FillPoly(one, 1);
    drawing.DrawPoly(nullptr, 5);
    EXPECT_EQ(canvas.read().countInk(kBlack), 0);

    const SDrawing::Point triangle[] = {{2, 2}, {22, 2}, {2, 22}};
    drawing.FillPoly(triangle, 3);
    const Pixels filled = canvas.read();
    EXPECT_EQ(filled.at(5, 5), kWhite);
    EXPECT_EQ(filled.at(20, 20), kBlack);

    Canvas open(display(), 30, 30);
    open.drawing().SetPen(ToolkitResources().FindPen(kWhite));
    open.drawing().DrawPoly(triangle, 3);
    const Pixels lines = open.read();
    EXPECT_EQ(lines.at(12, 2), kWhite) << "first edge";
    EXPECT_EQ(lines.at(12, 12), kWhite) << "second edge";
    EXPECT_EQ(lines.at(2, 12), kBlack) << "an open polyline does not close";
}

TEST_F(DrawingShapes, BackgroundUsesTheCurrentOrTheParentColour)
{
    Canvas canvas(display(), 20, 10);
    SDrawing& drawing = canvas.drawing();
    drawing.SetColours(kOrange, kBlue, kWhite, kWhite, kWhite, kWhite, kWhite);
    drawing.DrawBackground(SDrawing::Rect{0, 0, 10, 10}, false);
    drawing.DrawBackground(SDrawing::Rect{10, 0, 20, 10}, true);
    const Pixels pixels = canvas.read();
    EXPECT_EQ(pixels.at(0, 0), kOrange);
    EXPECT_EQ(pixels.at(9, 9), kOrange);
    EXPECT_EQ(pixels.at(10, 0), kWhite);
    EXPECT_EQ(pixels.at(19, 9), kWhite);
    EXPECT_EQ(drawing.GetBrush(), ToolkitResources().FindBrush(kWhite))
        << "the cached brush is current";

    drawing.SetBackground(kBlue, true);
    EXPECT_EQ(drawing.GetBackgroundColour(), static_cast<int>(kBlue));
    drawing.SetBackgroundColour(false);
    EXPECT_EQ(drawing.GetBackgroundColour(), static_cast<int>(kOrange));
}

TEST_F(DrawingShapes, BackgroundNeedsSharedResources)
{
    Canvas canvas(display(), 10, 10);
    SDrawing bare(nullptr, nullptr);
    bare.SetDevice(canvas.device());
    bare.SetColours(kOrange, kOrange, kOrange, kWhite, kWhite, kWhite, kWhite);
    bare.DrawBackground(SDrawing::Rect{0, 0, 10, 10}, false);
    EXPECT_EQ(canvas.read().countInk(kBlack), 0);
}

TEST_F(DrawingShapes, MemoryDeviceDrawsOffScreenAndCopiesIn)
{
    Canvas canvas(display(), 40, 40);
    SDrawBitmap bitmap(nullptr, 16, 16, false);
    ASSERT_EQ(bitmap.Width(), 16);
    SDrawMemoryDevice memory(canvas.device(), &bitmap);
    SDrawing& drawing = canvas.drawing();
    SDrawDevice* window = drawing.GetDevice();
    drawing.SetDevice(&memory);
    drawing.SetBrush(ToolkitResources().FindBrush(kBlue));
    drawing.FillRect(0, 0, 16, 16);
    drawing.SetBrush(ToolkitResources().FindBrush(kOrange));
    drawing.FillRect(4, 4, 8, 8);
    drawing.SetDevice(window);
    EXPECT_EQ(canvas.read().countInk(kBlack), 0) << "nothing reached the screen yet";

    drawing.DrawMemory(&memory, SDrawing::Point{20, 10}, SDrawing::Rect{2, 2, 10, 10});
    const Pixels pixels = canvas.read();
    const Box box = pixels.inkBox(kBlack);
    EXPECT_EQ(box.x1, 20);
    EXPECT_EQ(box.y1, 10);
    EXPECT_EQ(box.width(), 8);
    EXPECT_EQ(box.height(), 8);
    EXPECT_EQ(pixels.at(20, 10), kBlue);
    EXPECT_EQ(pixels.at(22, 12), kOrange) << "source (4, 4) lands at (22, 12)";
    drawing.DrawMemory(nullptr, 0, 0, 0, 0, 10, 10);
}

TEST_F(DrawingShapes, ImagesArePutFromTheirSourceArea)
{
    Canvas canvas(display(), 20, 20);
    const int w = 6, h = 4;
    void* buffer = std::malloc(w * h * 4);
    std::memset(buffer, 0xAB, w * h * 4);
    SDrawImage image(buffer, w, h, w * 4, 32);
    ASSERT_NE(image.GetImage(), nullptr);
    uint32_t* pixels = static_cast<uint32_t*>(image.GetBuffer());
    EXPECT_EQ(pixels[0], 0u) << "the buffer is cleared";
    pixels[1 * w + 2] = kOrange;  // (2, 1)
    pixels[2 * w + 3] = kWhite;   // (3, 2)
    canvas.drawing().DrawImage(&image, SDrawing::Rect{2, 1, 4, 3}, SDrawing::Rect{10, 10, 0, 0});
    const Pixels shown = canvas.read();
    EXPECT_EQ(shown.at(10, 10), kOrange);
    EXPECT_EQ(shown.at(11, 11), kWhite);
    EXPECT_EQ(shown.countInk(kBlack), 2);
}

// X would read a 24-bit screen's image as 32 bits a pixel, past the end of a
// buffer sized for 16.
TEST_F(DrawingShapes, ImageLayoutsThatDoNotFitTheScreenMakeNoImage)
{
    SDrawImage sixteen(std::malloc(8 * 8 * 2), 8, 8, 16, 16);
    EXPECT_EQ(sixteen.GetImage(), nullptr);
    SDrawImage empty(std::malloc(4), 0, -3, 4, 32);
    EXPECT_EQ(empty.width, 1);
    EXPECT_EQ(empty.height, 1);
    EXPECT_NE(empty.GetImage(), nullptr);
    Canvas canvas(display(), 4, 4);
    canvas.drawing().DrawImage(&sixteen, SDrawing::Rect{0, 0, 8, 8}, SDrawing::Rect{0, 0, 8, 8});
}

TEST_F(DrawingShapes, LogicCodesChooseTheXFunction)
{
    Canvas canvas(display(), 10, 10);
    SDrawing& drawing = canvas.drawing();
    const struct {
        int code;
        int function;
    } cases[] = {{0, GXclear},       {1, GXxor},   {2, GXinvert}, {3, GXorReverse},
                 {4, GXandReverse},  {5, GXand},   {6, GXor},     {7, GXandInverted},
                 {8, GXnoop},        {9, GXnor},   {10, GXequiv}, {11, GXcopyInverted},
                 {12, GXorInverted}, {13, GXnand}, {14, GXset},   {15, GXcopy},
                 {-4, GXcopy}};
    for (const auto& c : cases) {
        drawing.SetLogic(c.code);
        XGCValues values{};
        XGetGCValues(display(), canvas.device()->Get(), GCFunction, &values);
        EXPECT_EQ(values.function, c.function) << "code " << c.code;
        EXPECT_EQ(drawing.GetLogic(), c.code);
    }
}

TEST_F(DrawingShapes, XorDrawnTwiceLeavesNoTrace)
{
    Canvas canvas(display(), 20, 20);
    SDrawing& drawing = canvas.drawing();
    drawing.SetBrush(ToolkitResources().FindBrush(kOrange));
    drawing.FillRect(0, 0, 10, 10);
    drawing.SetLogic(1);
    drawing.SetBrush(ToolkitResources().FindBrush(kWhite));
    drawing.FillRect(5, 5, 15, 15);
    EXPECT_EQ(canvas.read().at(7, 7), kOrange ^ kWhite);
    drawing.FillRect(5, 5, 15, 15);
    const Pixels pixels = canvas.read();
    EXPECT_EQ(pixels.at(7, 7), kOrange);
    EXPECT_EQ(pixels.at(12, 12), kBlack);
}

// Unknown fill rules and styles would be BadValue errors, which the host's
// default error handler answers by ending the process.
TEST_F(DrawingShapes, UnknownFillValuesAreKeptButNeverSent)
{
    Canvas canvas(display(), 10, 10);
    SDrawing& drawing = canvas.drawing();
    XErrorCounter errors(display());
    drawing.SetFillMode(WindingRule);
    drawing.SetFillMode(7);
    EXPECT_EQ(drawing.GetFillMode(), 7);
    drawing.SetFillStyle(42);
    EXPECT_EQ(drawing.GetFillStyle(), 42);
    XGCValues values{};
    XGetGCValues(display(), canvas.device()->Get(), GCFillRule | GCFillStyle, &values);
    EXPECT_EQ(values.fill_rule, WindingRule);
    EXPECT_EQ(values.fill_style, FillSolid);
    EXPECT_EQ(errors.count(), 0);
}

TEST_F(DrawingShapes, PensSetWidthStyleAndColour)
{
    Canvas canvas(display(), 30, 30);
    SDrawing& drawing = canvas.drawing();
    SDrawPen dashed(kOrange, 3, true);
    drawing.SetPen(&dashed);
    drawing.SetPen(nullptr);
    XGCValues values{};
    XGetGCValues(display(), canvas.device()->Get(),
                 GCLineWidth | GCLineStyle | GCCapStyle | GCJoinStyle | GCForeground, &values);
    EXPECT_EQ(values.line_width, 3);
    EXPECT_EQ(values.line_style, LineOnOffDash);
    EXPECT_EQ(values.cap_style, CapNotLast);
    EXPECT_EQ(values.join_style, JoinRound);
    EXPECT_EQ(values.foreground, kOrange);
    drawing.DrawLine(0, 15, 29, 15);
    const Pixels pixels = canvas.read();
    EXPECT_GT(pixels.countInk(kBlack), 0);
    EXPECT_LT(pixels.countInk(kBlack), 3 * 30) << "dashes leave gaps";
    EXPECT_EQ(pixels.inkBox(kBlack).height(), 3);
}

TEST_F(DrawingShapes, ColourSetFollowsItsRules)
{
    SDrawing drawing(nullptr, nullptr);
    EXPECT_EQ(drawing.GetBackgroundColour(), static_cast<int>(kBlack));
    EXPECT_EQ(drawing.GetForegroundColour(), static_cast<int>(kWhite));
    EXPECT_EQ(drawing.GetFrameColour(false, false), 0x8A9196);
    drawing.SetColours(1, 2, 3, 4, 5, 6, 7);
    EXPECT_EQ(drawing.GetBackgroundColour(), 1);
    EXPECT_EQ(drawing.GetParentBackgroundColour(), 3);
    EXPECT_EQ(drawing.GetForegroundColour(), 4);
    EXPECT_EQ(drawing.GetTextColour(false), 6);
    EXPECT_EQ(drawing.GetTextColour(true), 7);
    EXPECT_EQ(drawing.GetFrameColour(true, false), 1);
    EXPECT_EQ(drawing.GetFrameColour(true, true), 1);
    EXPECT_EQ(drawing.GetFrameColour(false, true), 0x8A9196);
    drawing.SetBackgroundColour(true);
    EXPECT_EQ(drawing.GetBackgroundColour(), 2);
    drawing.SetForegroundColour(true);
    EXPECT_EQ(drawing.GetForegroundColour(), 5);
    drawing.SetFrameColour(10, 11, 12);
    EXPECT_EQ(drawing.GetFrameColour(true, false), 10);
    EXPECT_EQ(drawing.GetFrameColour(true, true), 11);
    EXPECT_EQ(drawing.GetFrameColour(false, false), 12);
    // Without a device nothing is drawn and nothing fails.
    drawing.FillRect(0, 0, 10, 10);
    drawing.SetLogic(1);
}

}  // namespace
}  // namespace tarvenna::test
