// Where the pointer is, asked of the X server rather than taken from the
// last event: a press handler runs before the event procedure has stored
// the press position, and a release may come after the pointer left.
#pragma once

namespace kvor::gui {

class SControl;

struct SPointerPlace {
    bool known;
    // In the control's client coordinates.
    int x;
    int y;
    // On the root window.
    int rootX;
    int rootY;
};

SPointerPlace QueryPointer(const SControl& control);

// Whether the pointer lies within the control's client rectangle (edges
// included).
bool PointerInside(const SControl& control);

}  // namespace kvor::gui
