// Turned text. X core fonts cannot be drawn turned, so the text is drawn
// into a one-bit pixmap, turned pixel by pixel into another one, and that is
// used as a stipple to fill the place of the turned text.
#include "gui/SDrawing.h"

#include "gui/SDrawFont.h"
#include "gui/SDrawDevice.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace kvor::gui::context {

namespace {

constexpr double kPi = 3.14159265358979323846;
// X sizes are 16-bit; a larger pixmap would be refused with an X error.
constexpr int kLargestSide = 32767;

bool Fits(int w, int h) { return w > 0 && h > 0 && w <= kLargestSide && h <= kLargestSide; }

// Halves go up. Rounding them away from zero would map both -0.5 and 0.5
// away from 0 and lose a column of the text wherever the sampling steps
// cross zero on a half.
int Round(double value) { return static_cast<int>(std::floor(value + 0.5)); }

int MakeOdd(int value) { return value % 2 == 0 ? value + 1 : value; }

// sin and cos of quarter turns come out as 6e-17 instead of 0; on text of
// odd width that tilts the sampling across a rounding edge and breaks
// straight strokes in two.
double Exact(double value) { return std::fabs(value) < 1e-9 ? 0.0 : value; }

// A one-bit picture on the client side, for reading and setting pixels.
struct Mask {
    XImage* image = nullptr;
    int width = 0;
    int height = 0;

    Mask() = default;
    Mask(const Mask&) = delete;
    Mask& operator=(const Mask&) = delete;
    ~Mask()
    {
        if (image != nullptr)
            XDestroyImage(image);
    }
    bool Get(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height && XGetPixel(image, x, y) != 0;
    }
};

// The text in ink 1 on 0, top-left at (0, 0), in a w x h one-bit picture.
bool RenderText(Display* display, Drawable drawable, const SDrawFont& font, const char* text, int w,
                int h, Mask& mask)
{
    if (!Fits(w, h))
        return false;
    const Pixmap pixmap =
        XCreatePixmap(display, drawable, static_cast<unsigned>(w), static_cast<unsigned>(h), 1);
    GC context = XCreateGC(display, pixmap, 0, nullptr);
    XSetBackground(display, context, 0);
    if (font.fontId != 0)
        XSetFont(display, context, font.fontId);
    XSetForeground(display, context, 0);
    XFillRectangle(display, pixmap, context, 0, 0, static_cast<unsigned>(w + 1),
                   static_cast<unsigned>(h + 1));
    XSetForeground(display, context, 1);
    XDrawString(display, pixmap, context, 0, font.info->ascent, text,
                static_cast<int>(std::strlen(text)));
    mask.image = XGetImage(display, pixmap, 0, 0, static_cast<unsigned>(w),
                           static_cast<unsigned>(h), 1, XYPixmap);
    mask.width = w;
    mask.height = h;
    XFreeGC(display, context);
    XFreePixmap(display, pixmap);
    return mask.image != nullptr;
}

// An empty one-bit picture of w x h, most significant bit first.
bool BlankMask(Display* display, int w, int h, Mask& mask)
{
    if (!Fits(w, h))
        return false;
    const int bytesPerLine = (w + 7) / 8;
    char* bits = static_cast<char*>(
        std::calloc(static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(h), 1));
    if (bits == nullptr)
        return false;
    mask.image =
        XCreateImage(display, DefaultVisual(display, DefaultScreen(display)), 1, XYBitmap, 0, bits,
                     static_cast<unsigned>(w), static_cast<unsigned>(h), 8, bytesPerLine);
    if (mask.image == nullptr) {
        std::free(bits);
        return false;
    }
    mask.image->bitmap_bit_order = MSBFirst;
    mask.image->byte_order = MSBFirst;
    mask.width = w;
    mask.height = h;
    return true;
}

// Maps a pixel of the turned picture (column j, row i counted from the
// bottom) to the pixel of the text it shows.
struct Turn {
    virtual ~Turn() = default;
    virtual void Source(int i, int j, int& x, int& y) const = 0;
};

void TurnInto(const Mask& source, Mask& target, const Turn& turn)
{
    for (int i = 0; i < target.height; ++i) {
        const int row = target.height - 1 - i;
        for (int j = 0; j < target.width; ++j) {
            int x = 0;
            int y = 0;
            turn.Source(i, j, x, y);
            if (source.Get(x, y))
                XPutPixel(target.image, j, row, 1);
        }
    }
}

// The turned picture as the stipple of a fill over its place; the fill
// takes function, plane mask and colours from the drawing's context.
void StippleFill(Display* display, Drawable drawable, GC drawingContext, const Mask& turned, int x,
                 int y, const unsigned long* foreground)
{
    const unsigned w = static_cast<unsigned>(turned.width);
    const unsigned h = static_cast<unsigned>(turned.height);
    const Pixmap stipple = XCreatePixmap(display, drawable, w, h, 1);
    GC stippleContext = XCreateGC(display, stipple, 0, nullptr);
    XSetForeground(display, stippleContext, 1);
    XSetBackground(display, stippleContext, 0);
    XPutImage(display, stipple, stippleContext, turned.image, 0, 0, 0, 0, w, h);
    XFreeGC(display, stippleContext);

    GC scratch = XCreateGC(display, drawable, 0, nullptr);
    XCopyGC(display, drawingContext, GCFunction | GCPlaneMask | GCForeground | GCBackground,
            scratch);
    if (foreground != nullptr)
        XSetForeground(display, scratch, *foreground);
    XSetStipple(display, scratch, stipple);
    XSetFillStyle(display, scratch, FillStippled);
    XSetTSOrigin(display, scratch, x, y);
    XFillRectangle(display, drawable, scratch, x, y, w, h);
    XFreeGC(display, scratch);
    XFreePixmap(display, stipple);
}

// The turned sizes are odd, so the half-pixel here is the rounding itself:
// a further half would shift text of odd width by a pixel and lose its
// first column.
struct QuarterTurn : Turn {
    double w, h, turnedW, turnedH;
    void Source(int i, int j, int& x, int& y) const override
    {
        x = static_cast<int>(std::floor(w / 2 + i - turnedH / 2 + 0.5));
        y = static_cast<int>(std::floor(h / 2 + j - turnedW / 2 + 0.5));
    }
};

struct AngleTurn : Turn {
    double w, h, turnedW, turnedH, sine, cosine;
    void Source(int i, int j, int& x, int& y) const override
    {
        const double v = i - turnedH / 2 + 0.5;
        const double u = j - turnedW / 2 + 0.5;
        x = Round(w / 2 + v * sine + u * cosine);
        y = Round(h / 2 - v * cosine + u * sine);
    }
};

SDrawing::Rect Moved(SDrawing::Rect area, const SDrawing::Point& offset)
{
    area.x1 += offset.x;
    area.x2 += offset.x;
    area.y1 += offset.y;
    area.y2 += offset.y;
    return area;
}

// The block is placed as a label places text whose ascent is the block's
// height and whose descent is 0; the result is its top-left corner.
SDrawing::Point PlaceBlock(const SDrawing::Rect& area, int align, int w, int h)
{
    const SDrawing::Point at = SDrawing::PlaceText(area, align, w, h, 0);
    return SDrawing::Point{at.x, at.y - h};
}

}  // namespace

