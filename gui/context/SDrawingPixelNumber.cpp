// Seven-segment digits drawn with lines, for small numeric read-outs.
#include "gui/context/SDrawing.h"

namespace kvor::gui::context {

namespace {

enum Stroke : unsigned {
    kTop = 1 << 0,
    kUpperLeft = 1 << 1,
    kUpperRight = 1 << 2,
    kMiddle = 1 << 3,
    kLowerLeft = 1 << 4,
    kLowerRight = 1 << 5,
    kBottom = 1 << 6,
    kFullLeft = 1 << 7,
    kFullRight = 1 << 8,
};

// The strokes of each digit, drawn in the order of the enumeration.
constexpr unsigned kDigits[10] = {
    kTop | kFullLeft | kFullRight | kBottom,
    kTop | kFullRight,
    kTop | kUpperRight | kMiddle | kLowerLeft | kBottom,
    kTop | kFullRight | kMiddle | kBottom,
    kUpperLeft | kMiddle | kFullRight,
    kTop | kUpperLeft | kMiddle | kLowerRight | kBottom,
    kTop | kFullLeft | kMiddle | kLowerRight | kBottom,
    kTop | kFullRight,
    kTop | kFullLeft | kMiddle | kFullRight | kBottom,
    kTop | kUpperLeft | kMiddle | kFullRight | kBottom,
};

}  // namespace

void SDrawing::DrawPixelNumber(int x, int y, int digit)
{
    if (digit < 0 || digit > 9)
        return;
    // The one is narrow: its top stroke is a short flag on the right.
    const int left = digit == 1 ? x + 2 : x + 1;
    const int right = digit == 1 ? x + 3 : x + 5;
    const int top = y + 3;
    const int middle = y + 6;
    const int bottom = y + 9;
    const unsigned strokes = kDigits[digit];
    if (strokes & kTop)
        DrawLine(left, top, right, top);
    if (strokes & kUpperLeft)
        DrawLine(left, top, left, middle);
    if (strokes & kUpperRight)
        DrawLine(right, top, right, middle);
    if (strokes & kMiddle)
        DrawLine(left, middle, right, middle);
    if (strokes & kLowerLeft)
        DrawLine(left, middle, left, bottom);
    if (strokes & kLowerRight)
        DrawLine(right, middle, right, bottom);
    if (strokes & kBottom)
        DrawLine(left, bottom, right, bottom);
    if (strokes & kFullLeft)
        DrawLine(left, top, left, bottom);
    if (strokes & kFullRight)
        DrawLine(right, top, right, bottom);
}

void SDrawing::DrawPixelNumber(const Point& at, int digit) { DrawPixelNumber(at.x, at.y, digit); }

}  // namespace kvor::gui::context
