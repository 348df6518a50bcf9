// Colours as the server allocates them, and cursors as the pointer shows
// them over a window.
#include <gtest/gtest.h>

#include "gui/SColour.h"
#include "gui/SCursor.h"
#include "gui/SDrawBitmap.h"
#include "gui/Connections.h"
#include "tests/gui/ToolkitResources.h"
#include "tests/gui/ToolkitDisplay.h"

#include <X11/extensions/Xfixes.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace tarvenna::test {
namespace {

using kvor::gui::SCOL;
using kvor::gui::SColour;
using kvor::gui::SColourListSimple;
using kvor::gui::SCursor;
using kvor::gui::SCursorDefault;
using kvor::gui::context::SDrawBitmap;

class Colours : public ToolkitSuite<Colours> {
public:
    static std::vector<std::string> Screens() { return {"320x240x24"}; }
};

TEST_F(Colours, TripletsBecomePixelsOfTheScreen)
{
    EXPECT_EQ(SCOL(255, 255, 255), 0xFFFFFF);
    EXPECT_EQ(SCOL(0, 0, 0), 0);
    EXPECT_EQ(SCOL(255, 128, 0), 0xFF8000);
    EXPECT_EQ(SCOL(138, 145, 150), 0x8A9196);
    XColor white{};
    white.pixel = static_cast<unsigned long>(SCOL(255, 255, 255));
    XQueryColor(display(), DefaultColormap(display(), 0), &white);
    EXPECT_EQ(white.red >> 8, 0xFF);
    EXPECT_EQ(white.blue >> 8, 0xFF);
}

TEST_F(Colours, NoDisplayGivesBlack)
{
    EXPECT_EQ(SCOL(nullptr, 255, 255, 255), 0);
    SColourListSimple none(nullptr);
    ASSERT_EQ(none.pixels.size(), 8u);
    EXPECT_EQ(none.pixels[0], 0);
}

TEST_F(Colours, TheSimpleListHoldsEightBasicColours)
{
    SColourListSimple list;
    const std::vector<int> expected{0xFFFFFF, 0x0000FF, 0xFFFF00, 0xFF0000,
                                    0xFF00FF, 0x00FFFF, 0x80FF00, 0xFFECC8};
    EXPECT_EQ(list.pixels, expected);
    EXPECT_GE(list.pixels.capacity(), 8u);
}

TEST(ColourRecord, ComponentsAreStoredUnscaled)
{
    const SColour standard;
    EXPECT_EQ(standard.red, 255.0f);
    EXPECT_EQ(standard.alpha, 255.0f);
    const SColour fromInts(1, 2, 3, 4);
    EXPECT_EQ(fromInts.green, 2.0f);
    EXPECT_EQ(fromInts.alpha, 4.0f);
    const SColour fromBytes(static_cast<unsigned char>(200), static_cast<unsigned char>(100),
                            static_cast<unsigned char>(50), static_cast<unsigned char>(0));
    EXPECT_EQ(fromBytes.red, 200.0f);
    EXPECT_EQ(fromBytes.blue, 50.0f);
    const SColour fromFloats(0.5f, 0.25f, 1.0f, 0.0f);
    EXPECT_EQ(fromFloats.green, 0.25f);
}

// The arrow as drawn in the toolkit's description, kept here independently.
const char* const kArrowPicture[24] = {
    "B",
    "BB",
    "BoB",
    "BooB",
    "BoooB",
    "BooooB",
    "BoooooB",
    "BooooooB",
    "BoooooooB",
    "BooooooooB",
    "BoooooooooB",
    "BooooooooooB",
    "BoooooooooooB",
    "BooooooooooooB",
    "BoooooooBBBBBBB",
    "BoooBoooB",
    "BooB.BoooB",
    "BoB..BoooB",
    "BB....BoooB",
    "B.....BoooB",
    ".......BoooB",
    ".......BooBB",
    "........BBB",
    ".",
};

char PictureAt(int x, int y)
{
    const std::string row = kArrowPicture[y];
    return x < static_cast<int>(row.size()) ? row[x] : '.';
}

bool BitAt(const unsigned char* bits, int x, int y) { return (bits[y * 3 + x / 8] >> (x % 8)) & 1; }

TEST(CursorArrow, BitmapsAreTheArrowLeastSignificantBitFirst)
{
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const char mark = PictureAt(x, y);
            EXPECT_EQ(BitAt(SCursor::ArrowImage(), x, y), mark == 'B') << x << ", " << y;
            EXPECT_EQ(BitAt(SCursor::ArrowMask(), x, y), mark == 'B' || mark == 'o')
                << x << ", " << y;
        }
}

