// tarvenna-host relay with the editors on screen, on a private X server:
// the screenshot of every panel, and the real-time run that a click on a
// panel reaches and that ends when the window is closed.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/host/SceneTestFiles.h"
#include "tests/host/Subprocess.h"
#include "tests/support/Clicks.h"
#include "tests/support/WaitUntil.h"
#include "host/testing/Xvfb.h"

namespace tarvenna::host::test {
namespace {

using tarvenna::host::Xvfb;
using tarvenna::test::kWaitLimit;
using tarvenna::test::WaitUntil;

// Where the window puts the panel of node n (from 1), and its size.
constexpr int kPanelWidth = 170, kPanelHeight = 200;
int PanelX(int node) { return 10 + (node - 1) * 180; }
constexpr int kPanelY = 26;

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    bool Black(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
        return rgb[at] == 0 && rgb[at + 1] == 0 && rgb[at + 2] == 0;
    }
};

// ImageMagick decodes the file, independently of the libpng that wrote it.
Pixels Decode(const std::string& path)
{
    Pixels pixels;
    std::FILE* size = popen(("identify -format '%w %h' '" + path + "'").c_str(), "r");
    if (size == nullptr || std::fscanf(size, "%d %d", &pixels.width, &pixels.height) != 2)
        pixels.width = pixels.height = 0;
    if (size != nullptr)
        pclose(size);
    if (std::FILE* pipe = popen(("convert '" + path + "' -depth 8 rgb:-").c_str(), "r")) {
        unsigned char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            pixels.rgb.insert(pixels.rgb.end(), buffer, buffer + n);
        pclose(pipe);
    }
    return pixels;
}

class SceneWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new Xvfb();
        server->ExportDisplay();
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server->Running()) << server->Error(); }

    static Xvfb* server;
    TempFolder folder;
};
Xvfb* SceneWindow::server = nullptr;

TEST_F(SceneWindow, TheScreenshotShowsEveryPanelSideBySide)
{
    const std::string png = folder.File("panels.png");
    const ProgramResult result =
        RunProgram(TARVENNA_HOST_EMULATOR, {TARVENNA_HOST_EXE, "relay", TARVENNA_MODULE_PATH,
                                            "--screenshot", png, "--milliseconds", "500"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("Screenshot of the editors: " + png), std::string::npos);
    const Pixels pixels = Decode(png);
    ASSERT_EQ(pixels.width, 10 + 4 * 180) << "four nodes";
    ASSERT_EQ(pixels.height, kPanelY + kPanelHeight + 10);
    ASSERT_EQ(pixels.rgb.size(), static_cast<std::size_t>(pixels.width) * pixels.height * 3);
    for (int node = 1; node <= 4; ++node) {
        int drawn = 0;
        for (int y = kPanelY; y < kPanelY + kPanelHeight; y += 4)
            for (int x = PanelX(node); x < PanelX(node) + kPanelWidth; x += 4)
                drawn += pixels.Black(x, y) ? 0 : 1;
        EXPECT_GT(drawn, 1000) << "panel of node " << node;
        EXPECT_TRUE(pixels.Black(PanelX(node) + kPanelWidth + 5, kPanelY + 100))
            << "the gap after node " << node;
    }
}

// The host's window: a top-level window named after the scene.
::Window FindSceneWindow(Display* display)
{
    ::Window root = 0, parent = 0, found = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0)
        return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            if (std::string(name) == "tarvenna-host: a click")
                found = children[i];
            XFree(name);
        }
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

// Both slots hold an editor once the host has opened them.
bool EditorsOpen(Display* display, ::Window window)
{
    ::Window root = 0, parent = 0;
    ::Window* slots = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, window, &root, &parent, &slots, &count) == 0)
        return false;
    unsigned withEditor = 0;
    for (unsigned i = 0; i < count; ++i) {
        ::Window* inner = nullptr;
        unsigned innerCount = 0;
        if (XQueryTree(display, slots[i], &root, &parent, &inner, &innerCount) != 0 && inner) {
            withEditor += innerCount > 0 ? 1 : 0;
            XFree(inner);
        }
    }
    if (slots != nullptr)
        XFree(slots);
    return withEditor == 2;
}

void AskToClose(Display* display, ::Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

TEST_F(SceneWindow, TheHostPlaysOnUntilTheWindowIsClosedAndClicksReachThePlugIn)
{
    ASSERT_TRUE(WriteFile(folder.File("click.json"), R"({"title": "a click",
      "nodes": [{"mode": "Send"}, {"mode": "Receive"}], "blocks": 20})"));
    RunningProgram program =
        StartProgram(TARVENNA_HOST_EMULATOR, {TARVENNA_HOST_EXE, "relay", TARVENNA_MODULE_PATH,
                                              "--gui", "--scene", folder.File("click.json")});
    Display* display = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(display, nullptr);
    ::Window window = 0;
    EXPECT_TRUE(WaitUntil([&] { return (window = FindSceneWindow(display)) != 0; }));
    EXPECT_TRUE(WaitUntil([&] { return window != 0 && EditorsOpen(display, window); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // The receiver's Panic button, which sends its burst to its own host.
    tarvenna::test::ClickOnScreen(display, PanelX(2) + 148, kPanelY + 179);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (window != 0)
        AskToClose(display, window);
    const ProgramResult result = FinishProgram(program);
    XCloseDisplay(display);
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.err.find("block 20 of 20"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("The scene is over"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("32 events, 0 notes"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Block "), std::string::npos) << "no transcript in real time";
}

}  // namespace
}  // namespace tarvenna::host::test
