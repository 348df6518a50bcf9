#include "gui/SCursor.h"

#include "gui/SControl.h"
#include "gui/XErrorTrap.h"
#include "gui/SDrawBitmap.h"

#include <X11/Xlib.h>
#include <X11/cursorfont.h>

#include <array>
#include <vector>

namespace kvor::gui {

namespace {

constexpr int kSize = SCursor::kArrowSize;
constexpr int kRowBytes = (kSize + 7) / 8;
constexpr int kBytes = kRowBytes * kSize;

// The arrow row by row: B outline (image and mask), o inside (mask only),
// . transparent. Rows end at their last marked column.
constexpr const char* kArrow[kSize] = {
    "B",
    "BB",
    "BoB",
    "BooB",
    "BoooB",
    "BooooB",
    "BoooooB",
    "BooooooB",
    "BoooooooB",
    "BooooooooB",
    "BoooooooooB",
    "BooooooooooB",
    "BoooooooooooB",
    "BooooooooooooB",
    "BoooooooBBBBBBB",
    "BoooBoooB",
    "BooB.BoooB",
    "BoB..BoooB",
    "BB....BoooB",
    "B.....BoooB",
    ".......BoooB",
    ".......BooBB",
    "........BBB",
    ".",
};

using Bits = std::array<unsigned char, kBytes>;

// X bitmap format: least significant bit first within each byte.
constexpr Bits Encode(bool mask)
{
    Bits bits{};
    for (int row = 0; row < kSize; ++row) {
        const char* line = kArrow[row];
        for (int column = 0; line[column] != 0; ++column) {
            const bool set = line[column] == 'B' || (mask && line[column] == 'o');
            if (set)
                bits[row * kRowBytes + column / 8] |=
                    static_cast<unsigned char>(1u << (column % 8));
        }
    }
    return bits;
}

constexpr Bits kImage = Encode(false);
constexpr Bits kMask = Encode(true);

int Clamp(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

// The top-left w x h of a 24 x 24 bitmap: X reads (w + 7) / 8 bytes a row,
// so a smaller cursor needs its rows packed anew.
Pixmap BitmapOf(Display* display, const Bits& bits, int w, int h)
{
    const int rowBytes = (w + 7) / 8;
    std::vector<char> cropped(static_cast<std::size_t>(rowBytes * h), 0);
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column)
            if (bits[row * kRowBytes + column / 8] & (1u << (column % 8)))
                cropped[row * rowBytes + column / 8] |= static_cast<char>(1u << (column % 8));
    return XCreatePixmapFromBitmapData(display, DefaultRootWindow(display), cropped.data(),
                                       static_cast<unsigned>(w), static_cast<unsigned>(h), 1, 0, 1);
}

}  // namespace

const unsigned char* SCursor::ArrowImage() { return kImage.data(); }

const unsigned char* SCursor::ArrowMask() { return kMask.data(); }

SCursor::SCursor()
    : kind(0),
      window(0),
      invisible(0),
      cursor(0),
      display(DisplayInUse()),
      connection(ConnectionInUse())
{
}

SCursor::SCursor(unsigned newKind, unsigned long target) : SCursor()
{
    kind = newKind;
    window = target;
    if (display == nullptr)
        return;
    if (kind == kInvisible) {
        static char blank[1] = {0};
        const Pixmap pixmap =
            XCreateBitmapFromData(display, DefaultRootWindow(display), blank, 1, 1);
        XColor black{};
        cursor = XCreatePixmapCursor(display, pixmap, pixmap, &black, &black, 0, 0);
        XFreePixmap(display, pixmap);
        invisible = 1;
    } else {
        const unsigned shape = kind == kHand ? XC_hand2 : (kind == kWatch ? XC_watch : XC_left_ptr);
        cursor = XCreateFontCursor(display, shape);
    }
    if (cursor != 0)
        DefineOn(window);
}

SCursor::~SCursor() { Release(); }

void SCursor::Release()
{
    if (display == nullptr || !Live())
        return;
    if (cursor != 0) {
        UndefineOn(window);
        XFreeCursor(display, cursor);
        cursor = 0;
    }
    XFlush(display);
}

// The cursor's window is usually the host's, which the host may destroy
// before us; an error about it must not reach the host's error handler.
void SCursor::DefineOn(unsigned long target)
{
    if (display == nullptr || target == 0 || cursor == 0 || !Live())
        return;
    XErrorTrap trap(display);
    XDefineCursor(display, target, cursor);
    trap.Sync();
}

void SCursor::UndefineOn(unsigned long target)
{
    if (display == nullptr || target == 0 || !Live())
        return;
    XErrorTrap trap(display);
    XUndefineCursor(display, target);
    trap.Sync();
}

void SCursor::Set() { DefineOn(window); }

void SCursor::Free()
{
    if (display != nullptr && window != 0 && Live()) {
        if (cursor != 0)
            UndefineOn(window);
        XFlush(display);
    }
    invisible = 0;
}

void SCursor::CreateDefault() { Create(nullptr, nullptr, kSize, kSize, 0, 0); }

void SCursor::Create(const void*, const void*, int w, int h, int hotX, int hotY)
{
    if (display == nullptr)
        return;
    w = Clamp(w, 1, kSize);
    h = Clamp(h, 1, kSize);
    const int screen = DefaultScreen(display);
    const Colormap colours = DefaultColormap(display, screen);
    XColor orange{};
    orange.red = 0xFF00;
    orange.green = 0x7F00;
    orange.blue = 0;
    orange.flags = DoRed | DoGreen | DoBlue;
    XAllocColor(display, colours, &orange);
    XColor black{};
    black.pixel = BlackPixel(display, screen);
    XQueryColor(display, colours, &black);
    XColor white{};
    white.pixel = WhitePixel(display, screen);
    XQueryColor(display, colours, &white);
    const Pixmap image = BitmapOf(display, kImage, w, h);
    const Pixmap mask = BitmapOf(display, kMask, w, h);
    if (cursor != 0)
        XFreeCursor(display, cursor);
    cursor = XCreatePixmapCursor(display, image, mask, &black, &orange,
                                 static_cast<unsigned>(Clamp(hotX, 0, w - 1)),
                                 static_cast<unsigned>(Clamp(hotY, 0, h - 1)));
    XFreePixmap(display, image);
    XFreePixmap(display, mask);
    invisible = 0;
}

namespace {

bool IsOneBitOfSize(Display* display, Pixmap pixmap, unsigned& w, unsigned& h)
{
    Window root = 0;
    int x = 0, y = 0;
    unsigned border = 0, depth = 0;
    return pixmap != 0 && XGetGeometry(display, pixmap, &root, &x, &y, &w, &h, &border, &depth) &&
           depth == 1;
}

}  // namespace

void SCursor::Create(context::SDrawBitmap* source, context::SDrawBitmap* mask, int hotX, int hotY)
{
    unsigned w = 0, h = 0, maskW = 0, maskH = 0;
    const bool usable = display != nullptr && source != nullptr && mask != nullptr &&
                        IsOneBitOfSize(display, source->GetPixmap(), w, h) &&
                        IsOneBitOfSize(display, mask->GetPixmap(), maskW, maskH) && w == maskW &&
                        h == maskH;
    if (usable) {
        const int screen = DefaultScreen(display);
        XColor white{};
        white.pixel = WhitePixel(display, screen);
        XQueryColor(display, DefaultColormap(display, screen), &white);
        XColor black{};
        black.pixel = BlackPixel(display, screen);
        XQueryColor(display, DefaultColormap(display, screen), &black);
        if (cursor != 0)
            XFreeCursor(display, cursor);
        cursor =
            XCreatePixmapCursor(display, source->GetPixmap(), mask->GetPixmap(), &white, &black,
                                static_cast<unsigned>(Clamp(hotX, 0, static_cast<int>(w) - 1)),
                                static_cast<unsigned>(Clamp(hotY, 0, static_cast<int>(h) - 1)));
    }
    delete source;
    delete mask;
}

// Not defined on the root window until asked: the root's cursor is the
// desktop's, and undefining it there would leave the server's default.
SCursorDefault::SCursorDefault() : defined(0)
{
    if (display == nullptr)
        return;
    window = DefaultRootWindow(display);
    cursor = XCreateFontCursor(display, XC_left_ptr);
}

SCursorDefault::~SCursorDefault()
{
    if (!defined)
        window = 0;
}

void SCursorDefault::Set()
{
    SCursor::Set();
    defined = 1;
}

void SCursorDefault::Free()
{
    SCursor::Free();
    defined = 0;
}

}  // namespace kvor::gui
