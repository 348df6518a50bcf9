// Guarded reads of window properties and the toolkit's X error handler.
#include "gui/SControl.h"

#include "gui/XErrorTrap.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace kvor::gui {

bool SControl::ReadItem(Display* display, unsigned long from, unsigned long atom,
                        unsigned long& item)
{
    item = 0;
    if (display == nullptr || from == 0)
        return false;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    int status;
    bool failed;
    {
        XErrorTrap trap(display);
        status = XGetWindowProperty(display, from, atom, 0, 1, False, AnyPropertyType, &type,
                                    &format, &count, &after, &data);
        failed = trap.Failed();
    }
    const bool ok = !failed && status == Success && data != nullptr && count == 1 && format == 32;
    // Format-32 items arrive as longs, sign-extended on 64-bit targets;
    // the stored value is the low 32 bits.
    if (ok)
        item = static_cast<unsigned long>(static_cast<uint32_t>(*reinterpret_cast<long*>(data)));
    if (data != nullptr)
        XFree(data);
    return ok;
}

unsigned long SControl::getProperty(unsigned long from, unsigned long atom)
{
    if (from == 0)
        return 0;
    unsigned long item = 0;
    ReadItem(DisplayInUse(), from, atom, item);
    return item;
}

int SControl::errorHandler(Display* display, void* event)
{
    const XErrorEvent* error = static_cast<const XErrorEvent*>(event);
    char text[1024] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "XError Message: %s\n", text);
    if (error->request_code < 128) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", error->request_code);
        char request[1024] = {};
        XGetErrorDatabaseText(display, "XRequest", number, "", request, sizeof request);
        std::fprintf(stderr, "XError Message: (%s)\n", request);
    }
    std::fprintf(stderr, "XError Message: Request=%i\n", static_cast<int>(error->request_code));
    std::fprintf(stderr, "XError Message: Serial=%i\n", static_cast<int>(error->serial));
    std::fprintf(stderr, "XError Message: Minor=%i\n", static_cast<int>(error->minor_code));
    std::fprintf(stderr, "XError Message: XID=%i\n", static_cast<int>(error->resourceid));
    xerror = 1;
    return 0;
}

}  // namespace kvor::gui
