// Centring a control on the monitor it is on, through the process's one
// registered monitor list.
#include "gui/SControl.h"

#include "gui/SDisplay.h"

namespace kvor::gui {

void SControl::Center()
{
    if (const SDisplay* monitors = SDisplay::ProcessMonitors())
        monitors->CenterOnWindow(this);
}

void SControl::Center(Point& point)
{
    if (const SDisplay* monitors = SDisplay::ProcessMonitors())
        monitors->CenterOnWindow(this, point);
}

}  // namespace kvor::gui
