// The info box of the real module, loaded through our host library, with a
// host that dispatches no X events at all: before any editor is opened the
// box lives on the module's own connection, and the module itself must
// paint it and answer its OK button.
#include "host/Host.h"
#include "tests/support/Clicks.h"
#include "tests/support/ModuleOnXvfb.h"
#include "tests/support/ProcessThreads.h"
#include "tests/support/StderrCapture.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <dlfcn.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using tarvenna::host::HostInstance;
using tarvenna::test::ClickOnScreen;
using tarvenna::test::ThreadsOfProcess;
using tarvenna::test::WaitUntil;

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kSlate = 0x4D5154;  // colour 24, (77, 81, 84)

struct Box {
    Window window = 0;
    XWindowAttributes attributes{};
};

class ModuleInfoBox : public tarvenna::test::ModuleOnXvfb {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ModuleOnXvfb::SetUp());
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &event, &error, &major, &minor))
            GTEST_SKIP() << "the test server has no XTest";
    }

    void TearDown() override
    {
        nodes.clear();
        const bool loaded = module.Loaded();
        ModuleOnXvfb::TearDown();
        void* still = loaded ? dlopen(TARVENNA_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD) : nullptr;
        EXPECT_EQ(still, nullptr) << "the module stayed mapped after unload";
        if (still != nullptr)
            dlclose(still);
    }

    // The shown top-level window named like the box, if there is one.
    Box FindBox()
    {
        Box found;
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
            return found;
        for (unsigned i = 0; i < count && found.window == 0; ++i) {
            char* name = nullptr;
            const bool named = XFetchName(display, children[i], &name) && name != nullptr &&
                               std::string(name) == "Tarvenna";
            if (name != nullptr)
                XFree(name);
            XWindowAttributes attributes{};
            if (named && XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.map_state == IsViewable)
                found = Box{children[i], attributes};
        }
        if (children != nullptr)
            XFree(children);
        return found;
    }

    // Black 10-pixel bands along the edges around the slate ground.
    bool Painted(const Box& box)
    {
        const int w = box.attributes.width;
        const int h = box.attributes.height;
        XImage* image = XGetImage(display, box.window, 0, 0, static_cast<unsigned>(w),
                                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
        if (image == nullptr)
            return false;
        const auto at = [image](int x, int y) {
            return static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
        };
        const bool painted = at(5, h / 2) == kBlack && at(w - 5, h / 2) == kBlack &&
                             at(w / 2, h - 5) == kBlack && at(14, h - 15) == kSlate;
        XDestroyImage(image);
        return painted;
    }

    // The box appears, painted, within 2 s; a real click on OK (centred,
    // 40 pixels above the bottom edge) hides it within 1 s, and the thread
    // that read the box's events ends, as nothing needs it any more.
    void ExpectBoxAnswers(int threadsBefore)
    {
        Box box;
        ASSERT_TRUE(WaitUntil(
            [&] {
                box = FindBox();
                return box.window != 0 && Painted(box);
            },
            std::chrono::seconds(2)))
            << (box.window == 0 ? "no box was shown" : "the box was not painted");
        ClickOnScreen(display, box.attributes.x + box.attributes.width / 2,
                      box.attributes.y + box.attributes.height - 30);
        EXPECT_TRUE(WaitUntil([&] { return FindBox().window == 0; }, std::chrono::seconds(1)))
            << "OK did not hide the box";
        EXPECT_TRUE(WaitUntil([&] { return ThreadsOfProcess() == threadsBefore; }))
            << "the event thread went on after the box had gone";
    }

    std::vector<std::unique_ptr<HostInstance>> nodes;
};

TEST_F(ModuleInfoBox, TheSixtyFifthInstanceShowsABoxThatPaintsAndCloses)
{
    for (int i = 0; i < 64; ++i) {
        nodes.push_back(host.Instantiate(module));
        ASSERT_NE(nodes.back(), nullptr) << host.LastError();
    }
    EXPECT_EQ(FindBox().window, 0u);
    const int threadsBefore = ThreadsOfProcess();
    {
        StderrCapture quiet;
        EXPECT_EQ(host.Instantiate(module), nullptr);
    }
    ExpectBoxAnswers(threadsBefore);
}

TEST_F(ModuleInfoBox, ARefusedHostShowsABoxThatPaintsAndCloses)
{
    host.Defaults().product = "Usine Hollyhock";
    const int threadsBefore = ThreadsOfProcess();
    {
        StderrCapture quiet;
        EXPECT_EQ(host.Instantiate(module), nullptr);
    }
    ExpectBoxAnswers(threadsBefore);
}

}  // namespace
