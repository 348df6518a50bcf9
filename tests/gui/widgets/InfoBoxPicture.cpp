// The info box with a load-failure text, saved as a picture (docs/):
//
//   info_box_picture picture.png
//
// It runs as the module does before any editor is opened: the box lives
// on the connection to $DISPLAY, and nothing but the box's own event
// thread reads its events.
#include "gui/Connections.h"
#include "module/ModuleState.h"
#include "gui/widgets/SInfo.h"
#include "gui/widgets/SMessageDialog.h"
#include "host/PngWriter.h"
#include "host/WindowCapture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

const char kText[] = "Failed to load plugin\n(Reason: Host not supported (Usine))";

// The bands along the edges are drawn last but one: once the bottom band
// and the OK button's ground are there, the box is complete.
bool Painted(Display* display, unsigned long window, int w, int h)
{
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    const bool band = (XGetPixel(image, w / 2, h - 5) & 0xFFFFFF) == 0;
    const bool button = (XGetPixel(image, w / 2, h - 30) & 0xFFFFFF) == 0x2C2C2C;
    XDestroyImage(image);
    return band && button;
}

bool WritePng(Display* display, unsigned long window, const std::string& path)
{
    tarvenna::host::RgbImage image;
    return tarvenna::host::CaptureWindow(display, window, image) &&
           tarvenna::host::WritePng(path, image);
}

}  // namespace

int main(int argc, char** argv)
{
    // The module state connected to $DISPLAY at load and built the colours.
    if (argc < 2 || dps == nullptr || statdata.ColourCount() == 0)
        return 1;
    kvor::gui::SInfo(kText, "Tarvenna");
    kvor::gui::SMessageDialog* box = kvor::gui::SInfoDialog();
    if (box == nullptr)
        return 1;
    // A connection of our own to look at the box with, as a user would.
    Display* viewer = XOpenDisplay(kvor::gui::ModuleDisplayName());
    if (viewer == nullptr)
        return 1;
    const int w = box->GetClient().Width();
    const int h = box->GetClient().Height();
    for (int tries = 0; tries < 200 && !Painted(viewer, box->GetWindow(), w, h); ++tries)
        usleep(10000);
    const bool written = WritePng(viewer, box->GetWindow(), argv[1]);
    XCloseDisplay(viewer);
    std::printf(written ? "wrote %s\n" : "could not write %s\n", argv[1]);
    return written ? 0 : 1;
}
