// A control's drawing context and input state, the colour operations that
// forward to the context, and the default drawing of a control.
#include "gui/SControl.h"

#include "gui/SResourceCache.h"
#include "gui/SDrawing.h"

namespace kvor::gui {

using context::SDrawing;

void SControl::CreateContexts()
{
    if (input == nullptr)
        input = new context::SInput;
    if (drawing == nullptr)
        drawing = new SDrawing(this, globals);
}

void SControl::DeleteDrawing()
{
    SDrawing* doomed = drawing;
    drawing = nullptr;
    delete doomed;
}

void SControl::SetDrawingMode(bool mode)
{
    if (drawing != nullptr)
        drawing->SetBackgroundMode(mode);
}

void SControl::SetBackgroundMode(bool mode)
{
    if (drawing != nullptr)
        drawing->SetBackgroundMode(mode);
}

void SControl::SetBackground(int colour, bool which)
{
    if (drawing != nullptr)
        drawing->SetBackground(colour, which);
}

void SControl::SetBackgroundColour(bool which)
{
    if (drawing != nullptr)
        drawing->SetBackgroundColour(which);
}

void SControl::SetBackgroundColour(int colour)
{
    if (drawing != nullptr)
        drawing->SetBackgroundColour(colour);
}

int SControl::GetBackgroundColour()
{
    return drawing != nullptr ? drawing->GetBackgroundColour() : 0;
}

int SControl::GetForegroundColour()
{
    return drawing != nullptr ? drawing->GetForegroundColour() : 0;
}

void SControl::SetColours(int background, int backgroundTrue, int parentBackground, int foreground,
                          int foregroundTrue, int text, int textTrue)
{
    if (drawing != nullptr)
        drawing->SetColours(background, backgroundTrue, parentBackground, foreground,
                            foregroundTrue, text, textTrue);
}

void SControl::SetTextColour(int colour)
{
    if (drawing != nullptr)
        drawing->SetTextColour(colour, false);
}

int SControl::GetFrameColour(bool enabled, bool highlighted)
{
    return drawing != nullptr ? drawing->GetFrameColour(enabled, highlighted) : 0;
}

void SControl::SetFrameColour(int enabled, int highlighted, int disabled)
{
    if (drawing != nullptr)
        drawing->SetFrameColour(enabled, highlighted, disabled);
}

// The frame decoration: four 10-pixel bands in black along the edges, a
// blue outline and a small blue square in the top-left corner.
void SControl::Draw(const Rect& area)
{
    if (drawing == nullptr)
        return;
    drawing->DrawBackground(area, false);
    if (HasStyle(kStyleFrame)) {
        const int black = SharedResources().Colour(SResourceCache::kBlack);
        const int blue = SharedResources().Colour(SResourceCache::kBlue);
        drawing->SetPen(SharedResources().FindPen(black));
        drawing->SetBrush(SharedResources().FindBrush(black));
        drawing->FillRect(area.x1, area.y1, area.x2, area.y1 + 10);
        drawing->FillRect(area.x1, area.y1, area.x1 + 10, area.y2);
        drawing->FillRect(area.x2 - 10, area.y1, area.x2, area.y2);
        drawing->FillRect(area.x1, area.y2 - 10, area.x2, area.y2);
        drawing->SetPen(SharedResources().FindPen(blue));
        drawing->DrawRect(area);
        drawing->SetBrush(SharedResources().FindBrush(blue));
        drawing->FillRect(area.x1 + 1, area.y1 + 1, area.x1 + 10, area.y1 + 10);
    }
    DrawOutlines(area);
}

void SControl::DrawOutlines(const Rect& area)
{
    if (drawing == nullptr || !HasStyle(kStyleOutline))
        return;
    drawing->SetPen(SharedResources().FindPen(drawing->GetFrameColour(Enabled(), false)));
    drawing->DrawRect(area);
}

void SControl::DrawBorder(const Rect& area)
{
    if (drawing == nullptr || !HasStyle(kStyleDecorated))
        return;
    drawing->SetBrush(
        SharedResources().FindBrush(SharedResources().Colour(SResourceCache::kBlack)));
    drawing->FillRect(area);
}

}  // namespace kvor::gui
