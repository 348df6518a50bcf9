// Horizontal text: plain text, labels aligned in a rectangle, and text
// measurement.
#include "gui/SDrawing.h"

#include "gui/SDrawFont.h"
#include "gui/SDrawDevice.h"

#include <X11/Xlib.h>

#include <cstring>

namespace kvor::gui::context {

namespace {

// Halves rounded towards minus infinity, also for negative numbers.
int FloorHalf(int value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }

int Length(const char* text) { return static_cast<int>(std::strlen(text)); }

// What GetTextDimensions leaves behind; one measurement at a time.
int measuredDirection;
int measuredAscent;
int measuredDescent;
XCharStruct measuredExtent;

}  // namespace

bool SDrawing::CanDrawText(const char* text) const
{
    return font != nullptr && font->info != nullptr && text != nullptr && *text != 0 && CanDraw();
}

SDrawing::Point SDrawing::PlaceText(const Rect& area, int align, int width, int ascent, int descent)
{
    int baseline;
    if (align & kAlignTop)
        baseline = area.y1 + ascent;
    else if (align & kAlignBottom)
        baseline = area.y2 - descent;
    else
        baseline = area.y1 + FloorHalf(ascent) + FloorHalf(area.y2 - area.y1) - 1;
    int x;
    if (align & kAlignLeft)
        x = area.x1;
    else if (align & kAlignRight)
        x = area.x2 - width;
    else
        x = area.x1 + FloorHalf(area.x2 - area.x1) - FloorHalf(width);
    return Point{x, baseline};
}

void SDrawing::DrawText(const char* text, int x, int y)
{
    if (!CanDrawText(text))
        return;
    XDrawString(device->GetDisplay(), device->GetDrawable(), device->Get(), x,
                y + font->info->ascent, text, Length(text));
}

void SDrawing::DrawText(const char* text, const Point& at) { DrawText(text, at.x, at.y); }

void SDrawing::DrawText(const Text& text, int x, int y) { DrawText(text.data, x, y); }

void SDrawing::DrawText(const Text& text, const Point& at) { DrawText(text.data, at.x, at.y); }

void SDrawing::DrawLabel(const char* text, Rect area, int align, const Point& offset)
{
    if (!CanDrawText(text))
        return;
    area.x1 += offset.x;
    area.x2 += offset.x;
    area.y1 += offset.y;
    area.y2 += offset.y;
    const int width = XTextWidth(font->info, text, Length(text));
    const Point at = PlaceText(area, align, width, font->info->ascent, font->info->descent);
    XDrawString(device->GetDisplay(), device->GetDrawable(), device->Get(), at.x, at.y, text,
                Length(text));
}

void SDrawing::DrawLabel(const Text& text, const Rect& area, int align, const Point& offset)
{
    DrawLabel(text.data, area, align, offset);
}

void SDrawing::DrawLabelRect(const char* text, const Rect& area, int colour, const Point& offset)
{
    SetContextForeground(colour);
    FillRect(area);
    DrawLabel(text, area, kAlignCentre, offset);
}

void SDrawing::DrawLabelRect(const Text& text, const Rect& area, int colour, const Point& offset)
{
    DrawLabelRect(text.data, area, colour, offset);
}

void SDrawing::GetTextDimensions(const char* text, int* width, int* height, SDrawFont* font)
{
    if (text == nullptr || *text == 0 || font == nullptr || font->info == nullptr) {
        if (width != nullptr)
            *width = 0;
        if (height != nullptr)
            *height = 0;
        return;
    }
    XTextExtents(font->info, text, Length(text), &measuredDirection, &measuredAscent,
                 &measuredDescent, &measuredExtent);
    if (width != nullptr)
        *width = measuredExtent.width;
    if (height != nullptr)
        *height = measuredAscent + measuredDescent;
}

}  // namespace kvor::gui::context
