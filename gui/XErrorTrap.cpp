#include "gui/XErrorTrap.h"

#include "gui/SControl.h"

#include <X11/Xlib.h>

namespace kvor::gui {

void ClaimEveryError(Display* display)
{
    if (const ConnectionRef connection = TrackConnection(display))
        connection->ClaimEveryError();
}

// The display lock comes first and is the only lock a trap takes: a
// thread that waits for it (behind a host holding it around an editor
// call) holds nothing another trap could need.
XErrorTrap::XErrorTrap(Display* display) : display(display)
{
    if (display == nullptr)
        return;
    connection = TrackConnection(display);
    XLockDisplay(display);
    Open();
}

// The connection may close while this thread waits for the lock; its close
// waits for us, and we make no request once it has begun.
XErrorTrap::XErrorTrap(ConnectionRef made) : display(nullptr), connection(std::move(made))
{
    if (connection == nullptr)
        return;
    Display* entering = connection->Enter();
    if (entering == nullptr)
        return;
    entered = true;
    XLockDisplay(entering);
    if (!connection->IsOpen()) {
        XUnlockDisplay(entering);
        return;
    }
    display = entering;
    Open();
}

void XErrorTrap::Open()
{
    SControl::xerror = 0;
    slot = connection->OpenClaim(NextRequest(display));
}

XErrorTrap::~XErrorTrap()
{
    if (display != nullptr) {
        // A request without a reply may still have an error on its way: it
        // must arrive while the claim is open.
        if (LastKnownRequestProcessed(display) + 1 != NextRequest(display))
            XSync(display, False);
        connection->CloseClaim(slot);
        XUnlockDisplay(display);
    }
    if (entered)
        connection->Leave();
}

void XErrorTrap::Sync()
{
    if (display != nullptr)
        XSync(display, False);
}

bool XErrorTrap::Failed() const { return display != nullptr && connection->Claimed(slot) != 0; }

}  // namespace kvor::gui
