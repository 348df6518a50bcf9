#include "gui/SDrawImage.h"

#include "gui/SControl.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>

namespace kvor::gui::context {

SDrawImage::SDrawImage(void* pixels, int w, int h, int bytesPerLine, int bitsPerPixel)
    : width(w < 1 ? 1 : w),
      height(h < 1 ? 1 : h),
      image(nullptr),
      buffer(pixels)
{
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                              static_cast<std::size_t>(bitsPerPixel > 0 ? bitsPerPixel / 8 : 0);
    if (buffer != nullptr)
        std::memset(buffer, 0, bytes);
    Display* display = DisplayInUse();
    if (display == nullptr || buffer == nullptr || bytesPerLine < 0)
        return;
    const int screen = DefaultScreen(display);
    image = XCreateImage(display, DefaultVisual(display, screen),
                         static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, 0,
                         static_cast<char*>(buffer), static_cast<unsigned>(width),
                         static_cast<unsigned>(height), bitsPerPixel, bytesPerLine);
    if (image != nullptr && !FitsBuffer(bitsPerPixel, bytes))
        Release();
}

// X takes the pixel size from the screen's depth, not from the caller, and
// would read past the buffer when the two disagree.
bool SDrawImage::FitsBuffer(int bitsPerPixel, std::size_t bytes) const
{
    const std::size_t needed =
        static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height);
    return image->bits_per_pixel == bitsPerPixel && needed <= bytes;
}

// Drops the image but keeps the caller's buffer, to be freed by us later.
void SDrawImage::Release()
{
    image->data = nullptr;
    XDestroyImage(image);
    image = nullptr;
}

// XDestroyImage frees the buffer along with the image.
SDrawImage::~SDrawImage()
{
    if (image != nullptr)
        XDestroyImage(image);
    else
        std::free(buffer);
}

}  // namespace kvor::gui::context
