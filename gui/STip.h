// What a control knows of its tooltip. The tips themselves are widgets
// (widgets/SToolTip, widgets/SToolTipData); the core reaches them only
// through these two faces, so that it stands without the widgets.
#pragma once

#include "gui/Geometry.h"

namespace kvor::gui {

class SControl;
class STipContent;

// The window that shows the tips of the controls registered with it.
class STipWindow {
public:
    virtual void Register(SControl* control) = 0;
    // The content of a control's tip, laid out from a text.
    virtual STipContent* MakeContent(SControl* control, const char* text, int placement) = 0;

protected:
    ~STipWindow() = default;
};

// One control's tip, owned by the control.
class STipContent {
public:
    using Point = math::geom::Point<int, 2>;

    virtual ~STipContent() = default;
    // Null once the window went away first.
    virtual STipWindow* Window() const = 0;
    virtual void Open(const Point& where) = 0;
    virtual void Close() = 0;
    // Where the tip opens beside the control, in screen coordinates.
    virtual Point PlaceBeside(SControl& control) = 0;
};

}  // namespace kvor::gui
