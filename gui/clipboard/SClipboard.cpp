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

void SClipboard::OpenConnections()
{
    readerDisplay = XOpenDisplay(gui::ModuleDisplayName());
    serverDisplay = XOpenDisplay(gui::ModuleDisplayName());
    if (readerDisplay != nullptr) {
        readerSelection = XInternAtom(readerDisplay, "CLIPBOARD", False);
        transferProperty = XInternAtom(readerDisplay, "KVOR_CLIPBOARD", False);
        readerWindow = MakeWindow(readerDisplay);
        XFlush(readerDisplay);
    }
    if (serverDisplay != nullptr) {
        serverSelection = XInternAtom(serverDisplay, "CLIPBOARD", False);
        targetsAtom = XInternAtom(serverDisplay, "TARGETS", False);
        utf8Atom = XInternAtom(serverDisplay, "UTF8_STRING", False);
        serverWindow = MakeWindow(serverDisplay);
        XFlush(serverDisplay);
    }
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
        XCloseDisplay(readerDisplay);
    }
    if (serverDisplay != nullptr) {
        if (serverWindow != 0)
            XDestroyWindow(serverDisplay, serverWindow);
        XCloseDisplay(serverDisplay);
    }
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

}  // namespace kvor::file
