// Where a control's tip opens when the pointer enters it.
#include "gui/widgets/SToolTipData.h"

#include "gui/Connections.h"
#include "gui/SControl.h"
#include "gui/SDisplay.h"
#include "gui/widgets/SToolTip.h"

#include <X11/Xlib.h>

namespace kvor::gui {

namespace {

// Halves rounded towards minus infinity, for negative sizes too.
int FloorHalf(int value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }

// The bounding box of all monitors, or the screen while none are known.
SControl::Rect DisplayBounds()
{
    const SDisplay* monitors = SDisplay::ProcessMonitors();
    if (monitors != nullptr && monitors->Bounds().Width() > 0 && monitors->Bounds().Height() > 0)
        return monitors->Bounds();
    Display* display = DisplayInUse();
    if (display == nullptr)
        return SControl::Rect{0, 0, 0, 0};
    const int screen = DefaultScreen(display);
    return SControl::Rect{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

}  // namespace

// In screen coordinates, offset by the data's offset for the side it is on.
SToolTipData::Point SToolTipData::PlaceBeside(SControl& control)
{
    if (tip == nullptr)
        return Point{0, 0};
    const int tipWidth = ContentWidth() + 48;
    const int tipHeight = ContentHeight() + 16;
    const int w = control.GetClient().Width();
    const int h = control.GetClient().Height();
    const SControl::Rect bounds = DisplayBounds();
    const auto onScreen = [this, &control](Point at) {
        control.GetClient2Screen(at);
        const Point offset = GetOffset();
        return Point{at.x + offset.x, at.y + offset.y};
    };
    const Point above{FloorHalf(w - tipWidth), -tipHeight - 3};
    const Point below{FloorHalf(w - tipWidth), h + 3};
    const Point right{w + 3, FloorHalf(h - tipHeight)};
    const Point left{-tipWidth - 3, FloorHalf(h - tipHeight)};
    tip->SetFlipped(false);
    Point preferred;
    Point other;
    bool leaves;
    switch (Placement()) {
    case kTipAbove:
        preferred = onScreen(above);
        other = below;
        leaves = preferred.y < bounds.y1;
        break;
    case kTipRight:
        preferred = onScreen(right);
        other = left;
        leaves = preferred.x + ContentWidth() > bounds.x2;
        break;
    case kTipBelow:
        preferred = onScreen(below);
        other = above;
        leaves = preferred.y + ContentHeight() > bounds.y2;
        break;
    default:
        preferred = onScreen(left);
        other = right;
        leaves = preferred.x < bounds.x1;
        break;
    }
    if (!leaves)
        return preferred;
    tip->SetFlipped(true);
    return onScreen(other);
}

}  // namespace kvor::gui
