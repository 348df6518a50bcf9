// What the toolkit knows of one X connection it has made things on.
//
// Hosts open and close their connections as they please: one per editor
// window, a new one for each opening, closed before or after they unload
// us. Xlib frees a Display when it is closed and may hand the same address
// to the next connection, so everything made on a connection (windows,
// graphics contexts, pixmaps, fonts, cursors) keeps this record instead of
// the bare pointer. Xlib's close hook marks the record closed; from then on
// it answers null, and nothing is ever sent into, or freed through, that
// connection again: the server has already let go of all of it. A thread of
// ours that may be inside the connection when its owner closes it enters it
// first (Enter), and the close waits for it to leave.
//
// The record also says which of the connection's X errors are ours. Xlib
// asks a connection's wire-to-error hooks about every error before any
// handler; ours claims an error when it belongs to a request the toolkit
// made under an error trap (XErrorTrap, which holds the display's lock from
// its first request on, so that the serials in between are ours alone), or
// when the whole connection is ours (the module's own). Everything else goes
// on, untouched, to whatever handler the process has: the host's.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

typedef struct _XDisplay Display;

namespace kvor::gui {

class SConnection {
public:
    explicit SConnection(Display* display) : display(display) {}
    SConnection(const SConnection&) = delete;
    SConnection& operator=(const SConnection&) = delete;

    // The display while the connection is open; null once it is closed.
    Display* Get() const { return open.load(std::memory_order_acquire) ? display : nullptr; }
    bool IsOpen() const { return open.load(std::memory_order_acquire); }

    // A thread of ours that uses the display while its owner may close it
    // (the idle pass on a host's connection) enters first: it gets the
    // display while the connection is open, null once it is closed, and
    // Xlib does not free the display before it has left.
    Display* Enter();
    void Leave();

    // Every error of this connection is ours from now on.
    void ClaimEveryError() { claimEverything = true; }
    // Opens a claim for the requests from serial `first` on; the caller
    // holds the display's lock until it closes it. Returns its slot.
    int OpenClaim(unsigned long first);
    // How many errors the claim in `slot` (and those opened inside it) took.
    unsigned Claimed(int slot) const;
    void CloseClaim(int slot);
    // Whether an error with this serial is ours; counts it when it is.
    bool Claims(unsigned long serial);

private:
    friend struct ConnectionTable;
    static constexpr int kMaxClaims = 8;  // traps nested on one thread

    Display* const display;
    std::atomic<bool> open{true};
    std::atomic<int> users{0};
    std::atomic<bool> claimEverything{false};
    // Changed and read only by the thread holding the display's lock: the
    // trap's owner, or Xlib reading the errors for it.
    std::atomic<int> claims{0};
    std::atomic<unsigned long> firstSerials[kMaxClaims] = {};
    std::atomic<unsigned> claimed[kMaxClaims] = {};
};

using ConnectionRef = std::shared_ptr<SConnection>;

// The record of an open display: the same one for every caller until Xlib
// closes the display (the close hook is set the first time). Null for null.
ConnectionRef TrackConnection(Display* display);

// Whether both name one and the same open connection.
inline bool SameConnection(const ConnectionRef& a, const ConnectionRef& b)
{
    return a != nullptr && a == b && a->IsOpen();
}

}  // namespace kvor::gui
