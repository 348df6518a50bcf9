// The slider: a value control driven by dragging its handle, by the wheel
// and by single steps. The list box's scroll bar is one. Its input and its
// listeners' reactions run under the display lock of its connection, so a
// listener must not wait for another thread that may hold that lock.
#pragma once

#include "gui/widgets/SControllable.h"

namespace kvor::gui {

template <typename T, bool B> class SSlider;

template <> class SSlider<int, true> : public SControllable<int, true> {
public:
    SSlider(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags, int x,
            int y, int w, int h, int parentWindow, bool unused);
    ~SSlider() override;

    void SetWheelIncrement(int increment) { wheelIncrement = increment; }
    int GetWheelIncrement() const { return wheelIncrement; }

    void MouseStateChanged(bool* flags, int index) override;
    // While the slider holds the mouse: the left button drags the handle
    // to the pointer, the right button steps by one in the direction of
    // the movement.
    void MousePosChanged(int dx, int dy) override;

private:
    int32_t wheelIncrement = 1;
};

}  // namespace kvor::gui
