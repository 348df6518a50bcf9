// The host window's pixels, children included, as a PNG file.
#include "host/EditorHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "host/PngWriter.h"

namespace tarvenna::host {

namespace {

// The 8-bit value of the channel that `mask` selects in `pixel`.
std::uint8_t Channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    const unsigned long maximum = mask >> shift;
    const unsigned long value = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>(value * 255 / maximum);
}

RgbImage ToRgb(XImage* image)
{
    RgbImage rgb;
    rgb.width = image->width;
    rgb.height = image->height;
    rgb.pixels.reserve(static_cast<std::size_t>(rgb.width) * rgb.height * 3);
    for (int y = 0; y < rgb.height; ++y)
        for (int x = 0; x < rgb.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            rgb.pixels.push_back(Channel(pixel, image->red_mask));
            rgb.pixels.push_back(Channel(pixel, image->green_mask));
            rgb.pixels.push_back(Channel(pixel, image->blue_mask));
        }
    return rgb;
}

}  // namespace

// Only true-colour visuals carry their channel masks in the image, which is
// what every X server that runs our tests and hosts offers.
bool EditorHost::Capture(RgbImage& rgb)
{
    if (display == nullptr || window == 0 || !mapped)
        return false;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0)
        return false;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    rgb = ToRgb(image);
    XDestroyImage(image);
    return true;
}

bool EditorHost::Screenshot(const std::string& path)
{
    RgbImage rgb;
    return Capture(rgb) && WritePng(path, rgb);
}

// The deepest window under the point gets the press, with the pointer's
// place in it, as the server would deliver a real click.
bool EditorHost::Click(int x, int y)
{
    if (display == nullptr || window == 0)
        return false;
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
    XFlush(display);
    return true;
}

}  // namespace tarvenna::host
