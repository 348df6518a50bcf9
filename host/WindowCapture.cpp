#include "host/WindowCapture.h"

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

bool CaptureWindow(Display* display, unsigned long window, RgbImage& rgb)
{
    XWindowAttributes attributes;
    if (display == nullptr || window == 0 ||
        XGetWindowAttributes(display, window, &attributes) == 0)
        return false;
    if (attributes.map_state != IsViewable)
        return false;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    rgb = ToRgb(image);
    XDestroyImage(image);
    return true;
}

}  // namespace tarvenna::host
