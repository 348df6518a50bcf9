// How a value control paints itself: everything goes into the off-screen
// buffer first and reaches the window in one copy.
#include "gui/widgets/SControllable.h"

#include "gui/SResourceCache.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawing.h"

#include <cstdio>

namespace kvor::gui {

namespace {

constexpr int kRadius = 5;

}  // namespace

void SControllable<int, true>::DrawHandle()
{
    const int start = CalcHandleOffset();
    if (vertical) {
        const int x = handleZone.x1 + (handleZone.Width() - handleWidth) / 2;
        handleRect = Rect{x, start, x + handleWidth, start + handleHeight};
    } else {
        const int y = handleZone.y1 + (handleZone.Height() - handleHeight) / 2;
        handleRect = Rect{start, y, start + handleWidth, y + handleHeight};
    }
    if ((sliderType & kSliderBitmapHandle) && handleDevice != nullptr) {
        drawing->DrawMemory(handleDevice, Point{handleRect.x1, handleRect.y1},
                            Rect{0, 0, handleWidth, handleHeight});
        return;
    }
    SResourceCache& shared = SharedResources();
    drawing->SetPen(shared.FindPen(handleFill));
    drawing->SetBrush(shared.FindBrush(handleFill));
    const bool round = HasStyle(kStyleSubclass);
    if (round)
        drawing->FillRoundedRect(handleRect, kRadius, kRadius);
    else
        drawing->FillRect(handleRect);
    drawing->SetPen(shared.FindPen(handleLine));
    if (round)
        drawing->DrawRoundedRect(handleRect, kRadius, kRadius);
    else
        drawing->DrawRect(handleRect);
}

void SControllable<int, true>::DrawValue()
{
    if (valueFont == nullptr)
        return;
    char text[16];
    std::snprintf(text, sizeof text, "%i", GetValue());
    drawing->SetFont(valueFont);
    drawing->SetTextColour(valueColour, false);
    drawing->DrawLabel(text, valueZone, 0, valueOffset);
}

void SControllable<int, true>::Draw(const Rect& area)
{
    if (drawing == nullptr)
        return;
    if (bufferDevice == nullptr) {
        SLabel<true>::Draw(area);
        return;
    }
    context::SDrawDevice* window = drawing->GetDevice();
    drawing->SetDevice(bufferDevice);
    const Rect whole{0, 0, client.Width(), client.Height()};
    const bool round = HasStyle(kStyleSubclass);
    SResourceCache& shared = SharedResources();
    if (round) {
        drawing->DrawBackground(whole, true);
        const int ground = drawing->GetBackgroundColour();
        drawing->SetPen(shared.FindPen(ground));
        drawing->SetBrush(shared.FindBrush(ground));
        drawing->FillRoundedRect(whole, kRadius, kRadius);
    } else {
        drawing->DrawBackground(whole, false);
    }
    if (HasStyle(kStyleCaptureOnPress)) {
        drawing->SetPen(shared.FindPen(zoneFill));
        drawing->SetBrush(shared.FindBrush(zoneFill));
        if (round)
            drawing->FillRoundedRect(handleZone, kRadius, kRadius);
        else
            drawing->FillRect(handleZone);
        drawing->SetPen(shared.FindPen(zoneLine));
        if (round)
            drawing->DrawRoundedRect(handleZone, kRadius, kRadius);
        else
            drawing->DrawRect(handleZone);
    }
    DrawHandle();
    if (round)
        DrawValue();
    DrawOutlines(whole);
    drawing->SetDevice(window);
    drawing->DrawMemory(bufferDevice, Point{0, 0}, whole);
}

// The highlight, then the hover colour, then the frame colour; otherwise
// the parent's ground, which wipes out a hover outline.
void SControllable<int, true>::DrawOutlines(const Rect& area)
{
    if (drawing == nullptr)
        return;
    int colour;
    if (highlighted)
        colour = highlightColour;
    else if (hovering.load())
        colour = HoverColour(GetValue());
    else if (HasStyle(kStyleOutline))
        colour = drawing->GetFrameColour(Enabled(), false);
    else
        colour = drawing->GetParentBackgroundColour();
    DrawFrame(area, colour);
}

}  // namespace kvor::gui
