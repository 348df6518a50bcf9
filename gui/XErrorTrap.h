// Guards one X request that may fail because a window is already gone.
//
// The X error handler is process-wide and belongs to the host; the toolkit
// only borrows it for the length of a guarded request and always puts the
// previous one back. The trap holds the display's lock from its first
// request to its end, so the serial numbers issued on that display in
// between are exactly ours: only errors of that display and range are
// claimed. Everything else (the host's earlier requests on the same
// connection, any request on another connection, from any thread) goes to
// the handler that was in force, so the host never loses an error to us.
#pragma once

typedef struct _XDisplay Display;

namespace kvor::gui {

// Claims every error of a connection that is the toolkit's alone (the
// module's own): they are printed as ours and never reach the process's
// handler, whichever thread meets them. Xlib asks the connection's
// wire-to-error hooks before any handler, so the host's handler is not
// touched. Lasts until the connection closes.
void ClaimEveryError(Display* display);

class XErrorTrap {
public:
    // Locks the display, takes the trap lock (guarded requests run one at
    // a time), clears SControl::xerror and installs the toolkit's handler.
    explicit XErrorTrap(Display* display);
    // Waits for the errors of requests that are still unanswered, restores
    // the previous handler and unlocks.
    ~XErrorTrap();

    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Whether an error of a request made under this trap (or a trap it is
    // nested in) has arrived. Only meaningful after the request has had its
    // reply (or after Sync()).
    bool Failed() const;
    // Makes sure every error of the requests made so far has arrived.
    void Sync();

private:
    Display* display;
    int slot = 0;  // how deep in the thread's nested traps
    unsigned claimedBefore = 0;
};

}  // namespace kvor::gui
