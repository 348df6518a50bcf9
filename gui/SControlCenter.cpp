// Centring a control on the monitor it is on, through the process's one
// monitor list (owned by the system inquiry).
#include "gui/SControl.h"

#include "gui/SDisplay.h"
#include "plugin/ModuleState.h"

namespace kvor::gui {

void SControl::Center()
{
    if (sd.displays != nullptr)
        sd.displays->CenterOnWindow(this);
}

void SControl::Center(Point& point)
{
    if (sd.displays != nullptr)
        sd.displays->CenterOnWindow(this, point);
}

}  // namespace kvor::gui
