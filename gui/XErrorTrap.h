// Guards one X request that may fail because a window is already gone.
//
// The X error handler is process-wide and belongs to the host; the toolkit
// only borrows it for the length of a guarded request and always puts the
// previous one back. While borrowed, errors of requests that are not ours
// (an earlier request of the host on the same connection, or any request on
// another connection) are passed on to the handler that was in force, so
// the host never loses an error to us.
#pragma once

typedef struct _XDisplay Display;

namespace kvor::gui {

class XErrorTrap {
public:
    // Takes the trap lock (guarded requests run one at a time), clears
    // SControl::xerror and installs the toolkit's handler for display.
    explicit XErrorTrap(Display* display);
    // Restores the previous handler and lets the next guarded request in.
    // Errors of a request without a reply arrive later: call Sync() first.
    ~XErrorTrap();

    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Whether an error of a request made under this trap has arrived. Only
    // meaningful after the request has had its reply (or after Sync()).
    bool Failed() const;
    // Makes sure every error of the requests made so far has arrived.
    void Sync();

private:
    Display* display;
};

}  // namespace kvor::gui
