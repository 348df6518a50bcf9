// The clipboard's connections, windows and serving thread, and its open
// state.
#include "gui/clipboard/SClipboard.h"

#include "gui/Connections.h"

#include <X11/Xlib.h>

namespace kvor::file {

std::atomic<uint8_t> clipboardopen{0};

namespace {

// How long the serving thread rests between two looks for requests.
constexpr unsigned kServePeriodMs = 10;
// The priority level of the serving thread (the middle one).
constexpr int32_t kServeLevel = 2;

Window MakeWindow(Display* display)
{
    if (display == nullptr)
        return 0;
    const Window root = RootWindow(display, DefaultScreen(display));
    return XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
}

}  // namespace

SClipboard::SClipboard()
{
    OpenConnections();
    if (serverWindow == 0)
        return;
    serverRunning = 1;
    if (!serverThread.Start(kServeLevel, kServePeriodMs, [this] { ServePending(); }))
        serverRunning = 0;
}

// The window that owns the selection is made on the reader's connection:
// requests for the selection go to the connection that took it, but what a
// client sends to a window with no event mask (a flood of client messages)
// goes to the one that made it, which the serving thread never has to read
// through before its next reply. The window exists before the server
// connection names it.
void SClipboard::OpenConnections()
{
    readerDisplay = XOpenDisplay(gui::ModuleDisplayName());
    serverDisplay = XOpenDisplay(gui::ModuleDisplayName());
    if (readerDisplay != nullptr) {
        readerSelection = XInternAtom(readerDisplay, "CLIPBOARD", False);
        transferProperty = XInternAtom(readerDisplay, "KVOR_CLIPBOARD", False);
        incrAtom = XInternAtom(readerDisplay, "INCR", False);
        MakeReaderWindow();
        if (serverDisplay != nullptr)
            serverWindow = MakeWindow(readerDisplay);
        XSync(readerDisplay, False);
    }
    if (serverDisplay != nullptr) {
        serverSelection = XInternAtom(serverDisplay, "CLIPBOARD", False);
        targetsAtom = XInternAtom(serverDisplay, "TARGETS", False);
        utf8Atom = XInternAtom(serverDisplay, "UTF8_STRING", False);
    }
}

// A fresh window for every owner that sent its text in pieces and did not
// finish: pieces it sends later fail at the server instead of turning up in
// the next transfer. The reader learns of each piece from its window's
// property changes.
void SClipboard::MakeReaderWindow()
{
    if (readerWindow != 0)
        XDestroyWindow(readerDisplay, readerWindow);
    readerWindow = MakeWindow(readerDisplay);
    if (readerWindow != 0)
        XSelectInput(readerDisplay, readerWindow, PropertyChangeMask);
    XFlush(readerDisplay);
}

// The thread goes first: it uses the server connection up to its last
// look.
SClipboard::~SClipboard()
{
    clipboardopen = 0;
    serverRunning = 0;
    serverThread.Stop();
    if (readerDisplay != nullptr) {
        if (readerWindow != 0)
            XDestroyWindow(readerDisplay, readerWindow);
        if (serverWindow != 0)
            XDestroyWindow(readerDisplay, serverWindow);
        XCloseDisplay(readerDisplay);
    }
    if (serverDisplay != nullptr)
        XCloseDisplay(serverDisplay);
}

bool SClipboard::Open(gui::SControl* newOwner)
{
    if (newOwner == nullptr)
        return false;
    if (clipboardopen != 0)
        return true;
    owner = newOwner;
    clipboardopen = readerWindow != 0 && serverWindow != 0 ? 1 : 0;
    return clipboardopen != 0;
}

void SClipboard::Close() { clipboardopen = 0; }

// Another clipboard of the process may be the open one: this one's own
// windows must exist all the same.
bool SClipboard::OpenImplicitly()
{
    if (owner == nullptr || readerWindow == 0 || serverWindow == 0)
        return false;
    return Open(owner);
}

bool SClipboard::Empty()
{
    if (clipboardopen == 0)
        return false;
    std::lock_guard<std::mutex> guard(serverLock);
    text.Clear(false);
    return true;
}

SClipboard* SClipboard::GetRegisteredFormats(gui::SControl* newOwner)
{
    constexpr std::size_t kFormatRoom = 64;
    formatNames.clear();
    formatNames.reserve(kFormatRoom);
    if (newOwner != nullptr) {
        if (clipboardopen == 0 && readerWindow != 0)
            owner = newOwner;
        clipboardopen = 0;
    }
    return this;
}

// A look takes no more than most events off the queue, so a peer that
// keeps sending cannot keep it going; what has arrived meanwhile is read in
// only while fewer are waiting.
int SClipboard::TakeEvents(Display* display, int most, const EventUse& use)
{
    int queued = XEventsQueued(display, QueuedAlready);
    if (queued < most)
        queued = XEventsQueued(display, QueuedAfterReading);
    const int count = queued < most ? queued : most;
    XEvent event;
    for (int taken = 1; taken <= count; ++taken) {
        XNextEvent(display, &event);
        if (use(event))
            return taken;
    }
    return count;
}

}  // namespace kvor::file

// Last: it defines min and max as macros. Xlib moves every queue entry it is
// done with to a free list it never shortens, so one burst of a hundred
// thousand events from a hostile client would keep some twenty megabytes
// for the life of the connection; the entries are single allocations that
// Xlib frees the same way when the connection closes.
#include <X11/Xlibint.h>

void kvor::file::SClipboard::ReleaseSpareEvents(Display* display)
{
    LockDisplay(display);
    _XQEvent* spare = display->qfree;
    display->qfree = nullptr;
    UnlockDisplay(display);
    while (spare != nullptr) {
        _XQEvent* next = spare->next;
        Xfree(spare);
        spare = next;
    }
}
