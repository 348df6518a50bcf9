// A window's pixels read back from the X server, children included.
#pragma once

typedef struct _XDisplay Display;

namespace tarvenna::host {

struct RgbImage;

// False when the window is unknown or not viewable. Only true-colour
// visuals carry their channel masks in the image, which is what every X
// server that runs our tests and hosts offers.
bool CaptureWindow(Display* display, unsigned long window, RgbImage& image);

}  // namespace tarvenna::host
