#include "gui/XErrorTrap.h"

#include "gui/SControl.h"

#include <X11/Xlib.h>

#include <atomic>
#include <mutex>

namespace kvor::gui {

namespace {

// The state of the trap in force. The error handler may run on whichever
// thread reads the error off the connection, so it reads these without the
// lock; they only change while the lock is held and no request is pending.
struct TrapState {
    std::mutex lock;
    std::atomic<Display*> display{nullptr};
    std::atomic<unsigned long> firstSerial{0};
    std::atomic<XErrorHandler> previous{nullptr};
};

TrapState& State()
{
    static TrapState state;
    return state;
}

// Serial numbers wrap; "at or after first" is a signed distance test.
bool IsOurs(const XErrorEvent* error)
{
    TrapState& state = State();
    if (error->display != state.display.load())
        return false;
    const long distance = static_cast<long>(error->serial - state.firstSerial.load());
    return distance >= 0;
}

int TrapHandler(Display* display, XErrorEvent* error)
{
    if (IsOurs(error))
        return SControl::errorHandler(display, error);
    const XErrorHandler previous = State().previous.load();
    return previous != nullptr ? previous(display, error) : 0;
}

}  // namespace

XErrorTrap::XErrorTrap(Display* display) : display(display)
{
    TrapState& state = State();
    state.lock.lock();
    SControl::xerror = 0;
    state.display = display;
    state.firstSerial = display != nullptr ? NextRequest(display) : 0;
    state.previous = XSetErrorHandler(TrapHandler);
}

XErrorTrap::~XErrorTrap()
{
    TrapState& state = State();
    XSetErrorHandler(state.previous.load());
    state.previous = nullptr;
    state.display = nullptr;
    state.lock.unlock();
}

void XErrorTrap::Sync()
{
    if (display != nullptr)
        XSync(display, False);
}

bool XErrorTrap::Failed() const { return SControl::xerror.load() != 0; }

}  // namespace kvor::gui
