#include "gui/SDrawObject.h"

#include "gui/SResourceCache.h"
#include "gui/SDrawing.h"

namespace kvor::gui::context {

namespace {

SDrawObject::Rect MovedBy(SDrawObject::Rect area, const SDrawObject::Point& by)
{
    return SDrawObject::Rect{area.x1 + by.x, area.y1 + by.y, area.x2 + by.x, area.y2 + by.y};
}

}  // namespace

SDrawObject::Rect SDrawObject::Placed() const { return MovedBy(rectangle, offset); }

// The object's colour goes in as the background for false for the fill and
// the remembered current background comes back out in that place.
void SDrawObject::Draw(SDrawing* drawing)
{
    if (drawing == nullptr)
        return;
    const int remembered = drawing->GetBackgroundColour();
    drawing->SetBackground(backgroundColour, false);
    drawing->DrawBackground(Placed(), false);
    drawing->SetBackground(remembered, false);
}

void SDrawRect::Draw(SDrawing* drawing)
{
    if (drawing == nullptr)
        return;
    const Rect area = Placed();
    if (filled) {
        drawing->SetBrush(SharedResources().FindBrush(backgroundColour));
        drawing->FillRect(area);
    }
    drawing->SetPen(SharedResources().FindPen(lineColour));
    drawing->DrawRect(area);
}

void STextObject::Draw(SDrawing* drawing)
{
    if (drawing == nullptr)
        return;
    SDrawObject::Draw(drawing);
    drawing->SetTextColour(textColour, false);
    drawing->DrawLabel(text, MovedBy(rectangle, textOffset), alignment, Point{0, 0});
}

void STextObjectX::Draw(SDrawing* drawing)
{
    if (drawing == nullptr)
        return;
    drawing->SetFont(font);
    STextObject::Draw(drawing);
}

}  // namespace kvor::gui::context
