// Repaint requests. Any thread may ask; the request is an X event sent to
// the control's own window, and the drawing happens when the event
// procedure receives it on the thread that reads the window's events.
// Each request builds its event on the caller's stack, so two threads may
// ask at the same moment.
#include "gui/SControl.h"

#include "gui/WindowHandles.h"

#include <X11/Xlib.h>

#include <cstdint>

namespace kvor::gui {

namespace {

void SendExpose(Display* display, Window window, const SControl::Rect& area, bool flush)
{
    XEvent event{};
    event.xexpose.type = Expose;
    event.xexpose.display = display;
    event.xexpose.window = window;
    event.xexpose.x = area.x1;
    event.xexpose.y = area.y1;
    event.xexpose.width = area.Width();
    event.xexpose.height = area.Height();
    event.xexpose.count = 0;
    XSendEvent(display, window, False, ExposureMask, &event);
    if (flush)
        XFlush(display);
}

void SendPaintMessage(Display* display, Window window, Atom type, const long (&words)[5])
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i)
        event.xclient.data.l[i] = words[i];
    XSendEvent(display, window, False, NoEventMask, &event);
}

}  // namespace

void SControl::Refresh()
{
    Display* display = DisplayInUse();
    const Window own = window.load();
    if (!IsShown() || display == nullptr || own == 0)
        return;
    SendExpose(display, own, {0, 0, client.Width(), client.Height()}, true);
}

void SControl::RefreshRectangle(const Rect& area)
{
    Display* display = DisplayInUse();
    const Window own = window.load();
    if (!IsShown() || display == nullptr || own == 0)
        return;
    SendExpose(display, own, area, false);
}

void SControl::RefreshOutlines()
{
    Display* display = DisplayInUse();
    const Window own = window.load();
    if (!IsShown() || display == nullptr || own == 0)
        return;
    const long words[5] = {0, 0, 0, client.Width(), client.Height()};
    SendPaintMessage(display, own, AtomsOf(display).paintOutlines, words);
}

// X carries 32 bits per item: the region's address travels as its low and
// high halves in items 1 and 2 (the high half is 0 on 32-bit targets).
void SControl::RefreshRegion(context::SDrawRegion* region)
{
    Display* display = DisplayInUse();
    const Window own = window.load();
    if (!IsShown() || display == nullptr || own == 0)
        return;
    const uint64_t address = reinterpret_cast<uintptr_t>(region);
    const long words[5] = {0, static_cast<long>(static_cast<uint32_t>(address)),
                           static_cast<long>(static_cast<uint32_t>(address >> 32)), 0, 0};
    SendPaintMessage(display, own, AtomsOf(display).paintRegion, words);
}

void SControl::RefreshArea(unsigned area)
{
    Display* display = DisplayInUse();
    const Window own = window.load();
    if (!IsShown() || display == nullptr || own == 0)
        return;
    const long words[5] = {0, static_cast<long>(area), 0, 0, 0};
    SendPaintMessage(display, own, AtomsOf(display).paintArea, words);
}

}  // namespace kvor::gui
