#include "host/XErrorFilter.h"

#include <X11/Xlib.h>

#include <map>
#include <mutex>

namespace tarvenna::host {

namespace {

struct Filter {
    std::mutex lock;
    std::map<Display*, int> quiet;
    bool all = false;
    bool installed = false;
    XErrorHandler previous = nullptr;
    // The first serial of the host's own requests that may fail, per display.
    std::map<Display*, unsigned long> expectedFrom;
    std::map<Display*, std::size_t> taken;
    std::size_t total = 0;
};

Filter& TheFilter()
{
    static Filter filter;
    return filter;
}

// Serial numbers wrap; "at or after first" is a signed distance test.
bool Expected(const Filter& filter, const XErrorEvent* error)
{
    const auto found = filter.expectedFrom.find(error->display);
    return found != filter.expectedFrom.end() &&
           static_cast<long>(error->serial - found->second) >= 0;
}

int Handle(Display* display, XErrorEvent* error)
{
    XErrorHandler forward = nullptr;
    {
        Filter& filter = TheFilter();
        std::lock_guard<std::mutex> guard(filter.lock);
        if (filter.all || filter.quiet.count(display) != 0) {
            if (!Expected(filter, error)) {
                ++filter.total;
                ++filter.taken[display];
            }
            return 0;
        }
        forward = filter.previous;
    }
    return forward != nullptr ? forward(display, error) : 0;
}

void Install(Filter& filter)
{
    if (filter.installed)
        return;
    filter.previous = XSetErrorHandler(Handle);
    filter.installed = true;
}

}  // namespace

void QuietXErrors(Display* display)
{
    if (display == nullptr)
        return;
    Filter& filter = TheFilter();
    std::lock_guard<std::mutex> guard(filter.lock);
    Install(filter);
    if (filter.quiet[display]++ == 0)
        filter.taken[display] = 0;
}

void UnquietXErrors(Display* display)
{
    Filter& filter = TheFilter();
    std::lock_guard<std::mutex> guard(filter.lock);
    const auto found = filter.quiet.find(display);
    if (found == filter.quiet.end())
        return;
    if (--found->second > 0)
        return;
    filter.quiet.erase(found);
    if (!filter.quiet.empty() || filter.all)
        return;
    // Someone may have put a handler of their own over ours since; leave it.
    const XErrorHandler current = XSetErrorHandler(filter.previous);
    if (current != Handle)
        XSetErrorHandler(current);
    filter.previous = nullptr;
    filter.installed = false;
}

void TakeAllXErrors()
{
    Filter& filter = TheFilter();
    std::lock_guard<std::mutex> guard(filter.lock);
    Install(filter);
    filter.all = true;
}

std::size_t XErrorsTaken(Display* display)
{
    Filter& filter = TheFilter();
    std::lock_guard<std::mutex> guard(filter.lock);
    if (display == nullptr)
        return filter.total;
    const auto found = filter.taken.find(display);
    return found == filter.taken.end() ? 0 : found->second;
}

// The display's lock comes first and the filter's second, as in the handler,
// which Xlib calls with the display locked.
ExpectedXErrors::ExpectedXErrors(Display* display) : display(display)
{
    if (display == nullptr)
        return;
    XLockDisplay(display);
    Filter& filter = TheFilter();
    std::lock_guard<std::mutex> guard(filter.lock);
    nested = filter.expectedFrom.count(display) != 0;
    if (!nested)
        filter.expectedFrom[display] = NextRequest(display);
}

ExpectedXErrors::~ExpectedXErrors()
{
    if (display == nullptr)
        return;
    {
        Filter& filter = TheFilter();
        std::lock_guard<std::mutex> guard(filter.lock);
        if (!nested)
            filter.expectedFrom.erase(display);
    }
    XUnlockDisplay(display);
}

}  // namespace tarvenna::host