void SDrawing::DrawVerticalLabel(const char* text, Rect area, int, int align, const Point& offset,
                                 bool, bool, const char*)
{
    if (!CanDrawText(text))
        return;
    Display* display = device->GetDisplay();
    int direction = 0, ascent = 0, descent = 0;
    XCharStruct extent{};
    XTextExtents(font->info, text, static_cast<int>(std::strlen(text)), &direction, &ascent,
                 &descent, &extent);
    const int w = extent.width;
    const int h = ascent + descent;
    Mask source;
    if (!RenderText(display, device->GetDrawable(), *font, text, w, h, source))
        return;
    QuarterTurn turn;
    turn.w = w;
    turn.h = h;
    turn.turnedW = h + (h % 2 == 0 ? 1 : 0);
    turn.turnedH = w + (w % 2 == 0 ? 1 : 0);
    Mask turned;
    if (!BlankMask(display, static_cast<int>(turn.turnedW), static_cast<int>(turn.turnedH), turned))
        return;
    TurnInto(source, turned, turn);
    const Point at = PlaceBlock(Moved(area, offset), align, turned.width, turned.height);
    StippleFill(display, device->GetDrawable(), device->Get(), turned, at.x, at.y, nullptr);
}

void SDrawing::DrawVerticalLabel(const Text& text, const Rect& area, int unused, int align,
                                 const Point& offset, bool first, bool second, const char* extra)
{
    DrawVerticalLabel(text.data, area, unused, align, offset, first, second, extra);
}

void SDrawing::DrawRotatedText(const char* text, Rect area, int angle, int align,
                               const Point& offset)
{
    if (!CanDrawText(text))
        return;
    while (angle > 359)
        angle -= 360;
    while (angle < -359)
        angle += 360;
    if (angle == 0) {
        DrawLabel(text, area, align, offset);
        return;
    }
    area = Rect{area.x1 - 1, area.y1 - 1, area.x2 + 1, area.y2 + 1};
    Display* display = device->GetDisplay();
    int direction = 0, ascent = 0, descent = 0;
    XCharStruct extent{};
    XTextExtents(font->info, text, static_cast<int>(std::strlen(text)), &direction, &ascent,
                 &descent, &extent);
    const int w = extent.width + 2;
    const int h = ascent + descent + 2;
    Mask source;
    if (!RenderText(display, device->GetDrawable(), *font, text, w, h, source))
        return;
    const double radians = angle * kPi / 180.0;
    AngleTurn turn;
    turn.w = w;
    turn.h = h;
    turn.sine = Exact(std::sin(radians));
    turn.cosine = Exact(std::cos(radians));
    turn.turnedW =
        MakeOdd(Round(std::fabs(h * turn.sine) + std::fabs(w * turn.cosine) + 0.99999 + 2));
    turn.turnedH =
        MakeOdd(Round(std::fabs(h * turn.cosine) + std::fabs(w * turn.sine) + 0.99999 + 2));
    Mask turned;
    if (!BlankMask(display, static_cast<int>(turn.turnedW), static_cast<int>(turn.turnedH), turned))
        return;
    TurnInto(source, turned, turn);
    const Point at = PlaceBlock(Moved(area, offset), align, turned.width, turned.height);
    const unsigned long colour = static_cast<unsigned long>(static_cast<uint32_t>(textFalse));
    StippleFill(display, device->GetDrawable(), device->Get(), turned, at.x, at.y, &colour);
}

void SDrawing::DrawRotatedText(const Text& text, const Rect& area, int angle, int align,
                               const Point& offset)
{
    DrawRotatedText(text.data, area, angle, align, offset);
}

}  // namespace kvor::gui::context
