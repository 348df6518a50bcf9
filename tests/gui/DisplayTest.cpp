// Monitors as the toolkit finds them on differently built X servers, and
// centring.
#include <gtest/gtest.h>

#include "gui/SDisplay.h"
#include "tests/gui/ToolkitDisplay.h"

#include <X11/Xatom.h>

#include <string>
#include <vector>

namespace tarvenna::test {
namespace {

using kvor::gui::SDisplay;
using Rect = SDisplay::Rect;
using Point = SDisplay::Point;
using Rects = std::vector<Rect>;

// RandR answers Xinerama questions on its own, so both go.
const std::vector<std::string> kNoXinerama{"-extension", "XINERAMA", "-extension", "RANDR"};

std::string Describe(const Rects& rects)
{
    std::string text;
    for (const Rect& r : rects)
        text += "(" + std::to_string(r.x1) + ", " + std::to_string(r.y1) + ", " +
                std::to_string(r.x2) + ", " + std::to_string(r.y2) + ") ";
    return text;
}

// Xvfb joins its screens into one Xinerama screen without giving them
// places of their own: both heads start at the origin.
TEST(Monitors, XineramaHeadsAsTheServerReportsThem)
{
    ToolkitDisplay server({"1280x1024x24", "1024x768x24"}, {"+extension", "XINERAMA", "+xinerama"});
    ASSERT_TRUE(server.ready()) << server.error();
    SDisplay displays;
    EXPECT_EQ(displays.AllMonitorRects(), &displays);
    const Rects expected{{0, 0, 1280, 1024}, {0, 0, 1024, 768}};
    EXPECT_EQ(displays.Monitors(), expected) << Describe(displays.Monitors());
    EXPECT_EQ(displays.Count(), 2);
    EXPECT_EQ(displays.Bounds(), (Rect{0, 0, 1280, 1024}));
    EXPECT_FALSE(displays.Split());

    EXPECT_EQ(displays.MonitorRect(Point{1100, 900}), expected[0]);
    EXPECT_EQ(displays.MonitorRect(Point{1280, 1024}), expected[0]) << "edges are inside";
    EXPECT_EQ(displays.MonitorRect(Point{5000, 5000}), expected[0]) << "outside: the first";
    EXPECT_EQ(displays.MonitorRect(static_cast<kvor::gui::SControl*>(nullptr)), expected[0]);
    EXPECT_EQ(displays.CenterOnWindow(nullptr), 0);

    // Rebuilding gives the same list, not a longer one.
    displays.AllMonitorRects();
    EXPECT_EQ(displays.Count(), 2);
}

// Today's servers answer Xinerama from RandR even for one screen, and then
// that answer is taken rather than a guess.
TEST(Monitors, AnswersFromXineramaAreNotSecondGuessed)
{
    ToolkitDisplay server({"3840x1024x24"});
    ASSERT_TRUE(server.ready()) << server.error();
    SDisplay displays;
    displays.AllMonitorRects();
    EXPECT_EQ(displays.Monitors(), (Rects{{0, 0, 3840, 1024}})) << Describe(displays.Monitors());
    EXPECT_FALSE(displays.Split());
}

// Two X screens without Xinerama: the window manager's work area of each.
TEST(Monitors, WorkAreasOfEveryScreen)
{
    ToolkitDisplay server({"1024x768x24", "800x600x24"}, kNoXinerama);
    ASSERT_TRUE(server.ready()) << server.error();
    Display* display = server.display();
    const Atom workArea = XInternAtom(display, "_NET_WORKAREA", False);
    const long first[4] = {0, 30, 1024, 700};
    const long second[4] = {10, 0, 790, 600};
    XChangeProperty(display, RootWindow(display, 0), workArea, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(first), 4);
    XChangeProperty(display, RootWindow(display, 1), workArea, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(second), 4);
    XSync(display, False);
    SDisplay displays;
    displays.AllMonitorRects();
    const Rects expected{{0, 30, 1024, 730}, {10, 0, 800, 600}};
    EXPECT_EQ(displays.Monitors(), expected) << Describe(displays.Monitors());
    EXPECT_EQ(displays.Count(), 2);
    EXPECT_EQ(displays.Bounds(), (Rect{0, 0, 1024, 730}));
    EXPECT_FALSE(displays.Split());
}

TEST(Monitors, WorkAreasOfAnotherShapeAreIgnored)
{
    ToolkitDisplay server({"1024x768x24", "800x600x24"}, kNoXinerama);
    ASSERT_TRUE(server.ready()) << server.error();
    Display* display = server.display();
    const Atom workArea = XInternAtom(display, "_NET_WORKAREA", False);
    const long three[3] = {0, 0, 1024};
    XChangeProperty(display, RootWindow(display, 0), workArea, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(three), 3);
    const long wrongType[4] = {0, 0, 800, 600};
    XChangeProperty(display, RootWindow(display, 1), workArea, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(wrongType), 4);
    XSync(display, False);
    SDisplay displays;
    displays.AllMonitorRects();
    EXPECT_EQ(displays.Monitors(), (Rects{{0, 0, 1024, 768}})) << "the guess from screen 0";
    EXPECT_EQ(displays.Count(), 1);
}

TEST(Monitors, AWideScreenIsGuessedAsMonitorsSideBySide)
{
    ToolkitDisplay server({"3840x1024x24"}, kNoXinerama);
    ASSERT_TRUE(server.ready()) << server.error();
    SDisplay displays;
    displays.AllMonitorRects();
    const Rects expected{{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}, {2560, 0, 3840, 1024}};
    EXPECT_EQ(displays.Monitors(), expected) << Describe(displays.Monitors());
    EXPECT_EQ(displays.Count(), 3);
    EXPECT_TRUE(displays.Split());
    EXPECT_EQ(displays.Bounds(), (Rect{0, 0, 3840, 1024}));
}

TEST(Monitors, ATallScreenIsGuessedAsMonitorsStacked)
{
    ToolkitDisplay server({"1600x2560x24"}, kNoXinerama);
    ASSERT_TRUE(server.ready()) << server.error();
    SDisplay displays;
    displays.AllMonitorRects();
    const Rects expected{{0, 0, 1600, 1280}, {0, 1280, 1600, 2560}};
    EXPECT_EQ(displays.Monitors(), expected) << Describe(displays.Monitors());
    EXPECT_TRUE(displays.Split());
    EXPECT_EQ(displays.MonitorRect(Point{100, 2000}), expected[1]);
}

TEST(Monitors, WithoutAnXServerThereIsNoMonitor)
{
    SDisplay displays;
    displays.AllMonitorRects(nullptr);
    EXPECT_EQ(displays.Count(), 0);
    EXPECT_TRUE(displays.Monitors().empty());
    EXPECT_EQ(displays.MonitorRect(Point{10, 10}), (Rect{0, 0, 0, 0}));
}

}  // namespace
}  // namespace tarvenna::test
