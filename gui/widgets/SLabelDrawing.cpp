// How a label paints itself: its ground, its lines and its outline. Pens
// and brushes come from the shared caches.
#include "gui/widgets/SLabel.h"

#include "gui/SResourceCache.h"
#include "gui/SDrawing.h"

namespace kvor::gui {

template <bool B> void SLabel<B>::DrawGround(const Rect& area)
{
    if (drawing == nullptr)
        return;
    if (!HasStyle(kStyleSubclass)) {
        drawing->DrawBackground(area, false);
        return;
    }
    SResourceCache& shared = SharedResources();
    drawing->DrawBackground(area, true);
    const int ground = drawing->GetBackgroundColour();
    drawing->SetPen(shared.FindPen(ground));
    drawing->SetBrush(shared.FindBrush(ground));
    drawing->FillRoundedRect(area, rounding, rounding);
}

template <bool B> void SLabel<B>::DrawFrame(const Rect& area, int colour)
{
    if (drawing == nullptr)
        return;
    drawing->SetPen(SharedResources().FindPen(colour));
    if (HasStyle(kStyleSubclass))
        drawing->DrawRoundedRect(area, rounding, rounding);
    else
        drawing->DrawRect(area);
}

template <bool B> void SLabel<B>::DrawLabel()
{
    if (drawing == nullptr)
        return;
    const int colour = GetLabelColour();
    std::lock_guard<std::mutex> guard(textLock);
    if (font == nullptr || lines.empty())
        return;
    drawing->SetFont(font);
    drawing->SetTextColour(colour, false);
    for (size_t i = 0; i < lines.size() && i < lineRectangles.size(); ++i) {
        if (vertical)
            drawing->DrawVerticalLabel(lines[i], lineRectangles[i], 0, alignment, labelOffset,
                                       false, false, nullptr);
        else
            drawing->DrawLabel(lines[i], lineRectangles[i], alignment, labelOffset);
    }
}

// With style 0x10 the ground is rounded and the control's own default
// drawing (frame decoration) is left out.
template <bool B> void SLabel<B>::Draw(const Rect& area)
{
    if (drawing == nullptr)
        return;
    if (HasStyle(kStyleSubclass)) {
        DrawGround(area);
        DrawOutlines(area);
    } else {
        SControl::Draw(area);
    }
    DrawLabel();
}

template <bool B> void SLabel<B>::DrawOutlines(const Rect& area)
{
    if (highlighted)
        DrawFrame(area, highlightColour);
    else if (HasStyle(kStyleOutline) && drawing != nullptr)
        DrawFrame(area, drawing->GetFrameColour(Enabled(), false));
}

template void SLabel<false>::DrawGround(const Rect&);
template void SLabel<false>::DrawFrame(const Rect&, int);
template void SLabel<false>::DrawLabel();
template void SLabel<false>::Draw(const Rect&);
template void SLabel<false>::DrawOutlines(const Rect&);
template void SLabel<true>::DrawGround(const Rect&);
template void SLabel<true>::DrawFrame(const Rect&, int);
template void SLabel<true>::DrawLabel();
template void SLabel<true>::Draw(const Rect&);
template void SLabel<true>::DrawOutlines(const Rect&);

}  // namespace kvor::gui
