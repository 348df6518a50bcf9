// The widgets on a private X server, driven as a user would: a top-level
// window of the toolkit to put them in, real pointer and key input through
// XTest, the events handed to the event procedure as a host does, and what
// the server shows read back pixel by pixel.
#pragma once

#include "tests/gui/GuiFixture.h"

#include "tests/gui/ToolkitResources.h"
#include "gui/SResourceCache.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdint>
#include <vector>

namespace widgettest {

using guitest::Parsed;
using guitest::RecordingControl;
using kvor::gui::SControl;
using kvor::gui::SWindow;
using Rect = SControl::Rect;
using Point = SControl::Point;

// What a window shows, as 0xRRGGBB values of the 24-bit test screen.
class Picture {
public:
    Picture(Display* display, unsigned long window, int w, int h) : width(w), height(h)
    {
        XSync(display, False);
        XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(w),
                                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
        if (image == nullptr)
            return;
        values.reserve(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                values.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        XDestroyImage(image);
    }

    bool Read() const { return !values.empty(); }
    uint32_t At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height || values.empty())
            return 0xFFFFFFFF;
        return values[static_cast<size_t>(y) * width + x];
    }
    int Count(uint32_t colour, const Rect& area) const
    {
        int count = 0;
        for (int y = area.y1; y < area.y2; ++y)
            for (int x = area.x1; x < area.x2; ++x)
                count += At(x, y) == colour ? 1 : 0;
        return count;
    }
    int Count(uint32_t colour) const { return Count(colour, Rect{0, 0, width, height}); }

    const int width;
    const int height;

private:
    std::vector<uint32_t> values;
};

class WidgetTest : public guitest::GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        if (display == nullptr)
            return;
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &event, &error, &major, &minor))
            GTEST_SKIP() << "the test server has no XTest";
        // The colour table and the caches of this server, which the widgets
        // draw with as the module's start-up would have them.
        tarvenna::test::ToolkitResources().Clear();
        tarvenna::test::ToolkitResources().ClearColours();
        tarvenna::test::ToolkitResources().AddStandardColours();
        kvor::gui::SetSharedResources(&tarvenna::test::ToolkitResources());
        host = new SWindow(&globals, nullptr, 1, "widget host", 0, 50, 50, 400, 300, 0, false);
        host->SetColours(Colour(26), Colour(26), Colour(26), Colour(0), Colour(0), Colour(0),
                         Colour(0));
        host->Show();
        Drain();
    }

    // What is queued after the windows are gone concerns windows that no
    // longer exist: GuiTest's tear-down drops it.
    void TearDown() override
    {
        if (display != nullptr)
            Drain();
        delete host;
        host = nullptr;
        if (display != nullptr)
            tarvenna::test::ToolkitResources().Clear();
        kvor::gui::SetSharedResources(nullptr);
        GuiTest::TearDown();
    }

    static int Colour(int slot) { return kvor::gui::SharedResources().Colour(slot); }
    static uint32_t Pixel(int slot) { return static_cast<uint32_t>(Colour(slot)) & 0xFFFFFF; }

    unsigned NextId() { return static_cast<unsigned>(globals.identifierCounter.fetch_add(1) + 1); }

    // A widget in the host window, shown and drawn.
    template <typename Widget, typename... More>
    Widget* Place(int flags, int x, int y, int w, int h, More... more)
    {
        auto* widget = new Widget(&globals, host, NextId(), "widget", flags, x, y, w, h,
                                  static_cast<int>(host->GetWindow()), more...);
        host->Add(widget);
        return widget;
    }

    Point Origin(const SControl& control)
    {
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(display, control.GetWindow(), DefaultRootWindow(display), 0, 0, &x,
                              &y, &child);
        return Point{x, y};
    }

    void MoveTo(const SControl& control, int x, int y)
    {
        const Point origin = Origin(control);
        XTestFakeMotionEvent(display, DefaultScreen(display), origin.x + x, origin.y + y, 0);
        XSync(display, False);
    }

    void PressButton(unsigned button, bool down)
    {
        XTestFakeButtonEvent(display, button, down ? True : False, 0);
        XSync(display, False);
    }

    // A press and a release at a point of the control, each handed on
    // before the next.
    void Click(const SControl& control, int x, int y, unsigned button = Button1)
    {
        MoveTo(control, x, y);
        Drain();
        PressButton(button, true);
        Drain();
        PressButton(button, false);
        Drain();
    }

    void Key(unsigned long symbol)
    {
        const KeyCode code = XKeysymToKeycode(display, symbol);
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
        XSync(display, False);
        Drain();
    }

    Picture Shot(const SControl& control)
    {
        Drain();
        return Picture(display, control.GetWindow(), control.GetClient().Width(),
                       control.GetClient().Height());
    }

    // Code-3 values reported to the listener.
    static std::vector<int> Values(RecordingControl& listener, int code = 3)
    {
        std::vector<int> values;
        for (const Parsed& entry : listener.Snapshot())
            if (entry.code == code)
                values.push_back(entry.value);
        return values;
    }

    RecordingControl* Listener()
    {
        auto* listener = new RecordingControl(&globals, host, NextId(), 0, 390, 290, 1, 1,
                                              static_cast<int>(host->GetWindow()));
        host->Add(listener);
        return listener;
    }

    SWindow* host = nullptr;
};

}  // namespace widgettest
