// Showing, hiding, sizing and moving a control, reparenting it, and
// translating between its coordinates and the screen's.
#include "gui/SControl.h"
#include "gui/WindowHandles.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace kvor::gui {

void SControl::Show()
{
    Display* display = GetDisplay();
    if (IsShown())
        return;
    if (display != nullptr && window.load() != 0)
        XMapRaised(display, window.load());
    AddState(kStateShown);
    Refresh();
}

void SControl::Hide()
{
    Display* display = GetDisplay();
    if (IsShown() && display != nullptr && window.load() != 0) {
        XUnmapWindow(display, window.load());
        XFlush(display);
    }
    RemoveState(kStateShown);
}

void SControl::SetSize(int w, int h)
{
    outer.x2 = outer.x1 + w;
    outer.y2 = outer.y1 + h;
    client = {0, 0, w, h};
    Display* display = GetDisplay();
    if (display != nullptr && window.load() != 0)
        XResizeWindow(display, window.load(), WindowExtent(w), WindowExtent(h));
}

void SControl::SetPosition(int x, int y)
{
    const int w = outer.Width();
    const int h = outer.Height();
    outer = {x, y, x + w, y + h};
    Display* display = GetDisplay();
    if (display != nullptr && window.load() != 0)
        XMoveWindow(display, window.load(), x, y);
}

void SControl::Move(int dx, int dy) { SetPosition(outer.x1 + dx, outer.y1 + dy); }

void SControl::Move(Point& offset) { Move(offset.x, offset.y); }

void SControl::Move(const Point& offset) { Move(offset.x, offset.y); }

void SControl::Foreground(bool)
{
    Display* display = GetDisplay();
    if (display != nullptr && window.load() != 0)
        XRaiseWindow(display, window.load());
}

void SControl::Resized(bool refresh)
{
    Display* display = GetDisplay();
    XWindowAttributes attributes{};
    if (display == nullptr || window.load() == 0 ||
        !XGetWindowAttributes(display, window.load(), &attributes))
        return;
    outer = {attributes.x, attributes.y, attributes.x + attributes.width,
             attributes.y + attributes.height};
    client = {0, 0, attributes.width, attributes.height};
    if (refresh)
        Refresh();
}

void SControl::Reparent(int newParent)
{
    Display* display = GetDisplay();
    if (display == nullptr || window.load() == 0)
        return;
    const bool wasShown = IsShown();
    Hide();
    Window target = static_cast<Window>(static_cast<unsigned>(newParent));
    if (target == 0)
        target = DefaultRootWindow(display);
    parentWindow = target;
    XReparentWindow(display, window.load(), target, outer.x1, outer.y1);
    if (wasShown)
        Show();
    XFlush(display);
}

void SControl::GetClient2Screen(int& x, int& y)
{
    Display* display = GetDisplay();
    if (display == nullptr || window.load() == 0)
        return;
    Window child;
    XTranslateCoordinates(display, window.load(), DefaultRootWindow(display), x, y, &x, &y, &child);
}

void SControl::GetClient2Screen(Point& point) { GetClient2Screen(point.x, point.y); }

void SControl::GetScreen2Client(int& x, int& y)
{
    Display* display = GetDisplay();
    if (display == nullptr || window.load() == 0)
        return;
    Window child;
    XTranslateCoordinates(display, DefaultRootWindow(display), window.load(), x, y, &x, &y, &child);
}

void SControl::GetScreen2Client(Point& point) { GetScreen2Client(point.x, point.y); }

SControl::Point SControl::GetTopPosition()
{
    Display* display = GetDisplay();
    Window current = window.load();
    if (display == nullptr || current == 0)
        return {0, 0};
    for (;;) {
        Window root = 0;
        Window up = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, current, &root, &up, &children, &count))
            break;
        if (children != nullptr)
            XFree(children);
        if (up == 0 || up == root)
            break;
        current = up;
    }
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, current, &attributes))
        return {0, 0};
    return {attributes.x, attributes.y};
}

SControl::Point SControl::GetScreenPosition()
{
    Display* display = GetDisplay();
    XWindowAttributes attributes{};
    if (display == nullptr || window.load() == 0 ||
        !XGetWindowAttributes(display, window.load(), &attributes))
        return {0, 0};
    return {attributes.x, attributes.y};
}

}  // namespace kvor::gui
