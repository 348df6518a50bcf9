// The host window's pixels, children included, as a PNG file.
#include "host/EditorHost.h"

#include <X11/Xlib.h>

#include "host/PngWriter.h"
#include "host/WindowCapture.h"
#include "host/XErrorFilter.h"

namespace tarvenna::host {

// Only a mapped window can be read back.
bool EditorHost::Capture(RgbImage& rgb)
{
    return display != nullptr && window != 0 && mapped && CaptureWindow(display, window, rgb);
}

bool EditorHost::Screenshot(const std::string& path)
{
    RgbImage rgb;
    return Capture(rgb) && WritePng(path, rgb);
}

// The deepest window under the point gets the press, with the pointer's
// place in it, as the server would deliver a real click. The plug-in's
// windows may go meanwhile.
bool EditorHost::Click(int x, int y)
{
    if (display == nullptr || window == 0)
        return false;
    const ExpectedXErrors gone(display);
    ::Window target = window;
    int targetX = x, targetY = y;
    for (;;) {
        ::Window child = 0;
        int childX = 0, childY = 0;
        if (!XTranslateCoordinates(display, window, target, x, y, &childX, &childY, &child))
            return false;
        targetX = childX;
        targetY = childY;
        if (child == 0)
            break;
        target = child;
    }
    XEvent event{};
    event.xbutton.type = ButtonPress;
    event.xbutton.display = display;
    event.xbutton.window = target;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.x = targetX;
    event.xbutton.y = targetY;
    event.xbutton.button = Button1;
    event.xbutton.same_screen = True;
    XSendEvent(display, target, False, ButtonPressMask, &event);
    event.xbutton.type = ButtonRelease;
    event.xbutton.state = Button1Mask;
    XSendEvent(display, target, False, ButtonReleaseMask, &event);
    XSync(display, False);
    return true;
}

}  // namespace tarvenna::host
