#include "host/testing/BusyHost.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

#include "host/HostInstance.h"
#include "host/MidiBlock.h"
#include "host/XErrorFilter.h"

namespace tarvenna::host {

namespace {

constexpr auto kBlockPause = std::chrono::milliseconds(1);
constexpr auto kRequestPause = std::chrono::milliseconds(2);

// Its id belongs to no window any more: Xlib hands out a connection's ids
// once only.
::Window GoneWindow(Display* display)
{
    const ::Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XDestroyWindow(display, window);
    XSync(display, False);
    return window;
}

void FailRequests(Display* own, FailedXRequests& tally, const std::atomic<bool>& stop)
{
    const ::Window gone = GoneWindow(own);
    while (!stop.load()) {
        XWindowAttributes attributes;
        XGetWindowAttributes(own, gone, &attributes);
        XMapWindow(own, gone);
        XSync(own, False);
        tally.made += 2;
        std::this_thread::sleep_for(kRequestPause);
    }
}

}  // namespace

StressJob PlayNotes(HostInstance& instance, VstInt32 frames)
{
    return [&instance, frames](const std::atomic<bool>& stop) {
        MidiBlock block(2);
        block.Add(MidiMessage{0, 0x90, 60, 100});
        block.Add(MidiMessage{frames / 2, 0x80, 60, 0});
        while (!stop.load()) {
            instance.RunBlock(&block, frames);
            std::this_thread::sleep_for(kBlockPause);
        }
    };
}

StressJob FailXRequests(const std::string& displayName, FailedXRequests& tally)
{
    return [displayName, &tally](const std::atomic<bool>& stop) {
        Display* own = XOpenDisplay(displayName.c_str());
        if (own == nullptr)
            return;
        tally.connected = true;
        QuietXErrors(own);
        FailRequests(own, tally, stop);
        tally.taken = XErrorsTaken(own);
        UnquietXErrors(own);
        XCloseDisplay(own);
    };
}

}  // namespace tarvenna::host
