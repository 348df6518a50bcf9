#include "gui/XErrorTrap.h"

#include "gui/SControl.h"

#include <X11/Xlib.h>

#include <atomic>
#include <mutex>

// Last: it defines min and max as macros. Only XESetWireToError is used.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace kvor::gui {

namespace {

// The traps in force, all on one thread (they nest: a guarded idle pass
// destroys a window under a trap of its own). The error handler may run on
// whichever thread reads an error off a connection, so it reads these
// without the lock; they only change while the lock is held, and while a
// trap's display is locked nobody else can read its errors.
struct TrapState {
    static constexpr int kMaxNested = 8;

    std::recursive_mutex lock;
    int depth = 0;  // changed under the lock
    std::atomic<Display*> displays[kMaxNested] = {};
    std::atomic<unsigned long> firstSerials[kMaxNested] = {};
    std::atomic<XErrorHandler> previous{nullptr};
    // Errors claimed so far; a trap failed when this moved while it lived.
    std::atomic<unsigned> claimed{0};
};

TrapState& State()
{
    static TrapState state;
    return state;
}

// Ours: an error of a trapped display at or after the serial its first
// trap began with (serials wrap, hence the signed distance). The display is
// locked from that serial on, so every request since is one of ours.
bool IsOurs(const XErrorEvent* error)
{
    TrapState& state = State();
    for (int i = 0; i < TrapState::kMaxNested; ++i) {
        if (state.displays[i].load() != error->display)
            continue;
        const long distance = static_cast<long>(error->serial - state.firstSerials[i].load());
        if (distance >= 0)
            return true;
    }
    return false;
}

int TrapHandler(Display* display, XErrorEvent* error)
{
    if (IsOurs(error)) {
        State().claimed.fetch_add(1);
        return SControl::errorHandler(display, error);
    }
    const XErrorHandler previous = State().previous.load();
    return previous != nullptr ? previous(display, error) : 0;
}

// Returning False tells Xlib the error is dealt with.
Bool ClaimError(Display* display, XErrorEvent* error, xError*)
{
    SControl::errorHandler(display, error);
    return False;
}

}  // namespace

void ClaimEveryError(Display* display)
{
    if (display == nullptr)
        return;
    for (int code = 1; code < 256; ++code)
        XESetWireToError(display, code, ClaimError);
}

// The display lock comes first: it is the outermost lock, and a thread
// that waits for it (behind a host holding it around an editor call) must
// not hold the trap lock meanwhile.
XErrorTrap::XErrorTrap(Display* display) : display(display)
{
    if (display != nullptr)
        XLockDisplay(display);
    TrapState& state = State();
    state.lock.lock();
    slot = state.depth++;
    claimedBefore = state.claimed.load();
    if (slot == 0) {
        SControl::xerror = 0;
        state.previous = XSetErrorHandler(TrapHandler);
    }
    if (slot < TrapState::kMaxNested && display != nullptr) {
        state.firstSerials[slot] = NextRequest(display);
        state.displays[slot] = display;
    }
}

XErrorTrap::~XErrorTrap()
{
    // A request without a reply may still have an error on its way: it
    // must arrive while the trap can claim it.
    if (display != nullptr && LastKnownRequestProcessed(display) + 1 != NextRequest(display))
        XSync(display, False);
    TrapState& state = State();
    if (slot < TrapState::kMaxNested)
        state.displays[slot] = nullptr;
    // `previous` stays as it is: another thread may have entered our
    // handler just before it was put back, and must still find the host's.
    if (--state.depth == 0)
        XSetErrorHandler(state.previous.load());
    state.lock.unlock();
    if (display != nullptr)
        XUnlockDisplay(display);
}

void XErrorTrap::Sync()
{
    if (display != nullptr)
        XSync(display, False);
}

bool XErrorTrap::Failed() const { return State().claimed.load() != claimedBefore; }

}  // namespace kvor::gui
