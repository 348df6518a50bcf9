#include "gui/SConnection.h"

#include "gui/Connections.h"
#include "gui/SControl.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <unordered_map>

// Last: it defines min and max as macros. Only XESetCloseDisplay and
// XESetWireToError are used.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace kvor::gui {

namespace {

using WireToError = Bool (*)(Display*, XErrorEvent*, xError*);
constexpr int kErrorCodes = 256;
// How long a close waits for threads of ours still inside the connection.
constexpr auto kLeaveGrace = std::chrono::seconds(2);

}  // namespace

// The count goes up before the flag is read, and the close lowers the flag
// before it reads the count: a thread either sees the connection closed or
// is seen by the close.
Display* SConnection::Enter()
{
    users.fetch_add(1);
    if (open.load())
        return display;
    users.fetch_sub(1);
    return nullptr;
}

void SConnection::Leave() { users.fetch_sub(1); }

int SConnection::OpenClaim(unsigned long first)
{
    const int slot = claims.load();
    if (slot < kMaxClaims) {
        firstSerials[slot] = first;
        claimed[slot] = 0;
    }
    claims = slot + 1;
    return slot;
}

unsigned SConnection::Claimed(int slot) const
{
    return slot < kMaxClaims ? claimed[slot].load() : 0;
}

void SConnection::CloseClaim(int slot) { claims = slot; }

// Serials wrap: "at or after the first" is a signed distance. Every open
// claim the error falls in counts it, so an outer trap sees its inner
// traps' errors too.
bool SConnection::Claims(unsigned long serial)
{
    bool ours = claimEverything.load();
    const int open = std::min(claims.load(), kMaxClaims);
    for (int i = 0; i < open; ++i) {
        if (static_cast<long>(serial - firstSerials[i].load()) >= 0) {
            claimed[i].fetch_add(1);
            ours = true;
        }
    }
    return ours;
}

struct ConnectionTable {
    struct Tracked {
        ConnectionRef record;
        int hook;  // the extension number our close hook is set under
        // The wire-to-error hooks that were there before ours.
        std::shared_ptr<WireToError[]> previous;
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
        for (const auto& [display, tracked] : left) {
            if (tracked.hook != 0)
                XESetCloseDisplay(display, tracked.hook, nullptr);
            for (int code = 1; code < kErrorCodes; ++code)
                XESetWireToError(display, code, tracked.previous[code]);
        }
    }

    // Xlib runs the close hooks without the display's lock, so a thread
    // that entered and waits for the lock gets it, finds the connection
    // closed and leaves. Only a closing thread that holds the lock itself
    // could keep it waiting: the close then goes on after the grace.
    static void Closed(SConnection& record)
    {
        record.open.store(false);
        const auto giveUp = std::chrono::steady_clock::now() + kLeaveGrace;
        while (record.users.load() != 0) {
            if (std::chrono::steady_clock::now() >= giveUp) {
                std::fputs("Tarvenna: an X connection was closed while the editor still used it\n",
                           stderr);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    std::mutex lock;  // a leaf: no Xlib call while held
    std::unordered_map<Display*, Tracked> open;
};

namespace {

ConnectionTable& Table()
{
    static ConnectionTable table;
    return table;
}

// Runs inside Xlib, on whichever thread reads the error, with the display's
// own lock held: only our table's leaf lock is taken here.
Bool ClaimOrPass(Display* display, XErrorEvent* error, xError* wire)
{
    ConnectionRef record;
    WireToError previous = nullptr;
    {
        ConnectionTable& table = Table();
        std::lock_guard<std::mutex> guard(table.lock);
        const auto found = table.open.find(display);
        if (found != table.open.end()) {
            record = found->second.record;
            previous = found->second.previous[error->error_code & 0xFF];
        }
    }
    if (record != nullptr && record->Claims(error->serial)) {
        SControl::errorHandler(display, error);
        return False;  // dealt with: no handler hears of it
    }
    return previous != nullptr ? previous(display, error, wire) : True;
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
    }
    // Still in the table meanwhile: the errors of a trap that is ending
    // are claimed as before.
    ConnectionTable::Closed(*record);
    {
        std::lock_guard<std::mutex> guard(table.lock);
        table.open.erase(display);
    }
    ForgetHostDisplay(display);
    return 0;
}

// Called with the display locked and the display not yet in the table.
ConnectionRef Track(ConnectionTable& table, Display* display)
{
    XExtCodes* codes = XAddExtension(display);
    const int hook = codes != nullptr ? codes->extension : 0;
    if (hook != 0)
        XESetCloseDisplay(display, hook, ForgetConnection);
    // No error is read meanwhile (the display is locked), so the hooks may
    // go in before the record they look for.
    std::shared_ptr<WireToError[]> previous(new WireToError[kErrorCodes]());
    for (int code = 1; code < kErrorCodes; ++code)
        previous[code] = XESetWireToError(display, code, ClaimOrPass);
    auto record = std::make_shared<SConnection>(display);
    std::lock_guard<std::mutex> guard(table.lock);
    table.open.emplace(display, ConnectionTable::Tracked{record, hook, previous});
    return record;
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
    // Two threads tracking one display at once would chain our error hook
    // to itself; the display's lock makes them take turns.
    XLockDisplay(display);
    ConnectionRef record;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        const auto found = table.open.find(display);
        if (found != table.open.end())
            record = found->second.record;
    }
    if (record == nullptr)
        record = Track(table, display);
    XUnlockDisplay(display);
    return record;
}

}  // namespace kvor::gui
