// Colours of the toolkit: every colour it stores is an X pixel value made by
// SCOL from an 8-bit triple; SColour is a free-standing four-component record.
#pragma once

#include <vector>

typedef struct _XDisplay Display;

namespace kvor::gui {

// The pixel of (red, green, blue), components 0-255, allocated in the default
// colormap of screen 0 of the display in use. The server is asked for each
// component times 256, so 255 becomes 0xFF00. Yields 0 (black on the usual
// visuals) when there is no display or the colour cannot be allocated.
int SCOL(int red, int green, int blue);
// The same on a given connection.
int SCOL(Display* display, int red, int green, int blue);

class SColour {
public:
    // All four components 255.
    SColour();
    // The values are stored as they are, converted to float but not scaled.
    SColour(float red, float green, float blue, float alpha);
    SColour(int red, int green, int blue, int alpha);
    SColour(unsigned char red, unsigned char green, unsigned char blue, unsigned char alpha);

    float red;
    float green;
    float blue;
    float alpha;
};

// Eight basic colours allocated once on the display in use: white, blue,
// yellow, red, magenta, cyan, yellow-green and cream, in this order.
class SColourListSimple {
public:
    SColourListSimple();
    explicit SColourListSimple(Display* display);

    std::vector<int> pixels;
};

}  // namespace kvor::gui
