// The editor host's window and the editor's life in it.
#include "host/EditorHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <utility>

#include "host/XErrorFilter.h"
#include "plugin/VstOpcodes.h"

namespace tarvenna::host {

namespace {

// How long the host waits for the server to map its window.
constexpr int kSettleMs = 2000;
// How long a closed editor gets to take its windows out of ours.
constexpr int kEmptyWindowMs = 500;

struct Hosts {
    std::mutex lock;
    std::map<const AEffect*, EditorHost*> byEffect;
    std::map<std::pair<Display*, unsigned long>, EditorHost*> byWindow;
};

// The plug-in names only its record when it asks for a new window size;
// an event names only its window.
Hosts& TheHosts()
{
    static Hosts hosts;
    return hosts;
}

bool ValidRect(const ERect& rect) { return rect.right > rect.left && rect.bottom > rect.top; }

// Xlib's display lock, when the host holds it around a call to the editor:
// the plug-in's other threads wait for their requests on that connection
// until the call returns.
class HeldDisplay {
public:
    HeldDisplay(Display* display, bool hold, int heldMs) : display(hold ? display : nullptr)
    {
        if (this->display == nullptr)
            return;
        XLockDisplay(this->display);
        if (heldMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(heldMs));
    }
    ~HeldDisplay()
    {
        if (display != nullptr)
            XUnlockDisplay(display);
    }

    HeldDisplay(const HeldDisplay&) = delete;
    HeldDisplay& operator=(const HeldDisplay&) = delete;

private:
    Display* display;
};

}  // namespace

EditorHost::EditorHost(AEffect* effect, Display* display, EditorHostOptions options)
    : effect(effect),
      base(display),
      display(display),
      options(options)
{
    if (base == nullptr) {
        base = this->display = XOpenDisplay(nullptr);
        ownsDisplay = base != nullptr;
    }
    if (base == nullptr)
        return;
    QuietXErrors(base);
    // Atoms belong to the server: the value serves every connection to it.
    eventProcedureAtom = XInternAtom(base, "_XEventProc", False);
    if (effect == nullptr)
        return;
    Hosts& hosts = TheHosts();
    std::lock_guard<std::mutex> guard(hosts.lock);
    hosts.byEffect[effect] = this;
}

EditorHost::~EditorHost()
{
    {
        Hosts& hosts = TheHosts();
        std::lock_guard<std::mutex> guard(hosts.lock);
        const auto found = hosts.byEffect.find(effect);
        if (found != hosts.byEffect.end() && found->second == this)
            hosts.byEffect.erase(found);
    }
    if (base == nullptr)
        return;
    Destroy();
    for (Display* left : unread) {
        UnquietXErrors(left);
        XCloseDisplay(left);
    }
    UnquietXErrors(base);
    if (ownsDisplay)
        XCloseDisplay(base);
}

VstIntPtr EditorHost::Dispatch(VstInt32 opcode, VstIntPtr value, void* ptr)
{
    if (effect == nullptr || effect->dispatcher == nullptr)
        return 0;
    return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
}

VstIntPtr EditorHost::DispatchHoldingDisplay(VstInt32 opcode, VstIntPtr value, void* ptr)
{
    HeldDisplay held(display, options.lockDisplay, options.lockHeldMs);
    return Dispatch(opcode, value, ptr);
}

std::optional<ERect> EditorHost::EditorRect()
{
    ERect* rect = nullptr;
    Dispatch(effEditGetRect, 0, &rect);
    std::optional<ERect> result;
    if (rect != nullptr)
        result = *rect;
    std::lock_guard<std::mutex> guard(recordLock);
    record.rect = result;
    return result;
}

bool EditorHost::MakeWindow()
{
    if (options.connections != Connections::One && !OpenConnection())
        return false;
    if (CreateWindow())
        return true;
    ReleaseConnection();
    return false;
}

bool EditorHost::OpenConnection()
{
    Display* fresh = XOpenDisplay(DisplayString(base));
    if (fresh == nullptr)
        return false;
    QuietXErrors(fresh);
    display = fresh;
    return true;
}

// A host that opened a connection for the opening lets it go with the
// window: closed, or left as it is and never read again.
void EditorHost::ReleaseConnection()
{
    if (display == base)
        return;
    if (options.connections == Connections::NewPerOpeningUnread) {
        XFlush(display);
        unread.push_back(display);
    } else {
        UnquietXErrors(display);
        XCloseDisplay(display);
    }
    display = base;
}

bool EditorHost::CreateWindow()
{
    const int screen = DefaultScreen(display);
    const ::Window parent = options.parent != 0 ? options.parent : RootWindow(display, screen);
    const unsigned width = static_cast<unsigned>(std::max(1, options.width));
    const unsigned height = static_cast<unsigned>(std::max(1, options.height));
    window = XCreateSimpleWindow(display, parent, options.x, options.y, width, height, 0,
                                 BlackPixel(display, screen), BlackPixel(display, screen));
    if (window == 0)
        return false;
    long mask = ExposureMask | StructureNotifyMask;
    if (options.delivery == EventDelivery::Reparent)
        mask |= SubstructureNotifyMask;
    XSelectInput(display, window, mask);
    if (options.parent == 0)
        XStoreName(display, window, "tarvenna-host editor");
    Hosts& hosts = TheHosts();
    std::lock_guard<std::mutex> guard(hosts.lock);
    hosts.byWindow[{display, window}] = this;
    return true;
}

EditorHost* EditorHost::OwnerOf(Display* display, unsigned long target)
{
    Hosts& hosts = TheHosts();
    std::lock_guard<std::mutex> guard(hosts.lock);
    const auto found = hosts.byWindow.find({display, target});
    return found == hosts.byWindow.end() ? nullptr : found->second;
}

// Children are only viewable, and the window only readable by XGetImage,
// once the server has mapped it.
bool EditorHost::MapAndWait()
{
    XMapWindow(display, window);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSettleMs);
    while (!mapped && std::chrono::steady_clock::now() < deadline)
        Pump(10);
    return mapped;
}

