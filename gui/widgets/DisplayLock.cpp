#include "gui/widgets/DisplayLock.h"

#include "gui/Connections.h"

#include <X11/Xlib.h>

namespace kvor::gui {

SDisplayLock::SDisplayLock() : SDisplayLock(DisplayInUse()) {}

SDisplayLock::SDisplayLock(Display* locked) : display(locked)
{
    if (display != nullptr)
        XLockDisplay(display);
}

SDisplayLock::~SDisplayLock()
{
    if (display != nullptr)
        XUnlockDisplay(display);
}

}  // namespace kvor::gui
