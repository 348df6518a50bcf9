#include "tests/gui/Canvas.h"

#include <X11/Xutil.h>

#include <algorithm>

namespace tarvenna::test {

Pixels::Pixels(int width, int height, std::vector<uint32_t> values)
    : width_(width),
      height_(height),
      values_(std::move(values))
{
}

uint32_t Pixels::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return values_[static_cast<std::size_t>(y) * width_ + x];
}

int Pixels::countInk(uint32_t ground) const
{
    int count = 0;
    for (uint32_t value : values_)
        count += value != ground ? 1 : 0;
    return count;
}

Box Pixels::inkBox(uint32_t ground) const
{
    Box box{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (inked(x, y, ground)) {
                box.x1 = std::min(box.x1, x);
                box.y1 = std::min(box.y1, y);
                box.x2 = std::max(box.x2, x + 1);
                box.y2 = std::max(box.y2, y + 1);
            }
    return box.empty() ? Box{} : box;
}

std::string Pixels::picture(uint32_t ground) const
{
    std::string text;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x)
            text += inked(x, y, ground) ? '#' : '.';
        text += '\n';
    }
    return text;
}

Pixels ReadPixels(Display* display, unsigned long drawable, int w, int h)
{
    XSync(display, False);
    XImage* image = XGetImage(display, drawable, 0, 0, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    std::vector<uint32_t> values(static_cast<std::size_t>(w) * h, 0);
    if (image != nullptr) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                values[static_cast<std::size_t>(y) * w + x] =
                    static_cast<uint32_t>(XGetPixel(image, x, y));
        XDestroyImage(image);
    }
    return Pixels(w, h, std::move(values));
}

Canvas::Canvas(Display* display, int w, int h, uint32_t ground)
    : display_(display),
      width_(w),
      height_(h),
      ground_(ground)
{
    const int screen = DefaultScreen(display_);
    pixmap_ = XCreatePixmap(display_, RootWindow(display_, screen), static_cast<unsigned>(w),
                            static_cast<unsigned>(h),
                            static_cast<unsigned>(DefaultDepth(display_, screen)));
    GC clear = XCreateGC(display_, pixmap_, 0, nullptr);
    XSetForeground(display_, clear, ground_);
    XFillRectangle(display_, pixmap_, clear, 0, 0, static_cast<unsigned>(w),
                   static_cast<unsigned>(h));
    XFreeGC(display_, clear);
    device_ = std::make_unique<kvor::gui::context::SDrawDevice>(pixmap_);
    drawing_ = std::make_unique<kvor::gui::context::SDrawing>(nullptr, &globals_);
    drawing_->SetDevice(device_.get());
}

Canvas::~Canvas()
{
    drawing_.reset();
    device_.reset();
    XFreePixmap(display_, pixmap_);
    XSync(display_, False);
}

Pixels Canvas::read() const { return ReadPixels(display_, pixmap_, width_, height_); }

}  // namespace tarvenna::test
