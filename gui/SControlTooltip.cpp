// A control's tooltip hooks: the data it owns, opening and closing its tip,
// and where the tip goes beside it when the pointer enters.
#include "gui/SControl.h"

#include "gui/Connections.h"
#include "gui/SDisplay.h"
#include "gui/widgets/SToolTip.h"
#include "gui/widgets/SToolTipData.h"

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

void SControl::SetTooltip(SToolTip* tip, const char* text, int placement)
{
    DeleteTooltipData();
    auto* data = new SToolTipData(tip, this, placement);
    data->AddLabel(text, 0);
    tooltipData = data;
    if (tip != nullptr)
        tip->Register(this);
}

void SControl::SetTooltip(SToolTip* tip, const Text& text, int placement)
{
    SetTooltip(tip, text.data, placement);
}

void SControl::SetTooltip(SToolTip* tip, SToolTipData* data, int)
{
    if (data != tooltipData)
        DeleteTooltipData();
    tooltipData = data;
    SToolTip* owner = tip != nullptr ? tip : (data != nullptr ? data->Tip() : nullptr);
    if (owner != nullptr)
        owner->Register(this);
}

void SControl::ShowTooltip(const Point& where)
{
    if (tooltipData != nullptr && tooltipData->Tip() != nullptr)
        tooltipData->Tip()->Open(tooltipData, where);
}

void SControl::HideTooltip()
{
    if (tooltipData != nullptr)
        tooltipData->Close();
}

void SControl::CloseTip() { HideTooltip(); }

void SControl::DeleteTooltipData()
{
    SToolTipData* doomed = tooltipData;
    tooltipData = nullptr;
    delete doomed;
}

// Beside the control on the data's side, in screen coordinates; when the
// tip would leave the display there, on the opposite side instead.
SControl::Point SControl::TooltipPlace()
{
    SToolTipData* data = tooltipData;
    if (data == nullptr || data->Tip() == nullptr)
        return Point{0, 0};
    SToolTip* tip = data->Tip();
    const int tipWidth = data->ContentWidth() + 48;
    const int tipHeight = data->ContentHeight() + 16;
    const int w = client.Width();
    const int h = client.Height();
    const Rect bounds = DisplayBounds();
    const auto onScreen = [this, data](Point at) {
        GetClient2Screen(at);
        const Point offset = data->GetOffset();
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
    switch (data->Placement()) {
    case kTipAbove:
        preferred = onScreen(above);
        other = below;
        leaves = preferred.y < bounds.y1;
        break;
    case kTipRight:
        preferred = onScreen(right);
        other = left;
        leaves = preferred.x + data->ContentWidth() > bounds.x2;
        break;
    case kTipBelow:
        preferred = onScreen(below);
        other = above;
        leaves = preferred.y + data->ContentHeight() > bounds.y2;
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
