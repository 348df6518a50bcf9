// The private X server that the GUI tests rely on, and the child process
// it (and jackd) runs as.
#include "host/testing/ServerProcess.h"
#include "host/testing/Xvfb.h"

// gtest before Xlib: Xlib's None and Bool macros break gtest's templates.
#include <gtest/gtest.h>
#include <X11/Xlib.h>

#include <sys/wait.h>

#include <csignal>
#include <cstdlib>

namespace tarvenna::host {
namespace {

TEST(Xvfb, ServesTheRequestedScreensAndStopsAgain)
{
    std::string name;
    {
        Xvfb server({"640x480x24", "320x200x24"});
        ASSERT_TRUE(server.Running()) << server.Error();
        name = server.Name();
        Display* display = XOpenDisplay(name.c_str());
        ASSERT_NE(display, nullptr);
        EXPECT_EQ(ScreenCount(display), 2);
        EXPECT_EQ(DisplayWidth(display, 0), 640);
        EXPECT_EQ(DisplayHeight(display, 1), 200);
        XCloseDisplay(display);
    }
    EXPECT_EQ(XOpenDisplay(name.c_str()), nullptr);
}

TEST(Xvfb, ExportsItsNameAndRestoresTheOldOne)
{
    setenv("DISPLAY", ":4242", 1);
    {
        Xvfb server;
        ASSERT_TRUE(server.Running()) << server.Error();
        server.ExportDisplay();
        EXPECT_EQ(std::getenv("DISPLAY"), server.Name());
    }
    EXPECT_STREQ(std::getenv("DISPLAY"), ":4242");
    unsetenv("DISPLAY");
}

// A server is a child of the test program: it gets the environment it is
// given, a program that cannot run ends with 127, and ending one reaps it.
TEST(ServerProcess, RunsWithItsEnvironmentAndIsReapedWhenEnded)
{
    pid_t missing = StartServer({"tarvenna-no-such-program"});
    ASSERT_GT(missing, 0);
    int status = 0;
    ASSERT_EQ(waitpid(missing, &status, 0), missing);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 127);

    pid_t checker = StartServer({"sh", "-c", "test \"$TARVENNA_SERVER_CHECK\" = yes"},
                                {{"TARVENNA_SERVER_CHECK", "yes"}});
    ASSERT_EQ(waitpid(checker, &status, 0), checker);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    pid_t sleeper = StartServer({"sleep", "60"});
    const pid_t started = sleeper;
    EndServer(sleeper);
    EXPECT_EQ(sleeper, -1);
    EXPECT_EQ(kill(started, 0), -1) << "reaped, not left a zombie";
    EndServer(sleeper);  // an ended server is forgotten

    pid_t stubborn = StartServer({"sh", "-c", "trap '' TERM; exec sleep 60"});
    const pid_t stubbornPid = stubborn;
    SleepMs(100);  // the trap is set
    EndServer(stubborn, std::chrono::milliseconds(200));
    EXPECT_EQ(kill(stubbornPid, 0), -1) << "killed after the grace and reaped";
}

}  // namespace
}  // namespace tarvenna::host
