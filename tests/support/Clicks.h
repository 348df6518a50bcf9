// A click of the first button as a user makes it: the pointer moved to the
// spot through XTest, pressed and released there.
//
// Include it after gtest: Xlib's None and Bool macros break gtest's
// templates.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace tarvenna::test {

// At a point of the root window.
inline void ClickOnScreen(Display* display, int x, int y)
{
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

// At a point of a window, in its own coordinates.
inline void ClickInWindow(Display* display, Window window, int x, int y)
{
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY,
                          &child);
    ClickOnScreen(display, rootX, rootY);
}

}  // namespace tarvenna::test