bool EditorHost::Open()
{
    if (display == nullptr || editorOpen)
        return false;
    if (window == 0 && !MakeWindow())
        return false;
    const std::optional<ERect> rect = EditorRect();
    if (options.sizeToRect && rect && ValidRect(*rect))
        Resize(rect->right - rect->left, rect->bottom - rect->top);
    if (!mapped && !MapAndWait())
        return false;
    const VstIntPtr value = options.passDisplay ? reinterpret_cast<VstIntPtr>(display) : 0;
    const VstIntPtr answer = DispatchHoldingDisplay(
        effEditOpen, value, reinterpret_cast<void*>(static_cast<uintptr_t>(window)));
    XFlush(display);
    editorOpen = answer != 0;
    std::lock_guard<std::mutex> guard(recordLock);
    ++record.opens;
    record.openAnswer = answer;
    return editorOpen;
}

bool EditorHost::Close()
{
    if (!editorOpen)
        return false;
    // The plug-in's windows inside ours go with it, and the plug-in hears
    // of it only from the effEditClose that follows.
    if (options.destroyWindowFirst)
        DestroyWindow();
    DispatchHoldingDisplay(effEditClose);
    XFlush(display);
    editorOpen = false;
    {
        std::lock_guard<std::mutex> guard(recordLock);
        ++record.closes;
    }
    // A host with a connection per opening ends the window with it.
    if (options.connections != Connections::One) {
        AwaitEmptyWindow();
        DestroyWindow();
        ReleaseConnection();
    }
    return true;
}

void EditorHost::Destroy()
{
    if (Close())
        AwaitEmptyWindow();
    DestroyWindow();
    ReleaseConnection();
}

void EditorHost::DestroyWindow()
{
    if (window == 0)
        return;
    {
        Hosts& hosts = TheHosts();
        std::lock_guard<std::mutex> guard(hosts.lock);
        hosts.byWindow.erase({display, window});
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    window = 0;
    mapped = false;
    learnt.clear();
}

// A plug-in on a connection of its own moves its windows out of ours with
// requests we cannot wait for; destroying ours first would destroy them.
void EditorHost::AwaitEmptyWindow()
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kEmptyWindowMs);
    while (HasChildren() && std::chrono::steady_clock::now() < deadline)
        Pump(5);
}

bool EditorHost::Resize(int width, int height)
{
    if (window == 0 || width <= 0 || height <= 0)
        return false;
    XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display, False);
    return true;
}

bool EditorHost::ResizeFor(const AEffect* effect, int width, int height)
{
    Hosts& hosts = TheHosts();
    std::lock_guard<std::mutex> guard(hosts.lock);
    const auto found = hosts.byEffect.find(effect);
    if (found == hosts.byEffect.end())
        return false;
    EditorHost& host = *found->second;
    if (!host.Resize(width, height))
        return false;
    std::lock_guard<std::mutex> recordGuard(host.recordLock);
    host.record.requestedSizes.push_back({width, height});
    return true;
}

EditorHostRecord EditorHost::Recorded() const
{
    std::lock_guard<std::mutex> guard(recordLock);
    return record;
}

}  // namespace tarvenna::host
