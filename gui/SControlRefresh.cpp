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

// Where a repaint request for the control goes: its own window, over the
// drawing connection. None goes while the control is hidden, either is
// missing or the window is known to be gone; then the display is null.
struct Target {
    Display* display = nullptr;
    Window window = 0;
};

Target TargetOf(const SControl& control)
{
    Display* display = control.GetDisplay();
    const Window own = control.GetWindow();
    if (!control.IsShown() || display == nullptr || own == 0 || control.WindowLost())
        return {};
    return {display, own};
}

void SendExpose(const SControl& control, const SControl::Rect& area, bool flush)
{
    const Target target = TargetOf(control);
    if (target.display == nullptr)
        return;
    XEvent event{};
    event.xexpose.type = Expose;
    event.xexpose.display = target.display;
    event.xexpose.window = target.window;
    event.xexpose.x = area.x1;
    event.xexpose.y = area.y1;
    event.xexpose.width = area.Width();
    event.xexpose.height = area.Height();
    event.xexpose.count = 0;
    XSendEvent(target.display, target.window, False, ExposureMask, &event);
    if (flush)
        XFlush(target.display);
}

void SendPaintMessage(const SControl& control, unsigned long ToolkitAtoms::*type,
                      const long (&words)[5])
{
    const Target target = TargetOf(control);
    if (target.display == nullptr)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = target.display;
    event.xclient.window = target.window;
    event.xclient.message_type = AtomsOf(target.display).*type;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i)
        event.xclient.data.l[i] = words[i];
    XSendEvent(target.display, target.window, False, NoEventMask, &event);
}

}  // namespace

void SControl::Refresh() { SendExpose(*this, {0, 0, client.Width(), client.Height()}, true); }

void SControl::RefreshRectangle(const Rect& area) { SendExpose(*this, area, false); }

void SControl::RefreshOutlines()
{
    const long words[5] = {0, 0, 0, client.Width(), client.Height()};
    SendPaintMessage(*this, &ToolkitAtoms::paintOutlines, words);
}

// X carries 32 bits per item: the region's address travels as its low and
// high halves in items 1 and 2 (the high half is 0 on 32-bit targets).
void SControl::RefreshRegion(context::SDrawRegion* region)
{
    const uint64_t address = reinterpret_cast<uintptr_t>(region);
    const long words[5] = {0, static_cast<long>(static_cast<uint32_t>(address)),
                           static_cast<long>(static_cast<uint32_t>(address >> 32)), 0, 0};
    SendPaintMessage(*this, &ToolkitAtoms::paintRegion, words);
}

void SControl::RefreshArea(unsigned area)
{
    const long words[5] = {0, static_cast<long>(area), 0, 0, 0};
    SendPaintMessage(*this, &ToolkitAtoms::paintArea, words);
}

}  // namespace kvor::gui
