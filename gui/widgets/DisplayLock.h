// Holds the X display lock of the connection in use for a scope. The event
// procedure draws under this lock, so code on another thread that points a
// control's drawing context elsewhere for a while (to draw off screen) holds
// it too, and the control is never drawn half-way through.
#pragma once

typedef struct _XDisplay Display;

namespace kvor::gui {

class SDisplayLock {
public:
    // The connection in use on this thread.
    SDisplayLock();
    // A given connection (a control's: GetDisplay()); null locks nothing.
    explicit SDisplayLock(Display* display);
    ~SDisplayLock();

    SDisplayLock(const SDisplayLock&) = delete;
    SDisplayLock& operator=(const SDisplayLock&) = delete;

private:
    Display* display;
};

}  // namespace kvor::gui
