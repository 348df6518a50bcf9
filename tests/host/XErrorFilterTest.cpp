// The host's X error handler on a private X server: it takes and counts
// the errors of the host's connections, but not those of its own requests
// that may fail, and every error of a busy host thread reaches it.
#include <gtest/gtest.h>

#include "host/testing/BusyHost.h"
#include "host/XErrorFilter.h"
#include "host/testing/Xvfb.h"

#include <X11/Xlib.h>

namespace tarvenna::host {
namespace {

TEST(XErrorFilter, CountsTheHostsErrorsButNotTheExpectedOnes)
{
    Xvfb server;
    ASSERT_TRUE(server.Running()) << server.Error();
    Display* own = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(own, nullptr);
    QuietXErrors(own);
    const ::Window gone = XCreateSimpleWindow(own, DefaultRootWindow(own), 0, 0, 1, 1, 0, 0, 0);
    XDestroyWindow(own, gone);
    XMapWindow(own, gone);
    XSync(own, False);
    EXPECT_EQ(XErrorsTaken(own), 1u);
    {
        const ExpectedXErrors expected(own);
        XMapWindow(own, gone);
        XSync(own, False);
    }
    EXPECT_EQ(XErrorsTaken(own), 1u);
    UnquietXErrors(own);
    XCloseDisplay(own);
}

TEST(XErrorFilter, EveryErrorOfABusyHostThreadReachesTheHandler)
{
    Xvfb server;
    ASSERT_TRUE(server.Running()) << server.Error();
    FailedXRequests failed;
    RunFor(0.2, {FailXRequests(server.Name(), failed)});
    EXPECT_TRUE(failed.connected.load());
    EXPECT_GT(failed.made.load(), 0u);
    EXPECT_EQ(failed.taken.load(), failed.made.load());
}

}  // namespace
}  // namespace tarvenna::host
