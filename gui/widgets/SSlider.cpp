#include "gui/widgets/SSlider.h"

namespace kvor::gui {

SSlider<int, true>::SSlider(SGlobals* globals, SControl* parent, unsigned id, const char* name,
                            int flags, int x, int y, int w, int h, int parentWindow, bool unused)
    : SControllable<int, true>(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused)
{
}

SSlider<int, true>::~SSlider() = default;

void SSlider<int, true>::MouseStateChanged(bool* flags, int index)
{
    if (index == context::kMouseWheel)
        ValueChange(flags[context::kMouseWheelUp], wheelIncrement);
    SControllable<int, true>::MouseStateChanged(flags, index);
}

void SSlider<int, true>::MousePosChanged(int dx, int dy)
{
    if (CaptureControl() != this || input == nullptr)
        return;
    const bool* flags = input->flags;
    if (!flags[context::kMouseLeftDown]) {
        if (!flags[context::kMouseRightDown])
            return;
        const int towards = vertical ? -dy : dx;
        if (towards != 0)
            ValueChange(towards > 0, 1);
        return;
    }
    FollowPointer(vertical ? input->y : input->x);
}

}  // namespace kvor::gui
