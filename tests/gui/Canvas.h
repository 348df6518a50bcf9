// An off-screen picture of the default depth with a drawing context on it,
// and what the server holds there, read back pixel by pixel: what a person
// would see if it were a window.
//
// Pulls in Xlib: include gtest before this header.
#pragma once

#include "gui/SGlobals.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawing.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvenna::test {

// The colours the tests draw with, as pixels of a 24-bit screen.
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kOrange = 0xFF8000;
constexpr uint32_t kBlue = 0x0000FF;

struct Box {
    int x1 = 0;  // inclusive
    int y1 = 0;
    int x2 = 0;  // exclusive
    int y2 = 0;
    bool empty() const { return x2 <= x1 || y2 <= y1; }
    int width() const { return x2 - x1; }
    int height() const { return y2 - y1; }
};

class Pixels {
public:
    Pixels(int width, int height, std::vector<uint32_t> values);

    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t at(int x, int y) const;
    bool inked(int x, int y, uint32_t ground) const { return at(x, y) != ground; }
    // Pixels that differ from the ground colour.
    int countInk(uint32_t ground) const;
    // The smallest box holding every such pixel.
    Box inkBox(uint32_t ground) const;
    // One row per line, '#' for ink and '.' for ground, for failure output.
    std::string picture(uint32_t ground) const;

private:
    int width_;
    int height_;
    std::vector<uint32_t> values_;
};

// Reads w x h of a drawable from (0, 0); pixel values as the server has
// them (0xRRGGBB on a 24-bit screen).
Pixels ReadPixels(Display* display, unsigned long drawable, int w, int h);

class Canvas {
public:
    // A w x h picture cleared to ground, with a drawing on it.
    Canvas(Display* display, int w, int h, uint32_t ground = 0);
    ~Canvas();

    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    kvor::gui::context::SDrawing& drawing() { return *drawing_; }
    kvor::gui::context::SDrawDevice* device() { return device_.get(); }
    unsigned long pixmap() const { return pixmap_; }
    Pixels read() const;
    uint32_t ground() const { return ground_; }

private:
    Display* display_;
    int width_;
    int height_;
    uint32_t ground_;
    unsigned long pixmap_ = 0;
    SGlobals globals_;
    std::unique_ptr<kvor::gui::context::SDrawDevice> device_;
    std::unique_ptr<kvor::gui::context::SDrawing> drawing_;
};

}  // namespace tarvenna::test
