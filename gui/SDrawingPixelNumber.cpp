// Seven-segment digits drawn with lines, for small numeric read-outs.
#include "gui/SDrawing.h"

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

// The two columns and three rows the strokes run between.
enum Column { kLeftColumn, kRightColumn };
enum Row { kTopRow, kMiddleRow, kBottomRow };

// Where each stroke runs, in the order of the enumeration.
struct Segment {
    Stroke stroke;
    Column fromColumn;
    Row fromRow;
    Column toColumn;
    Row toRow;
};
constexpr Segment kSegments[] = {
    {kTop, kLeftColumn, kTopRow, kRightColumn, kTopRow},
    {kUpperLeft, kLeftColumn, kTopRow, kLeftColumn, kMiddleRow},
    {kUpperRight, kRightColumn, kTopRow, kRightColumn, kMiddleRow},
    {kMiddle, kLeftColumn, kMiddleRow, kRightColumn, kMiddleRow},
    {kLowerLeft, kLeftColumn, kMiddleRow, kLeftColumn, kBottomRow},
    {kLowerRight, kRightColumn, kMiddleRow, kRightColumn, kBottomRow},
    {kBottom, kLeftColumn, kBottomRow, kRightColumn, kBottomRow},
    {kFullLeft, kLeftColumn, kTopRow, kLeftColumn, kBottomRow},
    {kFullRight, kRightColumn, kTopRow, kRightColumn, kBottomRow},
};

}  // namespace

void SDrawing::DrawPixelNumber(int x, int y, int digit)
{
    if (digit < 0 || digit > 9)
        return;
    // The one is narrow: its top stroke is a short flag on the right.
    const int columns[2] = {digit == 1 ? x + 2 : x + 1, digit == 1 ? x + 3 : x + 5};
    const int rows[3] = {y + 3, y + 6, y + 9};
    for (const Segment& segment : kSegments) {
        if (kDigits[digit] & segment.stroke)
            DrawLine(columns[segment.fromColumn], rows[segment.fromRow], columns[segment.toColumn],
                     rows[segment.toRow]);
    }
}

void SDrawing::DrawPixelNumber(const Point& at, int digit) { DrawPixelNumber(at.x, at.y, digit); }

}  // namespace kvor::gui::context
