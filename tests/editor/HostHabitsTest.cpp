// What real hosts do with an editor, played on the built module's panel in
// a window of our host, each with the host's display passed and with 0: a
// new X connection per opening (closed after it, or left unread), the
// window destroyed before effEditClose, Xlib's display lock held around the
// editor calls (and for a while before them, the connection closed as soon
// as the host lets go), and the host's other threads busy meanwhile (audio
// on two threads, failing X requests of the host's own). At every opening
// the user must see a painted panel within a second that answers a click,
// and no X error may reach the host's handler but the host's own.
#include <gtest/gtest.h>

#include "host/testing/BusyHost.h"
#include "host/EditorHost.h"
#include "host/XErrorFilter.h"
#include "tests/editor/PanelSpots.h"
#include "tests/support/Clicks.h"
#include "tests/support/ModuleOnXvfb.h"
#include "tests/support/WaitUntil.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>

namespace {

using namespace tarvenna::host;
using tarvenna::test::kWaitLimit;
using tarvenna::test::WaitUntil;

using namespace tarvenna::test;
constexpr Spot kPort1 = Port(1);
constexpr int kOpenings = 3;

struct Habit {
    const char* name;
    Connections connections;
    bool destroyWindowFirst;
    bool lockDisplay;
    bool busy;
    // $DISPLAY names no server when the module is loaded: the module has
    // no connection of its own, and the colours come from the host's.
    bool moduleWithoutDisplay = false;
    // The lock held this long before each editor call.
    int lockHeldMs = 0;
};
using Case = std::tuple<Habit, bool>;  // and whether the display is passed

void PrintTo(const Habit& habit, std::ostream* out) { *out << habit.name; }

class HostHabits : public tarvenna::test::ModuleOnXvfb, public ::testing::WithParamInterface<Case> {
protected:
    static void SetUpTestSuite()
    {
        ModuleOnXvfb::SetUpTestSuite();
        TakeAllXErrors();
    }

    void SetUp() override
    {
        const auto& [habit, passDisplay] = GetParam();
        if (habit.moduleWithoutDisplay) {
            setenv("DISPLAY", ":9999", 1);
            ModuleOnXvfb::SetUp();
            server->ExportDisplay();
        } else {
            ModuleOnXvfb::SetUp();
        }
        ASSERT_FALSE(HasFatalFailure());
        instance = host.Instantiate(module);
        partner = host.Instantiate(module);
        ASSERT_TRUE(instance && partner) << host.LastError();
        for (HostInstance* node : {instance.get(), partner.get()}) {
            node->Open();
            node->Resume();
        }
        EditorHostOptions options;
        options.passDisplay = passDisplay;
        options.connections = habit.connections;
        options.destroyWindowFirst = habit.destroyWindowFirst;
        options.lockDisplay = habit.lockDisplay;
        options.lockHeldMs = habit.lockHeldMs;
        editor = std::make_unique<EditorHost>(instance->Effect(), display, options);
        errorsBefore = XErrorsTaken();
        if (habit.busy)
            busy = std::make_unique<StressThreads>(std::vector<StressJob>{
                PlayNotes(*instance), PlayNotes(*partner), FailXRequests(server->Name(), failed)});
    }

    void TearDown() override
    {
        busy.reset();
        editor.reset();
        partner.reset();
        instance.reset();
        ModuleOnXvfb::TearDown();
    }

    // The window may be on a connection of the host's that is not ours;
    // reading it while it is not shown is our own mistake, not the host's.
    unsigned long Pixel(Spot at)
    {
        const ExpectedXErrors ours(display);
        XImage* image =
            XGetImage(display, editor->TopWindow(), at.x, at.y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr)
            return ~0ul;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    // The ground, port 1 and the button of the node's mode, as the user
    // sees them, while the host delivers its events.
    bool Painted(std::chrono::milliseconds limit)
    {
        const Spot mode = instance->GetParameter(0) < 0.5f ? kSendGround : kReceiveGround;
        return WaitUntil(
            [&] {
                return Pixel(kGround) == kSlate && Pixel(kPort1) == kMagenta &&
                       Pixel(mode) == kBlue;
            },
            limit, [&] { editor->Pump(10); });
    }

    // A real click, and the host's events until the plug-in has told the
    // host of the parameter it changed.
    bool ClickReachesTheHost(Spot at)
    {
        const std::size_t before = instance->Recorded().automation.size();
        ClickInWindow(display, editor->TopWindow(), at.x, at.y);
        return WaitUntil([&] { return instance->Recorded().automation.size() > before; },
                         kWaitLimit, [&] { editor->Pump(10); });
    }

    std::unique_ptr<HostInstance> instance;
    std::unique_ptr<HostInstance> partner;
    std::unique_ptr<EditorHost> editor;
    FailedXRequests failed;
    std::unique_ptr<StressThreads> busy;
    std::size_t errorsBefore = 0;
};

TEST_P(HostHabits, EveryOpeningShowsAPanelThatAnswersAndNoErrorReachesTheHost)
{
    for (int opening = 1; opening <= kOpenings; ++opening) {
        SCOPED_TRACE(::testing::Message() << "opening " << opening);
        ASSERT_TRUE(editor->Open());
        EXPECT_TRUE(Painted(std::chrono::seconds(1))) << "not painted within 1 s";
        ASSERT_TRUE(ClickReachesTheHost(kReceive)) << "a click on Receive never reached the host";
        EXPECT_EQ(instance->Recorded().automation.back().index, 0);
        ASSERT_TRUE(editor->Close());
        editor->Pump(30);
    }
    busy.reset();
    const std::size_t taken = XErrorsTaken() - errorsBefore;
    if (std::get<0>(GetParam()).busy) {
        EXPECT_GT(failed.made.load(), 0u);
        EXPECT_EQ(failed.taken.load(), failed.made.load())
            << "errors of the host's own requests went elsewhere";
    }
    EXPECT_EQ(taken - failed.taken.load(), 0u) << "X errors the plug-in let through to the host";
}

constexpr Habit kHabits[] = {
    {"NewConnectionClosed", Connections::NewPerOpeningClosed, false, false, false},
    {"NewConnectionUnread", Connections::NewPerOpeningUnread, false, false, false},
    {"WindowDestroyedFirst", Connections::One, true, false, false},
    {"DisplayLocked", Connections::One, false, true, false},
    {"BusyThreads", Connections::One, false, false, true},
    {"AllAtOnce", Connections::NewPerOpeningClosed, true, true, true},
    // The idle pass waits for the lock through effEditClose, and the host
    // closes the connection as soon as it lets go.
    {"LockHeldThenClosed", Connections::NewPerOpeningClosed, true, true, true, false, 60},
};

constexpr Habit kNoModuleConnection{
    "NoModuleConnection", Connections::One, false, false, false, true};

INSTANTIATE_TEST_SUITE_P(Machine, HostHabits,
                         ::testing::Combine(::testing::Values(kNoModuleConnection),
                                            ::testing::Values(true)),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(std::get<0>(info.param).name);
                         });

INSTANTIATE_TEST_SUITE_P(Hosts, HostHabits,
                         ::testing::Combine(::testing::ValuesIn(kHabits),
                                            ::testing::Values(true, false)),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "HostDisplay" : "DisplayZero");
                         });

}  // namespace