// A mapped window with the pointer over it, and the cursor image the server
// shows there.
class Cursors : public ToolkitSuite<Cursors> {
public:
    static std::vector<std::string> Screens() { return {"320x240x24"}; }
    // The font's cursors, not the installed theme's: the theme's watch
    // turns, so two pictures of it taken apart need not agree.
    static void SetUpTestSuite()
    {
        setenv("XCURSOR_CORE", "1", 1);
        ToolkitSuite::SetUpTestSuite();
    }

protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ToolkitSuite::SetUp());
        int event = 0, error = 0;
        ASSERT_TRUE(XFixesQueryExtension(display(), &event, &error));
        window = MakeWindow(20, 20);
    }
    void TearDown() override
    {
        if (window != 0)
            XDestroyWindow(display(), window);
        XSync(display(), False);
    }

    Window MakeWindow(int x, int y)
    {
        Window made =
            XCreateSimpleWindow(display(), DefaultRootWindow(display()), x, y, 60, 60, 0, 0, 0);
        XMapWindow(display(), made);
        XSync(display(), False);
        return made;
    }

    struct Shown {
        int width = 0;
        int height = 0;
        int hotX = 0;
        int hotY = 0;
        std::vector<unsigned long> argb;
        unsigned long at(int x, int y) const
        {
            return argb[static_cast<std::size_t>(y) * width + x];
        }
    };

    // What the pointer looks like when it rests on the window. A loaded
    // server may show the cursor of the window under the pointer only some
    // time after the round trip that follows the warp: the picture counts
    // once two reads 20 ms apart agree.
    Shown ShownOver(Window target)
    {
        XWarpPointer(display(), 0, target, 0, 0, 0, 0, 30, 30);
        XSync(display(), False);
        Shown shown = ShownNow();
        for (int read = 0; read < 25; ++read) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            Shown again = ShownNow();
            if (again.argb == shown.argb && again.hotX == shown.hotX && again.hotY == shown.hotY)
                break;
            shown = std::move(again);
        }
        return shown;
    }
    Shown ShownNow()
    {
        Shown shown;
        XFixesCursorImage* image = XFixesGetCursorImage(display());
        if (image == nullptr)
            return shown;
        shown.width = image->width;
        shown.height = image->height;
        shown.hotX = image->xhot;
        shown.hotY = image->yhot;
        shown.argb.assign(image->pixels, image->pixels + image->width * image->height);
        XFree(image);
        return shown;
    }

    Window window = 0;
};

TEST_F(Cursors, TheBuiltInArrowIsOrangeWithABlackOutline)
{
    SCursor arrow(1, window);
    arrow.CreateDefault();
    EXPECT_FALSE(arrow.Invisible());
    arrow.Set();
    const Shown shown = ShownOver(window);
    ASSERT_EQ(shown.width, 24);
    ASSERT_EQ(shown.height, 24);
    EXPECT_EQ(shown.hotX, 0);
    EXPECT_EQ(shown.hotY, 0);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const char mark = PictureAt(x, y);
            const unsigned long pixel = shown.at(x, y) & 0xFFFFFFFFul;
            if (mark == 'B')
                EXPECT_EQ(pixel, 0xFF000000ul) << x << ", " << y;
            else if (mark == 'o')
                EXPECT_EQ(pixel, 0xFFFF7F00ul) << x << ", " << y;
            else
                EXPECT_EQ(pixel >> 24, 0ul) << "transparent at " << x << ", " << y;
        }
}

