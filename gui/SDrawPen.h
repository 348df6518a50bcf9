// A pen: what lines are drawn with. Plain data; a drawing copies it into its
// graphics context and does not keep it.
#pragma once

#include <cstdint>

namespace kvor::gui::context {

class SDrawPen {
public:
    SDrawPen(int colour, int width, bool dashed) : width(width), dashed(dashed), colour(colour) {}

    int32_t width;
    uint8_t dashed;
    // An X pixel value, as made by SCOL.
    int32_t colour;
};

}  // namespace kvor::gui::context
