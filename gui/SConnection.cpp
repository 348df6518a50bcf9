#include "gui/SConnection.h"

#include "gui/Connections.h"

#include <X11/Xlib.h>

#include <mutex>
#include <unordered_map>

// Last: it defines min and max as macros. Only XESetCloseDisplay is used.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace kvor::gui {

struct ConnectionTable {
    struct Tracked {
        ConnectionRef record;
        int hook;  // the extension number our close hook is set under
    };

    // A host may keep its display after it has unloaded us: the close hooks
    // still set on open displays point into this module and go with it.
    ~ConnectionTable()
    {
        std::unordered_map<Display*, Tracked> left;
        {
            std::lock_guard<std::mutex> guard(lock);
            left.swap(open);
        }
        for (const auto& [display, tracked] : left)
            if (tracked.hook != 0)
                XESetCloseDisplay(display, tracked.hook, nullptr);
    }

    static void Closed(SConnection& record) { record.open.store(false, std::memory_order_release); }

    std::mutex lock;  // a leaf: no Xlib call while held
    std::unordered_map<Display*, Tracked> open;
};

namespace {

ConnectionTable& Table()
{
    static ConnectionTable table;
    return table;
}

// Runs inside XCloseDisplay, on the closing thread, before Xlib frees the
// display. Only records change here: windows, contexts and fonts on it are
// dropped by their owners when they next look, without a request.
int ForgetConnection(Display* display, XExtCodes*)
{
    ConnectionTable& table = Table();
    ConnectionRef record;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        const auto found = table.open.find(display);
        if (found == table.open.end())
            return 0;
        record = found->second.record;
        table.open.erase(found);
    }
    ConnectionTable::Closed(*record);
    ForgetHostDisplay(display);
    return 0;
}

}  // namespace

ConnectionRef TrackConnection(Display* display)
{
    if (display == nullptr)
        return nullptr;
    ConnectionTable& table = Table();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        const auto found = table.open.find(display);
        if (found != table.open.end())
            return found->second.record;
    }
    // The hook is set outside our lock: Xlib takes the display's lock,
    // which a thread waiting for ours may hold.
    XExtCodes* codes = XAddExtension(display);
    const int hook = codes != nullptr ? codes->extension : 0;
    if (hook != 0)
        XESetCloseDisplay(display, hook, ForgetConnection);
    auto record = std::make_shared<SConnection>(display);
    ConnectionRef first;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        const auto found = table.open.find(display);
        if (found == table.open.end()) {
            table.open.emplace(display, ConnectionTable::Tracked{record, hook});
            return record;
        }
        first = found->second.record;
    }
    // Another thread tracked it first: its hook is the one that counts.
    if (hook != 0)
        XESetCloseDisplay(display, hook, nullptr);
    return first;
}

}  // namespace kvor::gui
