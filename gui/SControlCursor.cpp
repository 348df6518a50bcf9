// The default cursor of the shared resources, as the event procedure sets
// and frees it.
#include "gui/SControl.h"

#include "gui/SGlobals.h"
#include "gui/SCursor.h"

namespace kvor::gui {

// The owner of the cursor replaces and deletes it from another thread than
// the one delivering events, under the same mutex.
void SControl::SetCursor()
{
    if (globals == nullptr)
        return;
    globals->mutex.Lock();
    if (globals->currentCursor != nullptr)
        globals->currentCursor->Set();
    globals->mutex.Unlock();
}

void SControl::FreeCursor()
{
    if (globals == nullptr)
        return;
    globals->mutex.Lock();
    if (globals->currentCursor != nullptr)
        globals->currentCursor->Free();
    globals->mutex.Unlock();
}

}  // namespace kvor::gui
