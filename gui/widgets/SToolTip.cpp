// The tip window: opening and closing it, the switch, and its drawing.
#include "gui/widgets/SToolTip.h"

#include "gui/SColour.h"
#include "gui/SDrawFont.h"
#include "gui/SGlobals.h"
#include "gui/SResourceCache.h"
#include "gui/SWindow.h"
#include "gui/SDrawObject.h"
#include "gui/SDrawing.h"
#include "gui/widgets/SToolTipData.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>

namespace kvor::gui {

namespace {

constexpr int kCorner = 7;

}  // namespace

STipContent* SToolTip::MakeContent(SControl* control, const char* text, int placement)
{
    auto* data = new SToolTipData(this, control, placement);
    data->AddLabel(text, 0);
    return data;
}

SToolTip::SToolTip(SWindow* window, bool) : ownerWindow(window), switchColour(0)
{
    char tipName[64];
    std::snprintf(tipName, sizeof tipName, "%s (Tooltip)",
                  window != nullptr ? window->GetLabel().data : "");
    SGlobals* shared = window != nullptr ? window->GetGlobals() : nullptr;
    const unsigned id =
        shared != nullptr ? static_cast<unsigned>(shared->identifierCounter.fetch_add(1) + 1) : 0;
    const int under = window != nullptr ? static_cast<int>(window->GetWindow()) : 0;
    Create(shared, window, id, tipName, kStylePopup | kStyleOnRoot, 100, 100, 200, 32, under,
           false);
    const int white = SCOL(255, 255, 255);
    const int black = SCOL(0, 0, 0);
    SetColours(white, white, white, black, black, white, white);
    textColour = black;
    titleColour = SCOL(255, 0, 0);
    arrowColour = SCOL(255, 128, 0);
    normalFont = new context::SDrawFont(10, false, false, false, nullptr);
    boldFont = new context::SDrawFont(10, true, false, false, nullptr);
    switchColour = SharedColour(SResourceCache::kBlue);
    HearCrossings();
    if (window != nullptr)
        window->Add(this);
}

// A popup takes no pointer input, but the tip must hear the pointer leave
// it: a pointer that went in while its control held the capture (which
// keeps the control from hearing it leave) would otherwise leave the tip
// open.
void SToolTip::HearCrossings()
{
    Display* display = GetDisplay();
    XWindowAttributes attributes;
    if (display == nullptr || GetWindow() == 0 ||
        XGetWindowAttributes(display, GetWindow(), &attributes) == 0)
        return;
    XSelectInput(display, GetWindow(),
                 attributes.your_event_mask | EnterWindowMask | LeaveWindowMask);
}

// Controls still using this tip keep their data, which from now on has no
// tip to open.
SToolTip::~SToolTip()
{
    for (SControl* control : controls) {
        auto* data = static_cast<SToolTipData*>(control->GetTooltipData());
        if (data != nullptr && data->Tip() == this)
            data->ForgetTip();
    }
    controls.clear();
    current = nullptr;
    delete normalFont;
    normalFont = nullptr;
    delete boldFont;
    boldFont = nullptr;
}

void SToolTip::Open(SToolTipData* data, const Point& where)
{
    if (data == nullptr)
        return;
    Close();
    SetData(data);
    SetPosition(where.x, where.y);
    Show();
    open = true;
    openWord = 0;
}

bool SToolTip::SetData(SToolTipData* data)
{
    if (data == nullptr)
        return false;
    current = data;
    SetSize(data->ContentWidth() + 48, data->ContentHeight() + 16);
    if (roundShape) {
        SetRoundShape(false);
        SetRoundShape(true);
    }
    return true;
}

void SToolTip::Close()
{
    if (!open.exchange(false))
        return;
    Hide();
}

void SToolTip::EnableTooltips(bool on)
{
    tooltipsOn = on ? 1 : 0;
    for (SControl* control : controls)
        control->EnableTooltip(on);
    switchColour = SharedColour(on ? SResourceCache::kRed : SResourceCache::kBlue);
}

void SToolTip::ToggleTooltips() { EnableTooltips(tooltipsOn == 0); }

void SToolTip::DrawTiprect(context::SDrawing* target)
{
    if (target == nullptr)
        return;
    target->SetBrush(SharedResources().FindBrush(switchColour));
    target->FillRect(switchSquare);
}

void SToolTip::Register(SControl* control)
{
    if (control != nullptr &&
        std::find(controls.begin(), controls.end(), control) == controls.end())
        controls.push_back(control);
}

void SToolTip::Unregister(SControl* control)
{
    controls.erase(std::remove(controls.begin(), controls.end(), control), controls.end());
}

void SToolTip::Forget(SToolTipData* data)
{
    if (data == nullptr || current != data)
        return;
    Close();
    current = nullptr;
}

void SToolTip::MouseStateChanged(bool* flags, int index)
{
    SControl::MouseStateChanged(flags, index);
    if (index == context::kMouseLeft || !flags[context::kMouseInside])
        Close();
}

void SToolTip::DrawFrame(int w, int h)
{
    const Rect whole{0, 0, w, h};
    SResourceCache& shared = SharedResources();
    const int black = shared.Colour(SResourceCache::kBlack);
    if (roundShape) {
        const int ground = drawing->GetBackgroundColour();
        drawing->SetPen(shared.FindPen(ground));
        drawing->SetBrush(shared.FindBrush(ground));
        drawing->FillRoundedRect(whole, kCorner, kCorner);
        drawing->SetPen(shared.FindPen(black));
        drawing->DrawRoundedRect(whole, kCorner, kCorner);
    } else {
        drawing->DrawBackground(whole, false);
        drawing->SetPen(shared.FindPen(black));
        drawing->DrawRect(whole);
    }
}

// The edge of the tip that faces its control, where the arrow sits.
namespace {

enum class Edge { Bottom, Top, Left, Right };

Edge FacingEdge(int placement, bool flipped)
{
    switch (placement) {
    case kTipAbove:
        return flipped ? Edge::Top : Edge::Bottom;
    case kTipBelow:
        return flipped ? Edge::Bottom : Edge::Top;
    case kTipRight:
        return flipped ? Edge::Right : Edge::Left;
    default:
        return flipped ? Edge::Left : Edge::Right;
    }
}

}  // namespace

void SToolTip::DrawArrow(int w, int h)
{
    const int midX = w / 2;
    const int midY = h / 2;
    Point points[4];
    switch (FacingEdge(current->Placement(), flipped != 0)) {
    case Edge::Bottom:
        points[0] = {midX, h - 1};
        points[1] = {midX + 3, h - 5};
        points[2] = {midX - 3, h - 5};
        break;
    case Edge::Top:
        points[0] = {midX, 1};
        points[1] = {midX + 3, 5};
        points[2] = {midX - 3, 5};
        break;
    case Edge::Left:
        points[0] = {1, midY};
        points[1] = {5, midY - 3};
        points[2] = {5, midY + 3};
        break;
    case Edge::Right:
        points[0] = {w - 1, midY};
        points[1] = {w - 5, midY - 3};
        points[2] = {w - 5, midY + 3};
        break;
    }
    points[3] = points[0];
    SResourceCache& shared = SharedResources();
    drawing->SetPen(shared.FindPen(arrowColour));
    drawing->SetBrush(shared.FindBrush(arrowColour));
    drawing->FillPoly(points, 4);
}

void SToolTip::Draw(const Rect&)
{
    if (drawing == nullptr)
        return;
    const int w = client.Width();
    const int h = client.Height();
    DrawFrame(w, h);
    if (current == nullptr || current->Objects().empty())
        return;
    for (context::SDrawObject* object : current->Objects())
        object->Draw(drawing);
    DrawArrow(w, h);
}

}  // namespace kvor::gui
