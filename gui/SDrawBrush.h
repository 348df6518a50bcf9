// A brush: what areas are filled with. Either a plain colour (kind -1) or a
// bitmap-based kind, which paints with its second colour.
#pragma once

#include <cstdint>

namespace kvor::gui::context {

class SDrawBitmap;

class SDrawBrush {
public:
    static constexpr int32_t kPlain = -1;

    // Takes ownership of the bitmap, which may be null.
    SDrawBrush(int colour, int kind, SDrawBitmap* bitmap);
    ~SDrawBrush();

    SDrawBrush(const SDrawBrush&) = delete;
    SDrawBrush& operator=(const SDrawBrush&) = delete;

    // The pixel value this brush fills with.
    int32_t PaintColour() const { return kind == kPlain ? colour : secondColour; }

    SDrawBitmap* bitmap;
    int32_t kind;
    int32_t colour;
    int32_t secondColour;
};

}  // namespace kvor::gui::context
