// A private X server for the toolkit tests, a connection to it handed to the
// toolkit as the host's display, and a control that records what the event
// procedure tells it.
#pragma once

#include <gtest/gtest.h>

#include "gui/SGlobals.h"
#include "gui/SControl.h"
#include "gui/SWindow.h"
#include "gui/Connections.h"
#include "tests/gui/ToolkitResources.h"
#include "tests/support/WaitUntil.h"
#include "host/testing/Xvfb.h"

#include <X11/Xlib.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace guitest {

using kvor::gui::SControl;
using kvor::gui::SEvent;
using kvor::gui::SWindow;
using Rect = SControl::Rect;

// One server and one connection for the whole test program, both ended
// when the program exits.
struct TestServerState {
    TestServerState()
    {
        server = std::make_unique<tarvenna::host::Xvfb>();
        if (server->Running())
            display = XOpenDisplay(server->Name().c_str());
    }
    ~TestServerState()
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }
    std::unique_ptr<tarvenna::host::Xvfb> server;
    Display* display = nullptr;
};

inline TestServerState& TestServer()
{
    static TestServerState state;
    return state;
}

inline Display* TestDisplay() { return TestServer().display; }

struct KeyCall {
    int key;
    bool pressed;
    int modifiers;
    int keyClass;
};

struct Parsed {
    int code;
    int kind;
    int value;
    SControl* sender;
    int shortcutSymbol;
    int shortcutModifiers;
};

class RecordingControl : public SWindow {
public:
    RecordingControl(SGlobals* globals, SControl* parent, unsigned id, int flags, int x, int y,
                     int w, int h, int parentWindow = 0)
        : SWindow(globals, parent, id, "recording", flags, x, y, w, h, parentWindow, false)
    {
    }

    void Draw(const Rect& area) override
    {
        lastDraw = area;
        ++draws;
    }
    void DrawOutlines(const Rect& area) override
    {
        lastOutline = area;
        ++outlines;
    }
    void DrawRegion(kvor::gui::context::SDrawRegion* region) override { lastRegion = region; }
    void DrawArea(unsigned area) override { lastArea = static_cast<int>(area); }
    void MouseStateChanged(bool* flags, int index) override
    {
        changes.push_back(index);
        snapshots.emplace_back(flags, flags + kvor::gui::context::kMouseFlagCount);
    }
    void KeyStateChanged(int key, bool pressed, int modifiers, int keyClass) override
    {
        keys.push_back({key, pressed, modifiers, keyClass});
    }
    void ParseEvent(SEvent* event) override
    {
        if (stopTimerInTick && event->code == kvor::gui::kEventTimerTick)
            StopTimer(true);
        std::lock_guard<std::mutex> guard(parsedLock);
        Parsed entry{event->code, event->kind, event->value, event->sender, 0, 0};
        if (event->code == kvor::gui::kEventKeyShortcut && event->data != nullptr) {
            const auto* record = static_cast<const kvor::gui::SKeyShortcutRecord*>(event->data);
            entry.shortcutSymbol = record->keySymbol;
            entry.shortcutModifiers = record->modifiers;
        }
        parsed.push_back(entry);
        ++parsedCount;
    }
    void CloseDialog() override { ++closeDialogs; }
    void Stop() override
    {
        ++stops;
        SWindow::Stop();
    }

    std::vector<Parsed> Snapshot()
    {
        std::lock_guard<std::mutex> guard(parsedLock);
        return parsed;
    }

    std::atomic<int> draws{0};
    Rect lastDraw{-1, -1, -1, -1};
    int outlines = 0;
    Rect lastOutline{-1, -1, -1, -1};
    kvor::gui::context::SDrawRegion* lastRegion = nullptr;
    int lastArea = -1;
    std::vector<int> changes;
    std::vector<std::vector<bool>> snapshots;
    std::vector<KeyCall> keys;
    std::mutex parsedLock;
    std::vector<Parsed> parsed;
    std::atomic<int> parsedCount{0};
    std::atomic<bool> stopTimerInTick{false};
    int closeDialogs = 0;
    int stops = 0;
};

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        display = TestDisplay();
        if (display == nullptr)
            GTEST_SKIP() << "no X server for the toolkit tests: " << TestServer().server->Error();
        saved = dp.exchange(display);
        Drain();
    }
    void TearDown() override
    {
        if (display != nullptr) {
            // What is left concerns windows the test has destroyed: reading
            // their properties would only print the toolkit's error lines.
            XSync(display, True);
            dp = saved;
        }
    }

    // Hands every queued event to the event procedure, as a host's GUI
    // thread does; returns how many there were.
    int Drain()
    {
        XSync(display, False);
        int count = 0;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            SControl::eventProc(&event);
            ++count;
        }
        return count;
    }

    // Delivers events until the condition holds or the (emulator-tolerant)
    // limit passes.
    template <typename Condition>
    bool PumpUntil(Condition condition,
                   std::chrono::milliseconds limit = tarvenna::test::kWaitLimit)
    {
        return tarvenna::test::WaitUntil(condition, limit, [this] { Drain(); });
    }

    // Sends an event of the given kind to the window through the server, as
    // another client or XTest would.
    void SendThroughServer(Window window, XEvent event, long mask)
    {
        event.xany.window = window;
        event.xany.display = display;
        XSendEvent(display, window, False, mask, &event);
        XSync(display, False);
    }

    XEvent Button(int type, Window window, unsigned button, Time time, int x = 5, int y = 5)
    {
        XEvent event{};
        event.xbutton.type = type;
        event.xbutton.window = window;
        event.xbutton.root = DefaultRootWindow(display);
        event.xbutton.button = button;
        event.xbutton.time = time;
        event.xbutton.x = x;
        event.xbutton.y = y;
        event.xbutton.same_screen = True;
        return event;
    }

    Display* display = nullptr;
    Display* saved = nullptr;
    SGlobals globals;
};

}  // namespace guitest
