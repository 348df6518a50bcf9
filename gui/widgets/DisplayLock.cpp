#include "gui/widgets/DisplayLock.h"

#include "gui/Connections.h"

#include <X11/Xlib.h>

namespace kvor::gui {

SDisplayLock::SDisplayLock() : display(DisplayInUse())
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
