// Keyboard focus, mouse capture and pointer warping.
//
// Focus requests name windows that may be gone or not viewable (the window
// remembered from before, the host's window); X answers those with an
// error, which must not reach the host's handler, so they run under the
// error trap.
#include "gui/SControl.h"

#include "gui/SGlobals.h"
#include "gui/XErrorTrap.h"

#include <X11/Xlib.h>

namespace kvor::gui {

namespace {

void GuardedSetFocus(Display* display, Window target)
{
    XErrorTrap trap(display);
    XSetInputFocus(display, target, RevertToNone, CurrentTime);
    trap.Sync();
}

}  // namespace

void SControl::Focus(bool take)
{
    Display* display = GetDisplay();
    const Window own = window.load();
    if (releasing.load() || !IsShown() || display == nullptr || own == 0)
        return;
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(display, &focused, &revert);
    if (take) {
        if (focused == own)
            return;
        previousFocus = focused;
        GuardedSetFocus(display, own);
    } else if (focused == own) {
        GuardedSetFocus(display, previousFocus);
    }
}

void SControl::FocusTopParent()
{
    Display* display = GetDisplay();
    if (globals == nullptr || globals->parentWindow == 0 || display == nullptr)
        return;
    const Window host = globals->parentWindow;
    Window root = 0;
    Window up = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Status status;
    {
        XErrorTrap trap(display);
        status = XQueryTree(display, host, &root, &up, &children, &count);
        if (trap.Failed())
            status = 0;
    }
    if (children != nullptr)
        XFree(children);
    if (status == 0)
        return;
    GuardedSetFocus(display, up == root || up == 0 ? host : up);
}

void SControl::MouseSetCapture()
{
    capture = this;
    if (input != nullptr)
        input->flags[context::kMouseCaptured] = true;
    Display* display = GetDisplay();
    const Window own = window.load();
    if (display == nullptr || own == 0)
        return;
    const unsigned mask = ButtonPressMask | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask |
                          PointerMotionMask | ButtonMotionMask;
    const int result = XGrabPointer(display, own, False, mask, GrabModeAsync, GrabModeAsync, None,
                                    None, CurrentTime);
    if (result != GrabSuccess) {
        SControl* self = this;
        capture.compare_exchange_strong(self, nullptr);
        if (input != nullptr)
            input->flags[context::kMouseCaptured] = false;
    }
}

// Only the holder ends a capture: another control's grab stays in force.
void SControl::MouseReleaseCapture()
{
    if (input != nullptr)
        input->flags[context::kMouseCaptured] = false;
    SControl* self = this;
    if (!capture.compare_exchange_strong(self, nullptr))
        return;
    Display* display = GetDisplay();
    if (display != nullptr) {
        XUngrabPointer(display, CurrentTime);
        XFlush(display);
    }
}

void SControl::MousePointer(int x, int y)
{
    Display* display = GetDisplay();
    if (display != nullptr && window.load() != 0)
        XWarpPointer(display, None, window.load(), 0, 0, 0, 0, x, y);
}

}  // namespace kvor::gui
