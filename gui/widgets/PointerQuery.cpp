#include "gui/widgets/PointerQuery.h"

#include "gui/Connections.h"
#include "gui/SControl.h"

#include <X11/Xlib.h>

namespace kvor::gui {

SPointerPlace QueryPointer(const SControl& control)
{
    SPointerPlace place{false, -1, -1, -1, -1};
    Display* display = control.GetDisplay();
    const Window own = control.GetWindow();
    if (display == nullptr || own == 0)
        return place;
    Window root = 0;
    Window child = 0;
    unsigned mask = 0;
    place.known = XQueryPointer(display, own, &root, &child, &place.rootX, &place.rootY, &place.x,
                                &place.y, &mask) != 0;
    return place;
}

bool PointerInside(const SControl& control)
{
    const SPointerPlace place = QueryPointer(control);
    return place.known && control.GetClient().ContainsInclusive(place.x, place.y);
}

}  // namespace kvor::gui