TEST_F(Cursors, KindsPickTheirShapes)
{
    Window reference = MakeWindow(120, 20);
    const auto shapeOf = [&](unsigned fontShape) {
        const Cursor cursor = XCreateFontCursor(display(), fontShape);
        XDefineCursor(display(), reference, cursor);
        const Shown shown = ShownOver(reference);
        XUndefineCursor(display(), reference);
        XFreeCursor(display(), cursor);
        return shown.argb;
    };
    const std::vector<unsigned long> hand = shapeOf(60);
    const std::vector<unsigned long> watch = shapeOf(150);
    const std::vector<unsigned long> arrow = shapeOf(68);
    ASSERT_NE(hand, arrow);
    ASSERT_NE(watch, arrow);
    {
        SCursor cursor(2, window);
        EXPECT_EQ(ShownOver(window).argb, hand);
    }
    {
        SCursor cursor(3, window);
        EXPECT_EQ(ShownOver(window).argb, watch);
    }
    {
        SCursor cursor(7, window);
        EXPECT_EQ(ShownOver(window).argb, arrow);
        EXPECT_EQ(cursor.Kind(), 7u);
    }
    {
        SCursor cursor(0, window);
        EXPECT_TRUE(cursor.Invisible());
        const Shown shown = ShownOver(window);
        for (unsigned long pixel : shown.argb)
            EXPECT_EQ((pixel & 0xFFFFFFFFul) >> 24, 0ul) << "nothing of it shows";
    }
    XDestroyWindow(display(), reference);
}

TEST_F(Cursors, FreeAndDeleteTakeTheCursorOffItsWindow)
{
    const std::vector<unsigned long> plain = ShownOver(window).argb;
    {
        SCursor hand(2, window);
        EXPECT_NE(ShownOver(window).argb, plain);
        hand.Free();
        EXPECT_EQ(ShownOver(window).argb, plain);
        hand.Set();
        EXPECT_NE(ShownOver(window).argb, plain);
    }
    EXPECT_EQ(ShownOver(window).argb, plain);
}

// The editor's cursor lives on the host's window, which the host may have
// destroyed first: no X error may reach the host's handler.
TEST_F(Cursors, AWindowThatIsGoneRaisesNoError)
{
    XErrorCounter errors(display());
    {
        SCursor arrow(1, window);
        arrow.CreateDefault();
        XDestroyWindow(display(), window);
        window = 0;
        XSync(display(), False);
        arrow.Set();
        arrow.Free();
    }
    EXPECT_EQ(errors.count(), 0);
}

TEST_F(Cursors, NoWindowAndNoCursorAreHarmless)
{
    XErrorCounter errors(display());
    {
        SCursor nothing;
        nothing.Set();
        nothing.Free();
        EXPECT_EQ(nothing.XCursor(), 0u);
        SCursor unplaced(2, 0);
        EXPECT_NE(unplaced.XCursor(), 0u);
        unplaced.Set();
        // Sizes and hot spots beyond the arrow's picture are kept inside it.
        SCursor clipped(1, window);
        clipped.Create(nullptr, nullptr, 100, 100, 50, 50);
        EXPECT_NE(clipped.XCursor(), 0u);
        // Full-depth bitmaps cannot be a cursor; they are deleted all the same
        // and the cursor stays as it was.
        const unsigned long before = clipped.XCursor();
        clipped.Create(new SDrawBitmap(nullptr, 8, 8, false), new SDrawBitmap(nullptr, 8, 8, false),
                       0, 0);
        EXPECT_EQ(clipped.XCursor(), before);
        clipped.Create(nullptr, nullptr, 0, 0);
    }
    EXPECT_EQ(errors.count(), 0);
}

// The root's cursor is the desktop's: a default cursor that was never set
// there must not take it away when it goes.
TEST_F(Cursors, TheDefaultCursorLeavesTheRootAloneUntilSet)
{
    const Window root = DefaultRootWindow(display());
    const Cursor desktop = XCreateFontCursor(display(), 150);
    XDefineCursor(display(), root, desktop);
    const std::vector<unsigned long> before = ShownOver(root).argb;
    {
        SCursorDefault standard;
        EXPECT_EQ(standard.Window(), root);
        EXPECT_FALSE(standard.Defined());
        EXPECT_EQ(ShownOver(root).argb, before);
    }
    EXPECT_EQ(ShownOver(root).argb, before);
    {
        SCursorDefault standard;
        standard.Set();
        EXPECT_TRUE(standard.Defined());
        EXPECT_NE(ShownOver(root).argb, before) << "the left arrow now";
        standard.Free();
        EXPECT_FALSE(standard.Defined());
    }
    XUndefineCursor(display(), root);
    XFreeCursor(display(), desktop);
}

}  // namespace
}  // namespace tarvenna::test
