// Points, lines, rectangles, arcs, polygons and copies from other devices.
//
// X sends widths and heights as unsigned 16-bit numbers: an empty or
// inverted rectangle would reach the server as a huge one, so those draw
// nothing here.
#include "gui/SDrawing.h"

#include "gui/SResourceCache.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawImage.h"

#include <X11/Xlib.h>
#include <X11/Xmu/Drawing.h>

#include <vector>

namespace kvor::gui::context {

namespace {

constexpr int kFullCircle = 360 * 64;
// Polygons up to this many points are converted on the stack.
constexpr int kStackPoints = 64;

bool HasArea(int w, int h) { return w > 0 && h > 0; }

short Narrow(int value) { return static_cast<short>(value); }

}  // namespace

void SDrawing::DrawBackground(const Rect& area, bool parent)
{
    if (globals == nullptr)
        return;
    const int colour = parent ? parentBackground : background;
    SetPen(SharedResources().FindPen(colour));
    SetBrush(SharedResources().FindBrush(colour));
    SetContextForeground(colour);
    FillRect(area);
}

void SDrawing::DrawPoint(int x, int y)
{
    if (CanDraw())
        XDrawPoint(device->GetDisplay(), device->GetDrawable(), device->Get(), x, y);
}

void SDrawing::DrawPoint(const Point& point) { DrawPoint(point.x, point.y); }

void SDrawing::DrawLine(int x1, int y1, int x2, int y2)
{
    if (CanDraw())
        XDrawLine(device->GetDisplay(), device->GetDrawable(), device->Get(), x1, y1, x2, y2);
}

void SDrawing::DrawLine(const Point& from, const Point& to)
{
    DrawLine(from.x, from.y, to.x, to.y);
}

void SDrawing::DrawRect(int x1, int y1, int x2, int y2)
{
    const int w = x2 - x1;
    const int h = y2 - y1;
    if (CanDraw() && HasArea(w, h))
        XDrawRectangle(device->GetDisplay(), device->GetDrawable(), device->Get(), x1, y1,
                       static_cast<unsigned>(w - 1), static_cast<unsigned>(h - 1));
}

void SDrawing::DrawRect(const Point& a, const Point& b) { DrawRect(a.x, a.y, b.x, b.y); }

void SDrawing::DrawRect(const Rect& r) { DrawRect(r.x1, r.y1, r.x2, r.y2); }

void SDrawing::DrawRoundedRect(int x1, int y1, int x2, int y2, int ew, int eh)
{
    const int w = x2 - x1;
    const int h = y2 - y1;
    if (CanDraw() && HasArea(w, h))
        XmuDrawRoundedRectangle(device->GetDisplay(), device->GetDrawable(), device->Get(), x1, y1,
                                w - 1, h - 1, ew, eh);
}

void SDrawing::DrawRoundedRect(const Rect& r, int ew, int eh)
{
    DrawRoundedRect(r.x1, r.y1, r.x2, r.y2, ew, eh);
}

void SDrawing::FillRect(int x1, int y1, int x2, int y2)
{
    const int w = x2 - x1;
    const int h = y2 - y1;
    if (CanDraw() && HasArea(w, h))
        XFillRectangle(device->GetDisplay(), device->GetDrawable(), device->Get(), x1, y1,
                       static_cast<unsigned>(w), static_cast<unsigned>(h));
}

void SDrawing::FillRect(const Point& a, const Point& b) { FillRect(a.x, a.y, b.x, b.y); }

void SDrawing::FillRect(const Rect& r) { FillRect(r.x1, r.y1, r.x2, r.y2); }

void SDrawing::FillRoundedRect(int x1, int y1, int x2, int y2, int ew, int eh)
{
    const int w = x2 - x1;
    const int h = y2 - y1;
    if (CanDraw() && HasArea(w, h))
        XmuFillRoundedRectangle(device->GetDisplay(), device->GetDrawable(), device->Get(), x1, y1,
                                w, h, ew, eh);
}

void SDrawing::FillRoundedRect(const Rect& r, int ew, int eh)
{
    FillRoundedRect(r.x1, r.y1, r.x2, r.y2, ew, eh);
}

void SDrawing::Arc(int x1, int y1, int x2, int y2, int start, int extent, bool chord, bool fill)
{
    const int w = x2 - x1;
    const int h = y2 - y1;
    if (!CanDraw() || !HasArea(w, h))
        return;
    Display* display = device->GetDisplay();
    XSetArcMode(display, device->Get(), chord ? ArcChord : ArcPieSlice);
    if (fill)
        XFillArc(display, device->GetDrawable(), device->Get(), x1, y1, static_cast<unsigned>(w),
                 static_cast<unsigned>(h), start, extent);
    else
        XDrawArc(display, device->GetDrawable(), device->Get(), x1, y1, static_cast<unsigned>(w),
                 static_cast<unsigned>(h), start, extent);
}

void SDrawing::DrawEllipse(int x1, int y1, int x2, int y2)
{
    Arc(x1, y1, x2, y2, 0, kFullCircle, false, false);
}

void SDrawing::FillEllipse(int x1, int y1, int x2, int y2)
{
    Arc(x1, y1, x2, y2, 0, kFullCircle, false, true);
}

void SDrawing::DrawPie(int x1, int y1, int x2, int y2, int start, int extent)
{
    Arc(x1, y1, x2, y2, start * 64, extent * 64, false, false);
}

void SDrawing::DrawChord(int x1, int y1, int x2, int y2, int start, int extent)
{
    Arc(x1, y1, x2, y2, start * 64, extent * 64, true, false);
}

void SDrawing::FillPie(int x1, int y1, int x2, int y2, int start, int extent)
{
    Arc(x1, y1, x2, y2, start * 64, extent * 64, false, true);
}

void SDrawing::FillChord(int x1, int y1, int x2, int y2, int start, int extent)
{
    Arc(x1, y1, x2, y2, start * 64, extent * 64, true, true);
}

namespace {

// Converts on the stack for the usual handful of points.
class XPoints {
public:
    XPoints(const SDrawing::Point* points, int count) : count(count)
    {
        XPoint* target = stack;
        if (count > kStackPoints) {
            heap.resize(static_cast<std::size_t>(count));
            target = heap.data();
        }
        for (int i = 0; i < count; ++i)
            target[i] = XPoint{Narrow(points[i].x), Narrow(points[i].y)};
        data = target;
    }
    XPoints(const XPoints&) = delete;
    XPoints& operator=(const XPoints&) = delete;

