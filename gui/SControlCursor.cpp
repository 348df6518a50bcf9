// The default cursor of the shared resources, as the event procedure sets
// and frees it.
#include "gui/SControl.h"

#include "gui/SGlobals.h"
#include "gui/SCursor.h"

namespace kvor::gui {

void SControl::SetCursor()
{
    if (globals != nullptr && globals->currentCursor != nullptr)
        globals->currentCursor->Set();
}

void SControl::FreeCursor()
{
    if (globals != nullptr && globals->currentCursor != nullptr)
        globals->currentCursor->Free();
}

}  // namespace kvor::gui
