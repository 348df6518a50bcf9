#include "gui/SDisplay.h"

#include "gui/Connections.h"
#include "gui/SControl.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>

#include <atomic>
#include <cmath>
#include <utility>

namespace kvor::gui {

namespace {

std::atomic<const SDisplay*> processMonitors{nullptr};

// Monitors are taken to be 5:4; a screen much wider or taller than that is
// several monitors side by side or stacked.
constexpr double kMonitorAspect = 0.8;
constexpr double kSplitAbove = 1.5;

int Round(double value) { return static_cast<int>(std::lround(value)); }

// Halves rounded towards minus infinity.
int FloorHalf(int value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }

}  // namespace

SDisplayInfo::SDisplayInfo(Rect area, data::datastring<32, char> text, int index)
    : rectangle(area),
      name(std::move(text)),
      number(index)
{
}

SDisplay* SDisplay::AllMonitorRects() { return AllMonitorRects(DisplayInUse()); }

SDisplay* SDisplay::AllMonitorRects(Display* display)
{
    monitors.clear();
    count = 0;
    if (display == nullptr)
        return this;
    if (!FromXinerama(display))
        FromWorkAreas(display);
    if (!monitors.empty())
        count = static_cast<int32_t>(monitors.size());
    else
        GuessFromShape(display);
    return this;
}

bool SDisplay::FromXinerama(Display* display)
{
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(display, "XINERAMA", &opcode, &event, &error) ||
        !XineramaIsActive(display))
        return false;
    int heads = 0;
    XineramaScreenInfo* screens = XineramaQueryScreens(display, &heads);
    for (int i = 0; screens != nullptr && i < heads; ++i)
        Add(Rect{screens[i].x_org, screens[i].y_org, screens[i].x_org + screens[i].width,
                 screens[i].y_org + screens[i].height});
    if (screens != nullptr)
        XFree(screens);
    return true;
}

// Only read with several X screens: one screen goes to the guess instead.
void SDisplay::FromWorkAreas(Display* display)
{
    count = ScreenCount(display);
    const Atom workArea = XInternAtom(display, "_NET_WORKAREA", True);
    if (workArea == None || count <= 1)
        return;
    for (int screen = 0; screen < count; ++screen) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const int result =
            XGetWindowProperty(display, RootWindow(display, screen), workArea, 0, 4, False,
                               XA_CARDINAL, &type, &format, &items, &after, &data);
        if (result == Success && type == XA_CARDINAL && format == 32 && items == 4) {
            // Format-32 items arrive as longs, whatever the size of a long.
            const long* area = reinterpret_cast<const long*>(data);
            const int x = static_cast<int>(area[0]);
            const int y = static_cast<int>(area[1]);
            Add(Rect{x, y, x + static_cast<int>(area[2]), y + static_cast<int>(area[3])});
        }
        if (data != nullptr)
            XFree(data);
    }
}

void SDisplay::GuessFromShape(Display* display)
{
    const int screen = DefaultScreen(display);
    const int w = DisplayWidth(display, screen);
    const int h = DisplayHeight(display, screen);
    minX = minY = 0;
    maxX = w;
    maxY = h;
    const double tall = h / (kMonitorAspect * w);
    const double wide = kMonitorAspect * w / h;
    split = 1;
    if (tall > kSplitAbove) {
        const int step = Round(h / tall);
        for (int i = 0; i < Round(tall); ++i)
            monitors.push_back(Rect{0, i * step, w, (i + 1) * step});
    } else if (wide > kSplitAbove) {
        const int step = Round(w / wide);
        for (int i = 0; i < Round(wide); ++i)
            monitors.push_back(Rect{i * step, 0, (i + 1) * step, h});
    } else {
        monitors.push_back(Rect{0, 0, w, h});
        split = 0;
    }
    count = static_cast<int32_t>(monitors.size());
}

void SDisplay::Add(const Rect& monitor)
{
    monitors.push_back(monitor);
    Widen(monitor);
}

void SDisplay::Widen(const Rect& monitor)
{
    if (monitor.x1 < minX)
        minX = monitor.x1;
    if (monitor.y1 < minY)
        minY = monitor.y1;
    if (monitor.x2 > maxX)
        maxX = monitor.x2;
    if (monitor.y2 > maxY)
        maxY = monitor.y2;
}

SDisplay::Rect SDisplay::MonitorRect(const Point& point) const
{
    if (monitors.empty())
        return Rect{0, 0, 0, 0};
    for (const Rect& monitor : monitors)
        if (monitor.ContainsInclusive(point.x, point.y))
            return monitor;
    return monitors.front();
}

SDisplay::Rect SDisplay::MonitorRect(SControl* control) const
{
    if (control == nullptr)
        return monitors.empty() ? Rect{0, 0, 0, 0} : monitors.front();
    int x = 0, y = 0;
    control->GetClient2Screen(x, y);
    const Rect& outer = control->GetOuter();
    return MonitorRect(Point{x + FloorHalf(outer.Width()), y + FloorHalf(outer.Height())});
}

SDisplay::Rect SDisplay::Centred(const Rect& monitor, int w, int h)
{
    const int x = monitor.x1 + FloorHalf(monitor.x2 - monitor.x1 - w);
    const int y = monitor.y1 + FloorHalf(monitor.y2 - monitor.y1 - h);
    return Rect{x, y, x + w, y + h};
}

int SDisplay::CenterOnWindow(SControl* control) const
{
    if (control == nullptr)
        return 0;
    const Rect& outer = control->GetOuter();
    const Rect place = Centred(MonitorRect(control), outer.Width(), outer.Height());
    control->SetPosition(place.x1, place.y1);
    return 1;
}

void SDisplay::CenterOnWindow(SControl* control, const Point& point) const
{
    if (control == nullptr)
        return;
    const Rect& outer = control->GetOuter();
    const Rect place = Centred(MonitorRect(point), outer.Width(), outer.Height());
    control->SetPosition(place.x1, place.y1);
}

}  // namespace kvor::gui

namespace kvor::gui {

void SDisplay::SetProcessMonitors(const SDisplay* monitors) { processMonitors.store(monitors); }

const SDisplay* SDisplay::ProcessMonitors() { return processMonitors.load(); }

}  // namespace kvor::gui
