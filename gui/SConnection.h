// What the toolkit knows of one X connection it has made things on.
//
// Hosts open and close their connections as they please: one per editor
// window, a new one for each opening, closed before or after they unload
// us. Xlib frees a Display when it is closed and may hand the same address
// to the next connection, so everything made on a connection (windows,
// graphics contexts, pixmaps, fonts, cursors) keeps this record instead of
// the bare pointer. Xlib's close hook marks the record closed; from then on
// it answers null, and nothing is ever sent into, or freed through, that
// connection again: the server has already let go of all of it.
#pragma once

#include <atomic>
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

private:
    friend struct ConnectionTable;
    Display* const display;
    std::atomic<bool> open{true};
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
