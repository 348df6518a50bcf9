#include "gui/widgets/SSlider.h"

#include "gui/widgets/DisplayLock.h"

namespace kvor::gui {

SSlider<int, true>::SSlider(SGlobals* globals, SControl* parent, unsigned id, const char* name,
                            int flags, int x, int y, int w, int h, int parentWindow, bool unused)
    : SControllable<int, true>(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused)
{
}

SSlider<int, true>::~SSlider() = default;

// Another thread may set the value meanwhile (a list's owner keeps its rows
// in view under the display lock): a step by the user and its listeners'
// reaction are one change under the same lock, not split by the other's.
void SSlider<int, true>::MouseStateChanged(bool* flags, int index)
{
    SDisplayLock lock(GetDisplay());
    if (index == context::kMouseWheel)
        ValueChange(flags[context::kMouseWheelUp], wheelIncrement);
    SControllable<int, true>::MouseStateChanged(flags, index);
}

void SSlider<int, true>::MousePosChanged(int dx, int dy)
{
    if (CaptureControl() != this || input == nullptr)
        return;
    SDisplayLock lock(GetDisplay());
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
