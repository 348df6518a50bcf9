// One editor's life across two X connections of its host, as hosts live it
// that close their display when the last editor goes and open a new one for
// the next: the editor opened, run and closed on connection A, A closed, the
// editor opened again on connection B, then the instance closed and the
// module unloaded while B is still open. Nothing the plug-in made on A may
// be used after A is gone, whether the host passed its display or 0;
// scripts/test runs this program under valgrind's memcheck, which sees any
// such use even when it happens not to crash.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "host/EditorHost.h"
#include "host/XErrorFilter.h"
#include "tests/support/ModuleOnXvfb.h"
#include "tests/support/WaitUntil.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using tarvenna::host::EditorHost;
using tarvenna::host::EditorHostOptions;

// The selected port 1 button of a fresh panel, on a 24-bit TrueColor screen.
constexpr int kPortX = 40;
constexpr int kPortY = 94;
constexpr unsigned long kMagenta = 0xFF00FF;

// Said before it is done, so that a crash or an error valgrind reports comes
// right after the name of the step that caused it.
void Step(const std::string& what)
{
    std::printf("[life] %s\n", what.c_str());
    std::fflush(stdout);
}

unsigned long Pixel(EditorHost& editor)
{
    XImage* image =
        XGetImage(editor.XDisplay(), editor.TopWindow(), kPortX, kPortY, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return ~0ul;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

class EditorConnectionLife : public tarvenna::test::ModuleOnXvfb,
                             public ::testing::WithParamInterface<bool> {
protected:
    void TearDown() override
    {
        instance.reset();
        ModuleOnXvfb::TearDown();
    }

    // The host's window on `connection`, the editor opened in it until it
    // has painted and has had its events and idle calls for a while, then
    // closed and the window destroyed.
    void Live(const std::string& connection)
    {
        EditorHostOptions options;
        options.passDisplay = GetParam();
        EditorHost editor(instance->Effect(), display, options);
        Step("open the editor on connection " + connection);
        ASSERT_TRUE(editor.Open()) << "the editor refused to open on connection " << connection;
        const bool painted =
            tarvenna::test::WaitUntil([&] { return Pixel(editor) == kMagenta; },
                                      tarvenna::test::kWaitLimit, [&] { editor.Pump(10); });
        EXPECT_TRUE(painted) << "the panel never painted on connection " << connection;
        editor.Pump(100);
        Step("close the editor on connection " + connection);
        ASSERT_TRUE(editor.Close());
        Step("destroy the host's window on connection " + connection);
    }

    void CloseConnection(const std::string& connection)
    {
        Step("the host closes connection " + connection);
        XCloseDisplay(display);
        display = nullptr;
    }

    std::unique_ptr<tarvenna::host::HostInstance> instance;
};

// The fixture's connection is A. B is opened only once A is gone, as such a
// host does, so B may well live where A did.
TEST_P(EditorConnectionLife, TheEditorLivesOnANewConnectionAndTheModuleUnloads)
{
    // As a host's handler does, ours takes every connection's errors, so a
    // request on a dead window fails this test instead of ending it before
    // the unload.
    tarvenna::host::TakeAllXErrors();
    const std::size_t errorsBefore = tarvenna::host::XErrorsTaken();
    Step("make an instance of the loaded module");
    instance = host.Instantiate(module);
    ASSERT_TRUE(instance) << host.LastError();
    instance->Open();
    instance->Resume();

    Live("A");
    CloseConnection("A");
    Step("the host opens connection B");
    display = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(display, nullptr) << "connection B refused";
    Live("B");
    Step("close the instance");
    instance->Suspend();
    EXPECT_EQ(instance->Close(), 1);
    Step("unload the module");
    EXPECT_TRUE(module.Unload()) << module.Error();
    CloseConnection("B");
    EXPECT_EQ(tarvenna::host::XErrorsTaken() - errorsBefore, 0u)
        << "X errors of the plug-in reached its host";
}

INSTANTIATE_TEST_SUITE_P(Hosts, EditorConnectionLife, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "DisplayPassed" : "DisplayZero";
                         });

}  // namespace
