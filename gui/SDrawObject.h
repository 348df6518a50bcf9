// Small drawable objects that a tooltip is made of: a filled background, a
// framed rectangle and aligned text, each drawn at an offset.
#pragma once

#include "gui/Geometry.h"
#include "runtime/datastring.h"

#include <cstdint>

namespace kvor::gui::context {

class SDrawing;
class SDrawFont;

class SDrawObject {
public:
    using Rect = math::geom::Rectangle<int, 2>;
    using Point = math::geom::Point<int, 2>;

    SDrawObject() = default;
    virtual ~SDrawObject() = default;

    // Fills the rectangle, moved by the offset, with the background colour;
    // the drawing's colours are as they were afterwards. Null is ignored.
    virtual void Draw(SDrawing* drawing);

    Rect Placed() const;

    Rect rectangle{0, 0, 0, 0};
    Point offset{0, 0};
    int32_t backgroundColour = 0;
    int32_t lineColour = 0;
};

class SDrawRect : public SDrawObject {
public:
    // Filled with the background colour when asked, outlined in the line
    // colour with a one-pixel pen.
    void Draw(SDrawing* drawing) override;

    uint8_t filled = 0;
};

class STextObject : public SDrawObject {
public:
    // The background, then the text in the text colour, aligned in the
    // rectangle moved by the text offset.
    void Draw(SDrawing* drawing) override;

    data::datastring<32, char> text;
    Point textOffset{0, 0};
    int32_t textColour = 0;
    int32_t alignment = 0;
};

class STextObjectX : public STextObject {
public:
    // As STextObject, in its own font (not owned).
    void Draw(SDrawing* drawing) override;

    SDrawFont* font = nullptr;
};

}  // namespace kvor::gui::context
