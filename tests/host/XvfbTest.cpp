// The private X server that the GUI tests rely on.
#include "host/Xvfb.h"

// gtest before Xlib: Xlib's None and Bool macros break gtest's templates.
#include <gtest/gtest.h>
#include <X11/Xlib.h>

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

}  // namespace
}  // namespace tarvenna::host
