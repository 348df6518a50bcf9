// The value a label or an image label reports for a press.
#pragma once

#include "gui/SControl.h"

namespace kvor::gui {

// 1 for the left button, 3 for the right, 2 for the middle (presses and
// double clicks); 0 for any other change of the mouse state.
inline int ClickValue(int index)
{
    switch (index) {
    case context::kMouseLeftDown:
    case context::kMouseLeftDouble:
        return 1;
    case context::kMouseRightDown:
    case context::kMouseRightDouble:
        return 3;
    case context::kMouseMiddleDown:
    case context::kMouseMiddleDouble:
        return 2;
    default:
        return 0;
    }
}

}  // namespace kvor::gui
