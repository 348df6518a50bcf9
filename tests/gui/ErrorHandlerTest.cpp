// Guarded property reads: the toolkit's error lines, and the host's own
// error handler staying in force around them.
#include "tests/gui/GuiFixture.h"

#include "gui/XErrorTrap.h"
#include "tests/support/StderrCapture.h"

#include <X11/Xatom.h>

#include <string>

using namespace guitest;
using namespace kvor::gui;

namespace {

int hostErrors = 0;
unsigned char hostLastCode = 0;

int HostHandler(Display*, XErrorEvent* error)
{
    ++hostErrors;
    hostLastCode = error->error_code;
    return 0;
}

class ErrorHandlerTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        hostErrors = 0;
        previous = XSetErrorHandler(HostHandler);
    }
    void TearDown() override
    {
        XSetErrorHandler(previous);
        GuiTest::TearDown();
    }

    Window DeadWindow()
    {
        const Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 4, 4, 0, 0, 0);
        XDestroyWindow(display, window);
        XSync(display, False);
        return window;
    }

    XErrorHandler previous = nullptr;
};

}  // namespace

TEST_F(ErrorHandlerTest, ReadingWindowZeroAsksTheServerNothing)
{
    const unsigned long before = NextRequest(display);
    EXPECT_EQ(SControl::getProperty(0, XA_WM_NAME), 0u);
    EXPECT_EQ(NextRequest(display), before);
}

TEST_F(ErrorHandlerTest, AGoneWindowYieldsZeroAndTheErrorLines)
{
    const Window gone = DeadWindow();
    StderrCapture capture;
    const unsigned long item = SControl::getProperty(gone, XInternAtom(display, "_KVORWND", False));
    const std::string text = capture.Stop();
    EXPECT_EQ(item, 0u);
    EXPECT_EQ(SControl::xerror.load(), 1);
    EXPECT_EQ(hostErrors, 0) << "the guarded error must not reach the host";
    // BadWindow on GetProperty (request 20).
    EXPECT_NE(text.find("XError Message: BadWindow"), std::string::npos) << text;
    EXPECT_NE(text.find("XError Message: (X_GetProperty)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("XError Message: Request=20\n"), std::string::npos) << text;
    EXPECT_NE(text.find("XError Message: Minor=0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("XError Message: XID=" + std::to_string(static_cast<int>(gone)) + "\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("XError Message: Serial="), std::string::npos) << text;
}

TEST_F(ErrorHandlerTest, TheHostsHandlerIsBackAfterAGuardedRead)
{
    SControl::getProperty(DeadWindow(), XA_WM_NAME);
    EXPECT_EQ(XSetErrorHandler(HostHandler), &HostHandler);
    // And it still gets errors of its own requests.
    XMapWindow(display, DeadWindow());
    XSync(display, False);
    EXPECT_EQ(hostErrors, 1);
    EXPECT_EQ(hostLastCode, BadWindow);
}

TEST_F(ErrorHandlerTest, AnEarlierErrorOfTheHostIsPassedOnNotSwallowed)
{
    // The host's request fails, but its error is still unread when the
    // toolkit's guarded read begins.
    SControl control(&globals, nullptr, 1, "reader", 0, 0, 0, 4, 4, 0, false);
    const Atom property = XInternAtom(display, "_KVORWND", False);
    const Window gone = DeadWindow();
    XMapWindow(display, gone);
    StderrCapture capture;
    const unsigned long item = SControl::getProperty(control.GetWindow(), property);
    const std::string text = capture.Stop();
    EXPECT_EQ(item, control.GetHandle());
    EXPECT_EQ(hostErrors, 1);
    EXPECT_EQ(text.find("XError Message"), std::string::npos) << text;
}

TEST_F(ErrorHandlerTest, TheHandlerAloneReportsEveryLineInOrder)
{
    XErrorEvent error{};
    error.type = 0;
    error.display = display;
    error.error_code = BadMatch;
    error.request_code = 42;  // SetInputFocus
    error.minor_code = 0;
    error.serial = 77;
    error.resourceid = 1234;
    StderrCapture capture;
    SControl::xerror = 0;
    EXPECT_EQ(SControl::errorHandler(display, &error), 0);
    const std::string text = capture.Stop();
    EXPECT_EQ(SControl::xerror.load(), 1);
    const std::string expected = "XError Message: BadMatch (invalid parameter attributes)\n"
                                 "XError Message: (X_SetInputFocus)\n"
                                 "XError Message: Request=42\n"
                                 "XError Message: Serial=77\n"
                                 "XError Message: Minor=0\n"
                                 "XError Message: XID=1234\n";
    EXPECT_EQ(text, expected);

    // Extension requests have no name line.
    error.request_code = 130;
    StderrCapture second;
    SControl::errorHandler(display, &error);
    EXPECT_EQ(second.Stop().find("XError Message: ("), std::string::npos);
}

TEST_F(ErrorHandlerTest, EventsForUnknownOrGoneWindowsAreIgnored)
{
    XEvent event{};
    event.xany.type = Expose;
    event.xany.display = display;
    event.xany.window = 0;
    EXPECT_EQ(SControl::eventProc(&event), 0);

    event.xany.window = DefaultRootWindow(display);
    EXPECT_EQ(SControl::eventProc(&event), 0);

    // Controls are found in memory, so a gone window costs no request and
    // raises no error, neither ours nor the host's.
    StderrCapture capture;
    event.xany.window = DeadWindow();
    EXPECT_EQ(SControl::eventProc(&event), 0);
    EXPECT_EQ(capture.Stop().find("XError Message"), std::string::npos);
    EXPECT_EQ(hostErrors, 0);
}

// A connection that is the toolkit's alone: every error is ours and none
// reaches the host, and a trap on it still learns that its request failed
// (the editor finds a panel that went with its host's window this way).
TEST_F(ErrorHandlerTest, OnAConnectionOfOurOwnEveryErrorIsOursAndTrapsStillSeeTheirs)
{
    Display* own = XOpenDisplay(TestServer().server->Name().c_str());
    ASSERT_NE(own, nullptr);
    ClaimEveryError(own);
    const Window gone = DeadWindow();
    StderrCapture capture;
    XMapWindow(own, gone);
    XSync(own, False);
    bool failed = false;
    {
        XErrorTrap trap(own);
        XUnmapWindow(own, gone);
        trap.Sync();
        failed = trap.Failed();
    }
    const std::string text = capture.Stop();
    EXPECT_TRUE(failed);
    EXPECT_EQ(hostErrors, 0);
    EXPECT_NE(text.find("(X_MapWindow)"), std::string::npos) << text;
    EXPECT_NE(text.find("(X_UnmapWindow)"), std::string::npos) << text;
    XCloseDisplay(own);
}
