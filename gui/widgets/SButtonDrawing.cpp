// How a button paints itself: its bitmaps or its ground in the colour of
// its state, its text, and its outline.
#include "gui/widgets/SButton.h"

#include "gui/SDrawBitmap.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawing.h"

namespace kvor::gui {

namespace {

void CopyBitmap(context::SDrawing& drawing, context::SDrawBitmap* bitmap)
{
    if (bitmap == nullptr || bitmap->GetPixmap() == 0 || drawing.GetDevice() == nullptr)
        return;
    context::SDrawMemoryDevice source(drawing.GetDevice(), bitmap);
    drawing.DrawMemory(&source, SControl::Point{0, 0},
                       SControl::Rect{0, 0, bitmap->Width(), bitmap->Height()});
}

}  // namespace

void SButton<false>::DrawAlternative()
{
    std::lock_guard<std::mutex> guard(textLock);
    drawing->SetFont(font);
    drawing->SetTextColour(GetLabelColour(), false);
    drawing->DrawLabel(alternativeLabel, client, alignment, labelOffset);
}

void SButton<false>::Draw(const Rect&)
{
    if (drawing == nullptr)
        return;
    const Rect whole{0, 0, client.Width(), client.Height()};
    const int shown = GetValue();
    if (type & kButtonBitmap) {
        CopyBitmap(*drawing, shown != 0 && pressedBitmap != nullptr ? pressedBitmap : normalBitmap);
    } else {
        drawing->SetBackgroundColour(shown > 0);
        DrawGround(whole);
        if (shown == 1 && alternativeSet && font != nullptr)
            DrawAlternative();
        else
            DrawLabel();
    }
    DrawOutlines(whole);
}

// Out of the highlight, the hover colour and the frame colour, the first
// that applies; otherwise the outline is drawn in the parent's ground, so
// that a hover outline disappears again.
void SButton<false>::DrawOutlines(const Rect& area)
{
    if (drawing == nullptr)
        return;
    int colour;
    if (highlighted)
        colour = highlightColour;
    else if (hovering.load())
        colour = HoverColour(GetValue());
    else if (HasStyle(kStyleOutline))
        colour = drawing->GetFrameColour(Enabled(), GetValue() > 0);
    else
        colour = drawing->GetParentBackgroundColour();
    DrawFrame(area, colour);
}

}  // namespace kvor::gui
