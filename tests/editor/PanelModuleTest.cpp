// The built module's panel inside a window of our host on a private X
// server: what it paints, read back from the server, and what real clicks
// on it do to the node, seen in what the host records. Every case runs with
// three kinds of host: one that passes its display and reads "_XEventProc"
// from each event's window, one that passes 0 for the display, and one that
// learns the procedure only from ReparentNotify.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include "host/EditorHost.h"
#include "plugin/ParameterIndex.h"
#include "tests/support/Clicks.h"
#include "tests/support/ModuleOnXvfb.h"
#include "tests/editor/PanelSpots.h"
#include "tests/support/WaitUntil.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using tarvenna::host::EditorHost;
using tarvenna::host::EditorHostOptions;
using tarvenna::host::EventDelivery;
using tarvenna::test::kWaitLimit;
using tarvenna::test::WaitUntil;

using namespace tarvenna::test;

struct HostKind {
    const char* name;
    bool passDisplay;
    EventDelivery delivery;
};

class Panel : public tarvenna::test::ModuleOnXvfb, public ::testing::WithParamInterface<HostKind> {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ModuleOnXvfb::SetUp());
        instance = host.Instantiate(module);
        ASSERT_TRUE(instance) << host.LastError();
        instance->Open();
        instance->Resume();
        EditorHostOptions options;
        options.passDisplay = GetParam().passDisplay;
        options.delivery = GetParam().delivery;
        editor = std::make_unique<EditorHost>(instance->Effect(), display, options);
        ASSERT_TRUE(editor->Open());
        ASSERT_TRUE(Shows(Port(1), kMagenta)) << "the panel never painted";
    }

    void TearDown() override
    {
        editor.reset();
        instance.reset();
        ModuleOnXvfb::TearDown();
    }

    unsigned long Pixel(Spot at)
    {
        XImage* image =
            XGetImage(display, editor->TopWindow(), at.x, at.y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr)
            return ~0ul;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    // Delivers events (and the host's idle calls) until the spot shows the
    // colour.
    bool Shows(Spot at, unsigned long colour)
    {
        return WaitUntil([&] { return Pixel(at) == colour; }, kWaitLimit,
                         [&] { editor->Pump(10); });
    }

    void Click(Spot at)
    {
        ClickInWindow(display, editor->TopWindow(), at.x, at.y);
        editor->Pump(30);
    }

    // The parameter changes the panel asked the host to record, in order.
    std::vector<std::pair<int, float>> Automation()
    {
        std::vector<std::pair<int, float>> changes;
        for (const auto& change : instance->Recorded().automation)
            changes.emplace_back(change.index, change.value);
        return changes;
    }
    bool AutomationReaches(std::size_t count)
    {
        return WaitUntil([&] { return Automation().size() >= count; }, kWaitLimit,
                         [&] { editor->Pump(10); });
    }

    std::unique_ptr<tarvenna::host::HostInstance> instance;
    std::unique_ptr<EditorHost> editor;
};

TEST_P(Panel, PaintsItsGroundBandsAndTheSelectedPort)
{
    EXPECT_TRUE(Shows({20, 70}, kSlate)) << "ground";
    EXPECT_EQ(Pixel({4, 100}), kBlack) << "left band";
    EXPECT_EQ(Pixel({165, 100}), kBlack) << "right band";
    EXPECT_EQ(Pixel({85, 195}), kBlack) << "bottom band";
    EXPECT_EQ(Pixel(Port(1)), kMagenta) << "port 1, the node's port, is on";
    for (int n = 2; n <= 8; ++n)
        EXPECT_EQ(Pixel(Port(n)), kBlack) << "port " << n;
    EXPECT_EQ(Pixel(kSendGround), kBlue) << "a new node sends";
    EXPECT_EQ(Pixel(kReceiveGround), kBlack);
}

TEST_P(Panel, LampsAreDarkAtRestAndLightWhileMidiFlows)
{
    EXPECT_EQ(Pixel(kMidiIn), kBlack);
    EXPECT_EQ(Pixel(kMidiOut), kBlack);
    instance->SetParameter(kParameterThru, 1.0f);  // Thru: what comes in also goes out
    const bool lit = WaitUntil(
        [&] { return Pixel(kMidiIn) == kOrange && Pixel(kMidiOut) == kOrange; }, kWaitLimit,
        [&] {
            instance->RunBlock({{0, 0x90, 60, 100}, {0, 0x80, 60, 0}}, 64);
            editor->Pump(5);
        });
    EXPECT_TRUE(lit) << "in " << std::hex << Pixel(kMidiIn) << ", out " << Pixel(kMidiOut);
    const bool dark =
        WaitUntil([&] { return Pixel(kMidiIn) == kBlack && Pixel(kMidiOut) == kBlack; }, kWaitLimit,
                  [&] {
                      instance->RunBlock({}, 64);
                      editor->Pump(5);
                  });
    EXPECT_TRUE(dark);
}

