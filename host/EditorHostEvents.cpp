// Delivering the host display's X events to the editor's windows, the two
// ways Linux hosts do it.
#include "host/EditorHost.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "host/XErrorFilter.h"
#include "plugin/VstOpcodes.h"

namespace tarvenna::host {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kIdlePeriod = std::chrono::milliseconds(20);
// Wait for the connection at most this long at a time: another thread of
// the plug-in may read our events into the queue while we wait.
constexpr int kWaitSliceMs = 10;
// Toolkits nest a handful of windows; a deeper chain is not ours.
constexpr int kMaxAncestors = 64;

struct TreeNode {
    ::Window parent = 0;
    unsigned children = 0;
};

// False when the server does not know the window (any more).
bool QueryNode(Display* display, ::Window window, TreeNode& node)
{
    ::Window root = 0;
    ::Window* children = nullptr;
    Status status = 0;
    {
        const ExpectedXErrors gone(display);
        status = XQueryTree(display, window, &root, &node.parent, &children, &node.children);
    }
    if (status == 0)
        return false;
    if (children != nullptr)
        XFree(children);
    if (node.parent == root)
        node.parent = 0;
    return true;
}

// The parent of `window`; 0 for a top-level or unknown window.
::Window ParentOf(Display* display, ::Window window)
{
    TreeNode node;
    return QueryNode(display, window, node) ? node.parent : 0;
}

void WaitForEvents(Display* display, int milliseconds)
{
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, std::max(0, std::min(milliseconds, kWaitSliceMs)));
}

}  // namespace

void EditorHost::Pump(int milliseconds)
{
    if (display == nullptr)
        return;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    Clock::time_point lastIdle{};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            HandleEvent(event);
        }
        if (editorOpen && Clock::now() - lastIdle >= kIdlePeriod) {
            lastIdle = Clock::now();
            SendIdle();
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return;
        WaitForEvents(display, static_cast<int>(left.count()));
    }
}

bool EditorHost::HasChildren()
{
    TreeNode node;
    return window != 0 && QueryNode(display, window, node) && node.children > 0;
}

void EditorHost::IdleIfDue()
{
    if (!editorOpen || Clock::now() - lastIdle < kIdlePeriod)
        return;
    lastIdle = Clock::now();
    SendIdle();
}

void EditorHost::SendIdle()
{
    Dispatch(effEditIdle);
    std::lock_guard<std::mutex> guard(recordLock);
    ++record.idles;
}

void EditorHost::HandleEvent(XEvent& event)
{
    {
        std::lock_guard<std::mutex> guard(recordLock);
        ++record.eventsRead;
    }
    // Structure events of the host's window, and of its children through
    // the substructure mask, name the host's window here.
    if (event.xany.window == window) {
        HandleOwnEvent(event);
        return;
    }
    if (EditorHost* owner = OwnerOf(display, event.xany.window)) {
        owner->HandleOwnEvent(event);
        return;
    }
    if (options.delivery == EventDelivery::Property)
        Deliver(event, ReadProcedure(event.xany.window, false));
    else
        Deliver(event, LearntProcedureFor(event.xany.window));
}

void EditorHost::HandleOwnEvent(XEvent& event)
{
    switch (event.type) {
    case MapNotify:
        if (event.xmap.window == window)
            mapped = true;
        break;
    case UnmapNotify:
        if (event.xunmap.window == window)
            mapped = false;
        break;
    case ReparentNotify:
        if (event.xreparent.parent == window)
            Learn(event.xreparent.window);
        else
            learnt.erase(event.xreparent.window);
        break;
    case DestroyNotify:
        learnt.erase(event.xdestroywindow.window);
        break;
    default:
        break;
    }
}

void EditorHost::Deliver(XEvent& event, EventProcedure procedure)
{
    if (procedure == nullptr)
        return;
    procedure(&event);
    std::lock_guard<std::mutex> guard(recordLock);
    ++record.eventsDispatched;
}

// Hosts read the item as a long and call it. With `oneItem` the host takes
// only a property of exactly one item and keeps its low 32 bits, as a host
// that stores the procedure in a 32-bit slot does; the toolkit puts its
// procedure below 2 GiB on 64-bit machines for such hosts.
EditorHost::EventProcedure EditorHost::ReadProcedure(unsigned long target, bool oneItem)
{
    if (target == 0 || eventProcedureAtom == 0)
        return nullptr;
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    int status = 0;
    {
        const ExpectedXErrors gone(display);
        status = XGetWindowProperty(display, target, eventProcedureAtom, 0, 1, False,
                                    AnyPropertyType, &type, &format, &items, &after, &data);
    }
    EventProcedure procedure = nullptr;
    if (status == Success && data != nullptr && format == 32 && items == 1 &&
        (!oneItem || after == 0)) {
        const unsigned long item = *reinterpret_cast<unsigned long*>(data);
        const uintptr_t address = oneItem ? static_cast<uint32_t>(item) : item;
        procedure = reinterpret_cast<EventProcedure>(address);
    }
    if (data != nullptr)
        XFree(data);
    if (procedure != nullptr)
        NoteProcedureWindow(target);
    return procedure;
}

void EditorHost::Learn(unsigned long child)
{
    if (EventProcedure procedure = ReadProcedure(child, true))
        learnt[child] = procedure;
}

EditorHost::EventProcedure EditorHost::LearntProcedureFor(unsigned long target)
{
    if (learnt.empty())
        return nullptr;
    ::Window current = target;
    for (int depth = 0; current != 0 && depth < kMaxAncestors; ++depth) {
        const auto found = learnt.find(current);
        if (found != learnt.end())
            return found->second;
        if (current == window)
            return nullptr;
        current = ParentOf(display, current);
    }
    return nullptr;
}

void EditorHost::NoteProcedureWindow(unsigned long target)
{
    std::lock_guard<std::mutex> guard(recordLock);
    std::vector<unsigned long>& windows = record.procedureWindows;
    if (std::find(windows.begin(), windows.end(), target) == windows.end())
        windows.push_back(target);
}

}  // namespace tarvenna::host
