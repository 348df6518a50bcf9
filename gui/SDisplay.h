// The monitors of the display: from Xinerama, from the window manager's
// work areas, or guessed from the screen's shape; and centring windows on
// them. The process's one list is owned outside the toolkit and registered.
#pragma once

#include "gui/Geometry.h"
#include "runtime/datastring.h"

#include <cstdint>
#include <vector>

typedef struct _XDisplay Display;

namespace kvor::gui {

class SControl;

// A named monitor; nothing in the system makes one yet.
class SDisplayInfo {
public:
    using Rect = math::geom::Rectangle<int, 2>;

    SDisplayInfo(Rect rectangle, data::datastring<32, char> name, int number);

    Rect rectangle;
    data::datastring<32, char> name;
    int32_t number;
};

class SDisplay {
public:
    using Point = math::geom::Point<int, 2>;
    using Rect = math::geom::Rectangle<int, 2>;

    SDisplay() = default;

    // The monitor list that centring uses. Its owner (the machine inquiry
    // of whatever uses the toolkit) registers it once it is built and
    // withdraws it, with null, before deleting it.
    static void SetProcessMonitors(const SDisplay* monitors);
    static const SDisplay* ProcessMonitors();

    // Rebuilds the monitor list from the display in use and returns this
    // object. The bounding box is only widened, from where it stands.
    SDisplay* AllMonitorRects();
    SDisplay* AllMonitorRects(Display* display);
    // The named monitors; not filled by this toolkit.
    void AllMonitorInfos() {}

    // The first monitor containing the point (edges included), else the
    // first monitor; an empty rectangle when there are none.
    Rect MonitorRect(const Point& point) const;
    // The monitor containing the control's centre; null means the first.
    Rect MonitorRect(SControl* control) const;
    // Moves the control to the middle of the monitor containing its centre
    // (or the point). Returns 0 for no control, else 1.
    int CenterOnWindow(SControl* control) const;
    void CenterOnWindow(SControl* control, const Point& point) const;

    const std::vector<Rect>& Monitors() const { return monitors; }
    int32_t Count() const { return count; }
    // min x, min y, max x, max y of all monitors.
    Rect Bounds() const { return Rect{minX, minY, maxX, maxY}; }
    // True when the monitors were guessed by splitting one screen.
    bool Split() const { return split != 0; }

private:
    bool FromXinerama(Display* display);
    void FromWorkAreas(Display* display);
    void GuessFromShape(Display* display);
    void Add(const Rect& monitor);
    void Widen(const Rect& monitor);
    static Rect Centred(const Rect& monitor, int w, int h);

    std::vector<SDisplayInfo> infos;
    std::vector<Rect> monitors;
    int32_t count = 0;
    int32_t minX = 0;
    int32_t minY = 0;
    int32_t maxX = 0;
    int32_t maxY = 0;
    uint8_t split = 0;
};

}  // namespace kvor::gui
