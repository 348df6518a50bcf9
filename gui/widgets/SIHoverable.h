// Mix-in of controls that outline themselves while the pointer is over
// them: one outline colour for value 0, one for values of 1 and more.
#pragma once

#include <cstdint>

namespace kvor::gui {

class SIHoverable {
public:
    virtual ~SIHoverable() = default;

    virtual void SetHoverColours(int forZero, int forOne)
    {
        hoverColourZero = forZero;
        hoverColourOne = forOne;
    }
    int HoverColour(int value) const { return value > 0 ? hoverColourOne : hoverColourZero; }

protected:
    int32_t hoverColourZero = 0;
    int32_t hoverColourOne = 0;
};

}  // namespace kvor::gui
