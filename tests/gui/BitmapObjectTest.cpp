// Bitmaps from XPM text, the built-in logo as it shows on screen, the small
// drawable objects, the lists, and a control's own drawing on its window.
#include <gtest/gtest.h>

#include "tests/gui/ToolkitResources.h"
#include "gui/SControl.h"
#include "gui/SDisplay.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawLists.h"
#include "gui/SDrawObject.h"
#include "gui/SDrawPen.h"
#include "gui/images/text_logo.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/ToolkitDisplay.h"

#include <cstring>
#include <set>
#include <string>

namespace tarvenna::test {
namespace {

using kvor::gui::SControl;
using kvor::gui::SDisplay;
using kvor::gui::context::SDrawBitmap;
using kvor::gui::context::SDrawBitmapMask;
using kvor::gui::context::SDrawing;
using kvor::gui::context::SDrawMemoryDevice;
using kvor::gui::context::SDrawObject;
using kvor::gui::context::SDrawPen;
using kvor::gui::context::SDrawRect;
using kvor::gui::context::SPenList;
using kvor::gui::context::SPenListOwned;
using kvor::gui::context::STextObject;
using kvor::gui::context::STextObjectX;

const char* const kTwoByTwo[] = {
    "2 2 2 1", "o c #FF8000", ". c #0000FF", "o.", ".o",
};

class Bitmaps : public ToolkitSuite<Bitmaps> {
public:
    static std::vector<std::string> Screens() { return {"640x480x24"}; }

protected:
    // Copies the whole bitmap onto a canvas of its size and reads it back.
    Pixels Shown(SDrawBitmap& bitmap)
    {
        Canvas canvas(display(), bitmap.Width(), bitmap.Height());
        SDrawMemoryDevice memory(canvas.device(), &bitmap);
        canvas.drawing().DrawMemory(&memory, 0, 0, 0, 0, bitmap.Width(), bitmap.Height());
        return canvas.read();
    }
};

TEST_F(Bitmaps, XpmTextBecomesAPictureOfItsOwnSize)
{
    SDrawBitmap bitmap(kTwoByTwo, 50, 50, true);
    ASSERT_EQ(bitmap.Width(), 2);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_FALSE(bitmap.Use());
    const Pixels pixels = Shown(bitmap);
    EXPECT_EQ(pixels.at(0, 0), kOrange);
    EXPECT_EQ(pixels.at(1, 0), kBlue);
    EXPECT_EQ(pixels.at(0, 1), kBlue);
    EXPECT_EQ(pixels.at(1, 1), kOrange);

    // A second Create keeps the picture it has.
    bitmap.Create(nullptr, 30, 30, false);
    EXPECT_EQ(bitmap.Width(), 2);
}

TEST_F(Bitmaps, UnreadableTextLeavesNoPicture)
{
    const char* const broken[] = {"this is not", "an image"};
    SDrawBitmap bitmap(broken, 20, 20, false);
    EXPECT_EQ(bitmap.GetPixmap(), 0u);
    EXPECT_EQ(bitmap.Width(), 0) << "no size without a pixmap";
    EXPECT_EQ(bitmap.Height(), 0);
    SDrawBitmap blank(nullptr, 0, 5, false);
    EXPECT_EQ(blank.GetPixmap(), 0u) << "an empty size makes no pixmap";
    SDrawBitmap empty;
    EXPECT_EQ(empty.Width(), 0);
}

TEST_F(Bitmaps, MasksCarryAWordAndAUseFlag)
{
    SDrawBitmapMask mask(reinterpret_cast<const unsigned char*>(kTwoByTwo), 2, 2);
    EXPECT_EQ(mask.Width(), 2);
    EXPECT_FALSE(mask.Use());
    mask.SetMask(nullptr, 77);
    EXPECT_EQ(mask.Mask(), 77);
    EXPECT_FALSE(mask.Use());
}

TEST_F(Bitmaps, TheLogoIsTheLetteringInWarmColoursOnDarkGrey)
{
    using kvor::images::text_logo;
    EXPECT_STREQ(text_logo[0], "150 50 206 2");
    std::set<std::string> colours;
    for (int i = 1; i <= 206; ++i)
        colours.insert(std::string(text_logo[i]).substr(5));
    EXPECT_EQ(colours.size(), 206u) << "206 different colours";
    for (int row = 0; row < 50; ++row)
        ASSERT_EQ(std::strlen(text_logo[1 + 206 + row]), 300u) << "row " << row;

    SDrawBitmap logo(text_logo, 150, 50, false);
    ASSERT_EQ(logo.Width(), 150);
    ASSERT_EQ(logo.Height(), 50);
    const Pixels pixels = Shown(logo);
    const auto red = [](uint32_t p) { return static_cast<int>(p >> 16 & 0xFF); };
    const auto green = [](uint32_t p) { return static_cast<int>(p >> 8 & 0xFF); };
    const auto blue = [](uint32_t p) { return static_cast<int>(p & 0xFF); };
    for (const auto& corner : {std::make_pair(0, 0), std::make_pair(149, 0), std::make_pair(0, 49),
                               std::make_pair(149, 49)}) {
        const uint32_t p = pixels.at(corner.first, corner.second);
        EXPECT_LT(red(p), 80) << "dark ground";
        EXPECT_LE(std::abs(red(p) - blue(p)), 8) << "grey ground";
    }
    int warm = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 150; ++x) {
            const uint32_t p = pixels.at(x, y);
            warm +=
                red(p) > 180 && green(p) > 80 && green(p) < red(p) && blue(p) < green(p) ? 1 : 0;
        }
    EXPECT_GT(warm, 300) << "orange letters";
}

TEST_F(Bitmaps, ObjectsFillFrameAndLabel)
{
    Canvas canvas(display(), 60, 40);
    SDrawing& drawing = canvas.drawing();
    drawing.SetColours(kBlack, kBlack, kBlack, kWhite, kWhite, kWhite, kWhite);

    SDrawObject ground;
    ground.rectangle = {0, 0, 10, 10};
    ground.offset = {2, 3};
    ground.backgroundColour = kBlue;
    ground.Draw(&drawing);
    ground.Draw(nullptr);
    EXPECT_EQ(drawing.GetBackgroundColour(), static_cast<int>(kBlack)) << "put back";

    SDrawRect frame;
    frame.rectangle = {20, 0, 30, 10};
    frame.filled = 1;
    frame.backgroundColour = kBlue;
    frame.lineColour = kOrange;
    frame.Draw(&drawing);

    STextObjectX text;
    text.rectangle = {0, 15, 60, 40};
    text.backgroundColour = kBlue;
    text.textColour = kWhite;
    text.text.Append("Tip");
    text.font = ToolkitResources().FindFont(8);
    text.Draw(&drawing);

    const Pixels pixels = canvas.read();
    EXPECT_EQ(pixels.at(2, 3), kBlue);
    EXPECT_EQ(pixels.at(11, 12), kBlue);
    EXPECT_EQ(pixels.at(12, 13), kBlack) << "the object ends at its moved rectangle";
    EXPECT_EQ(pixels.at(20, 0), kOrange) << "frame";
    EXPECT_EQ(pixels.at(29, 9), kOrange);
    EXPECT_EQ(pixels.at(25, 5), kBlue) << "filled inside";
    int white = 0;
    for (int y = 15; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            white += pixels.at(x, y) == kWhite ? 1 : 0;
    EXPECT_GT(white, 5) << "the text shows on its background" << pixels.picture(kBlack);
    EXPECT_EQ(pixels.at(0, 15), kBlue);
    EXPECT_EQ(drawing.GetFont(), text.font);
}

TEST(DrawLists, PlainListsBorrowOwnedListsDelete)
{
    SDrawPen kept(1, 1, false);
    {
        SPenList borrowed;
        borrowed.Add(&kept);
        EXPECT_EQ(borrowed.Count(), 1u);
        EXPECT_EQ(borrowed.Get(0), &kept);
        EXPECT_EQ(borrowed.Get(1), nullptr);
    }
    EXPECT_EQ(kept.colour, 1);
    SPenListOwned owned;
    owned.Add(new SDrawPen(2, 1, false));
    owned.Add(new SDrawPen(3, 1, false));
    EXPECT_EQ(owned.Find([](const SDrawPen& pen) { return pen.colour == 3; })->colour, 3);
    owned.DeleteAll();
    EXPECT_EQ(owned.Count(), 0u);
    owned.Add(new SDrawPen(4, 1, false));  // freed by the destructor: the leak checker tells
}

// A control's drawing works on the control's own window, and centring puts
// the window in the middle of its monitor.
TEST_F(Bitmaps, AControlDrawsOnItsWindowAndIsCentred)
{
    SGlobals globals;
    SControl control(&globals, nullptr, 1, "drawn", 0, 10, 10, 40, 30, 0, false);
    ASSERT_NE(control.GetWindow(), 0u);
    SDrawing* drawing = control.GetDevice();
    ASSERT_NE(drawing, nullptr);
    ASSERT_NE(drawing->GetDevice(), nullptr);
    EXPECT_EQ(drawing->GetDevice()->GetDrawable(), control.GetWindow());
    XMapWindow(display(), control.GetWindow());
    XSync(display(), False);
    drawing->SetBrush(ToolkitResources().FindBrush(kOrange));
    drawing->FillRect(0, 0, 40, 30);
    const Pixels pixels = ReadPixels(display(), control.GetWindow(), 40, 30);
    EXPECT_EQ(pixels.countInk(kOrange), 0) << "the whole window is orange";

    SDisplay displays;
    displays.AllMonitorRects();
    EXPECT_EQ(displays.MonitorRect(&control), (SDisplay::Rect{0, 0, 640, 480}));
    EXPECT_EQ(displays.CenterOnWindow(&control), 1);
    EXPECT_EQ(control.GetOuter().x1, 300);
    EXPECT_EQ(control.GetOuter().y1, 225);
    displays.CenterOnWindow(&control, SDisplay::Point{-50, -50});
    EXPECT_EQ(control.GetOuter().x1, 300) << "outside every monitor: the first";
}

}  // namespace
}  // namespace tarvenna::test
