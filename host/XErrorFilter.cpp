#include "host/XErrorFilter.h"

#include <X11/Xlib.h>

#include <map>
#include <mutex>

namespace tarvenna::host {

namespace {

struct Filter {
    std::mutex lock;
    std::map<Display*, int> quiet;
    XErrorHandler previous = nullptr;
};

Filter& TheFilter()
{
    static Filter filter;
    return filter;
}

int Handle(Display* display, XErrorEvent* error)
{
    XErrorHandler forward = nullptr;
    {
        Filter& filter = TheFilter();
        std::lock_guard<std::mutex> guard(filter.lock);
        if (filter.quiet.count(display) != 0)
            return 0;
        forward = filter.previous;
    }
    return forward != nullptr ? forward(display, error) : 0;
}

}  // namespace

void QuietXErrors(Display* display)
{
    if (display == nullptr)
        return;
    Filter& filter = TheFilter();
    std::lock_guard<std::mutex> guard(filter.lock);
    if (filter.quiet.empty())
        filter.previous = XSetErrorHandler(Handle);
    ++filter.quiet[display];
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
    if (!filter.quiet.empty())
        return;
    // Someone may have put a handler of their own over ours since; leave it.
    const XErrorHandler current = XSetErrorHandler(filter.previous);
    if (current != Handle)
        XSetErrorHandler(current);
    filter.previous = nullptr;
}

}  // namespace tarvenna::host
