#include "gui/SDrawBitmap.h"

#include "gui/SControl.h"

#include <X11/Xlib.h>
#include <X11/xpm.h>

namespace kvor::gui::context {

namespace {

// How far a colour of the image may be from the one the server gives.
constexpr unsigned kColourCloseness = 40000;

}  // namespace

SDrawBitmap::SDrawBitmap()
    : width(0),
      height(0),
      flag(0),
      pixmap(0),
      display(DisplayInUse()),
      connection(ConnectionInUse())
{
}

SDrawBitmap::SDrawBitmap(const void* xpm, int w, int h, bool flag) : SDrawBitmap()
{
    Create(xpm, w, h, flag);
}

SDrawBitmap::~SDrawBitmap()
{
    if (display != nullptr && pixmap != 0 && connection != nullptr && connection->IsOpen())
        XFreePixmap(display, pixmap);
}

void SDrawBitmap::Create(const void* xpm, int w, int h, bool newFlag)
{
    if (pixmap != 0)
        return;
    flag = newFlag;
    width = w;
    height = h;
    if (display == nullptr)
        return;
    if (xpm == nullptr)
        CreateBlank(w, h);
    else
        CreateFromXpm(xpm);
}

// A zero or negative size would be a BadValue error, which ends the host.
void SDrawBitmap::CreateBlank(int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    const int screen = DefaultScreen(display);
    pixmap = XCreatePixmap(display, RootWindow(display, screen), static_cast<unsigned>(w),
                           static_cast<unsigned>(h),
                           static_cast<unsigned>(DefaultDepth(display, screen)));
}

void SDrawBitmap::CreateFromXpm(const void* xpm)
{
    XpmAttributes attributes{};
    attributes.valuemask = XpmCloseness | XpmReturnInfos;
    attributes.closeness = kColourCloseness;
    Pixmap image = 0;
    Pixmap shape = 0;
    // Xpm only reads the lines; its interface predates const.
    char** lines = const_cast<char**>(static_cast<const char* const*>(xpm));
    const int result = XpmCreatePixmapFromData(display, DefaultRootWindow(display), lines, &image,
                                               &shape, &attributes);
    if (result == XpmSuccess || result == XpmColorError) {
        pixmap = image;
        width = static_cast<int32_t>(attributes.width);
        height = static_cast<int32_t>(attributes.height);
    } else {
        width = 1;
        height = 1;
    }
    if (shape != 0)
        XFreePixmap(display, shape);
    XpmFreeAttributes(&attributes);
}

SDrawBitmapMask::SDrawBitmapMask(const unsigned char* xpm, int w, int h) : mask(0), use(0)
{
    Create(xpm, w, h, false);
}

void SDrawBitmapMask::SetMask(SDrawBitmap*, int newMask)
{
    mask = newMask;
    use = 0;
}

}  // namespace kvor::gui::context