    XPoint* data;
    int count;

private:
    XPoint stack[kStackPoints];
    std::vector<XPoint> heap;
};

}  // namespace

void SDrawing::DrawPoly(const Point* points, int count)
{
    if (points == nullptr || count < 2 || !CanDraw())
        return;
    XPoints converted(points, count);
    XDrawLines(device->GetDisplay(), device->GetDrawable(), device->Get(), converted.data,
               converted.count, CoordModeOrigin);
}

void SDrawing::FillPoly(const Point* points, int count)
{
    if (points == nullptr || count < 2 || !CanDraw())
        return;
    XPoints converted(points, count);
    XFillPolygon(device->GetDisplay(), device->GetDrawable(), device->Get(), converted.data,
                 converted.count, Nonconvex, CoordModeOrigin);
}

void SDrawing::DrawMemory(SDrawDevice* source, int dx, int dy, int sx1, int sy1, int sx2, int sy2)
{
    const int w = sx2 - sx1;
    const int h = sy2 - sy1;
    if (source == nullptr || source->Get() == nullptr || source->GetDrawable() == 0 || !CanDraw() ||
        !HasArea(w, h))
        return;
    XCopyArea(device->GetDisplay(), source->GetDrawable(), device->GetDrawable(), source->Get(),
              sx1, sy1, static_cast<unsigned>(w), static_cast<unsigned>(h), dx, dy);
}

void SDrawing::DrawMemory(SDrawDevice* source, int dx, int dy, int sx1, int sy1, int sx2, int sy2,
                          bool)
{
    DrawMemory(source, dx, dy, sx1, sy1, sx2, sy2);
}

void SDrawing::DrawMemory(SDrawDevice* source, int dx, int dy, int sx1, int sy1, int sx2, int sy2,
                          int, SDrawBitmapMask*)
{
    DrawMemory(source, dx, dy, sx1, sy1, sx2, sy2);
}

void SDrawing::DrawMemory(SDrawDevice* source, const Point& to, const Rect& from)
{
    DrawMemory(source, to.x, to.y, from.x1, from.y1, from.x2, from.y2);
}

void SDrawing::DrawMemory(SDrawDevice* source, const Point& to, const Rect& from, bool)
{
    DrawMemory(source, to, from);
}

void SDrawing::DrawMemory(SDrawDevice* source, const Point& to, const Rect& from, int,
                          SDrawBitmapMask*)
{
    DrawMemory(source, to, from);
}

void SDrawing::DrawImage(SDrawImage* image, const Rect& src, const Rect& dst)
{
    const int w = src.x2 - src.x1;
    const int h = src.y2 - src.y1;
    if (image == nullptr || image->GetImage() == nullptr || !CanDraw() || !HasArea(w, h))
        return;
    XPutImage(device->GetDisplay(), device->GetDrawable(), device->Get(), image->GetImage(), src.x1,
              src.y1, dst.x1, dst.y1, static_cast<unsigned>(w), static_cast<unsigned>(h));
}

}  // namespace kvor::gui::context