TEST_P(Panel, ModeButtonsSwitchTheNodeAndFollowIt)
{
    Click(kReceive);
    ASSERT_TRUE(AutomationReaches(1));
    EXPECT_EQ(Automation().back(), std::make_pair(0, 1.0f)) << "Receive on selects receiving";
    EXPECT_TRUE(Shows(kReceiveGround, kBlue));
    EXPECT_TRUE(Shows(kSendGround, kBlack));

    Click(kSend);
    ASSERT_TRUE(AutomationReaches(2));
    EXPECT_EQ(Automation().back(), std::make_pair(0, 0.0f)) << "Send on selects sending";
    EXPECT_TRUE(Shows(kSendGround, kBlue));

    Click(kSend);
    ASSERT_TRUE(AutomationReaches(3));
    EXPECT_EQ(Automation().back(), std::make_pair(0, 1.0f)) << "Send off selects receiving";
    EXPECT_TRUE(Shows(kReceiveGround, kBlue));
}

TEST_P(Panel, PortButtonsSendTheirPortAndActAsRadioButtons)
{
    Click(Port(8));
    ASSERT_TRUE(AutomationReaches(1));
    EXPECT_EQ(Automation().back(), std::make_pair(1, 1.0f));
    EXPECT_TRUE(Shows(Port(8), kMagenta));
    EXPECT_TRUE(Shows(Port(1), kBlack));

    Click(Port(8));  // already on: sends its port again and stays on
    ASSERT_TRUE(AutomationReaches(2));
    EXPECT_EQ(Automation().back(), std::make_pair(1, 1.0f));
    EXPECT_TRUE(Shows(Port(8), kMagenta));

    Click(Port(1));
    ASSERT_TRUE(AutomationReaches(3));
    EXPECT_EQ(Automation().back(), std::make_pair(1, 0.0f));
    EXPECT_TRUE(Shows(Port(1), kMagenta));
    EXPECT_TRUE(Shows(Port(8), kBlack));
    EXPECT_FLOAT_EQ(instance->GetParameter(1), 0.0f);
}

TEST_P(Panel, PanicSendsOneBurstAndThruToggles)
{
    Click(kPanic);
    ASSERT_TRUE(AutomationReaches(3));
    const std::vector<std::pair<int, float>> burst = {{3, 0.0f}, {3, 1.0f}, {3, 0.0f}};
    EXPECT_EQ(Automation(), burst);

    Click(kThru);
    ASSERT_TRUE(AutomationReaches(4));
    EXPECT_EQ(Automation().back(), std::make_pair(2, 1.0f));
    Click(kThru);
    ASSERT_TRUE(AutomationReaches(5));
    EXPECT_EQ(Automation().back(), std::make_pair(2, 0.0f));
    EXPECT_FLOAT_EQ(instance->GetParameter(2), 0.0f);
}

TEST_P(Panel, NodesButtonSwapsTheControlsForTheListAndBack)
{
    Click(kNodes);
    // The list covers the port buttons with its own black ground.
    EXPECT_TRUE(Shows({46, 155}, kBlack)) << "Thru's place belongs to the list";
    // The idle pass swaps the views; the list may be up before the port
    // buttons have gone.
    EXPECT_TRUE(WaitUntil([&] { return Pixel(Port(1)) != kMagenta; }, kWaitLimit,
                          [&] { editor->Pump(10); }));
    EXPECT_TRUE(Automation().empty()) << "the view is the panel's own business";
    Click(kNodes);
    EXPECT_TRUE(Shows(Port(1), kMagenta));
}

TEST_P(Panel, ClosingAndReopeningKeepsTheStateInOnePanel)
{
    Click(Port(4));
    ASSERT_TRUE(Shows(Port(4), kMagenta));
    ASSERT_TRUE(editor->Close());
    editor->Pump(30);
    ASSERT_TRUE(editor->Open());
    EXPECT_TRUE(Shows(Port(4), kMagenta));
    ::Window root, parent, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(display, editor->TopWindow(), &root, &parent, &children, &count));
    if (children != nullptr)
        XFree(children);
    EXPECT_EQ(count, 1u) << "one panel in the host's window";
    Click(kReceive);
    EXPECT_TRUE(AutomationReaches(2)) << "the reopened panel answers clicks";
}

TEST_P(Panel, TheLogoHidesOnAClickAndComesBackOnTheNext)
{
    constexpr Spot kUnderLogo{150, 55};
    ASSERT_NE(Pixel(kUnderLogo), kSlate);
    Click(kUnderLogo);
    EXPECT_TRUE(Shows(kUnderLogo, kSlate)) << "the logo uncovers the ground behind it";
    Click(kUnderLogo);  // now the panel's own press, inside the logo's place
    EXPECT_TRUE(WaitUntil([&] { return Pixel(kUnderLogo) != kSlate; }, kWaitLimit,
                          [&] { editor->Pump(10); }));
    EXPECT_TRUE(Automation().empty());
}

TEST_P(Panel, TheCornerSquareSwitchesTooltips)
{
    constexpr Spot kSwitch{5, 5};
    constexpr unsigned long kRed = 0xFF0000;
    EXPECT_TRUE(Shows(kSwitch, kBlue)) << "tooltips start off";
    Click(kSwitch);
    EXPECT_TRUE(Shows(kSwitch, kRed));
    Click(kSwitch);
    EXPECT_TRUE(Shows(kSwitch, kBlue));
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, Panel,
    ::testing::Values(HostKind{"PassesItsDisplay", true, EventDelivery::Property},
                      HostKind{"PassesZero", false, EventDelivery::Property},
                      HostKind{"LearnsOnReparent", true, EventDelivery::Reparent}),
    [](const ::testing::TestParamInfo<HostKind>& kind) { return std::string(kind.param.name); });

}  // namespace
