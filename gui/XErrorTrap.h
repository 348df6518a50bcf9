// Guards X requests that may fail because a window is already gone.
//
// The process's X error handler belongs to the host and is never touched.
// Instead the connection's record (gui/SConnection.h) claims the errors of
// the requests made while a trap lives: the trap holds the display's lock
// from its first request to its end, so the serial numbers issued on that
// display in between are exactly ours. Everything else (the host's earlier
// requests on the same connection, any request on another connection, from
// any thread) goes to the handler that is in force, so the host never loses
// an error to us nor hears of one of ours.
#pragma once

#include "gui/SConnection.h"

typedef struct _XDisplay Display;

namespace kvor::gui {

// Claims every error of a connection that is the toolkit's alone (the
// module's own): they are printed as ours and never reach the process's
// handler, whichever thread meets them. Lasts until the connection closes.
void ClaimEveryError(Display* display);

class XErrorTrap {
public:
    // Locks the display and opens a claim from its next request on. Traps
    // nest on one thread; a null display traps nothing.
    explicit XErrorTrap(Display* display);
    // For a thread of ours on a connection its owner may close meanwhile
    // (SConnection::Enter): traps nothing once the connection is closed,
    // and holds off the close until the trap ends.
    explicit XErrorTrap(ConnectionRef connection);
    // Waits for the errors of requests that are still unanswered, closes
    // the claim and unlocks.
    ~XErrorTrap();

    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Whether an error of a request made under this trap (or a trap nested
    // in it) has arrived. Only meaningful after the request has had its
    // reply (or after Sync()).
    bool Failed() const;
    // Whether the trap holds its display: false for a null display or a
    // closed connection, when no request may be made.
    bool Holds() const { return display != nullptr; }
    // Makes sure every error of the requests made so far has arrived.
    void Sync();

private:
    void Open();

    Display* display;
    ConnectionRef connection;
    int slot = 0;
    bool entered = false;
};

}  // namespace kvor::gui
