#include "gui/SColour.h"

#include "gui/SControl.h"

#include <X11/Xlib.h>

namespace kvor::gui {

namespace {

// Components on X's 16-bit scale.
int AllocatePixel(Display* display, unsigned short red, unsigned short green, unsigned short blue)
{
    if (display == nullptr)
        return 0;
    XColor colour{};
    colour.red = red;
    colour.green = green;
    colour.blue = blue;
    colour.flags = DoRed | DoGreen | DoBlue;
    if (XAllocColor(display, DefaultColormap(display, 0), &colour) == 0)
        return 0;
    return static_cast<int>(colour.pixel);
}

unsigned short Widen(int component) { return static_cast<unsigned short>(component * 256); }

}  // namespace

int SCOL(int red, int green, int blue) { return SCOL(DisplayInUse(), red, green, blue); }

int SCOL(Display* display, int red, int green, int blue)
{
    return AllocatePixel(display, Widen(red), Widen(green), Widen(blue));
}

SColour::SColour() : red(255.0f), green(255.0f), blue(255.0f), alpha(255.0f) {}

SColour::SColour(float r, float g, float b, float a) : red(r), green(g), blue(b), alpha(a) {}

SColour::SColour(int r, int g, int b, int a)
    : red(static_cast<float>(r)),
      green(static_cast<float>(g)),
      blue(static_cast<float>(b)),
      alpha(static_cast<float>(a))
{
}

SColour::SColour(unsigned char r, unsigned char g, unsigned char b, unsigned char a)
    : red(r),
      green(g),
      blue(b),
      alpha(a)
{
}

SColourListSimple::SColourListSimple() : SColourListSimple(DisplayInUse()) {}

SColourListSimple::SColourListSimple(Display* display)
{
    struct Triple {
        unsigned short red, green, blue;
    };
    static const Triple kBasics[] = {
        {0xFF00, 0xFF00, 0xFF00}, {0, 0, 0xFF00},           {0xFF00, 0xFF00, 0},
        {0xFF00, 0, 0},           {0xFF00, 0, 0xFF00},      {0, 0xFF00, 0xFF00},
        {0x8000, 0xFF00, 0},      {0xFF00, 0xEC00, 0xC800},
    };
    pixels.reserve(8);
    for (const Triple& basic : kBasics)
        pixels.push_back(AllocatePixel(display, basic.red, basic.green, basic.blue));
}

}  // namespace kvor::gui
