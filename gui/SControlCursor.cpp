// The default cursor of the shared resources, as the event procedure sets
// and frees it.
#include "gui/SControl.h"

#include "gui/SCursor.h"
#include "gui/SGlobals.h"

#include <memory>

namespace kvor::gui {

namespace {

// The owner replaces the cursor from another thread than the one
// delivering events. Only the reference is taken under the mutex: the X
// call comes after, because the owner may be waiting for the mutex while
// its host holds the display lock this call needs.
std::shared_ptr<SCursor> CurrentCursor(SGlobals* globals)
{
    if (globals == nullptr)
        return nullptr;
    globals->mutex.Lock();
    std::shared_ptr<SCursor> current = globals->cursorHold;
    globals->mutex.Unlock();
    return current;
}

}  // namespace

void SControl::SetCursor()
{
    if (const std::shared_ptr<SCursor> current = CurrentCursor(globals))
        current->Set();
}

void SControl::FreeCursor()
{
    if (const std::shared_ptr<SCursor> current = CurrentCursor(globals))
        current->Free();
}

}  // namespace kvor::gui
