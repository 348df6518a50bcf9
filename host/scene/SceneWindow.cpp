#include "host/scene/SceneWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>
#include <chrono>

#include "host/WindowCapture.h"
#include "host/XErrorFilter.h"

namespace tarvenna::host {

namespace {

// The editors are 170 x 200; a slot is made that size and follows the
// editor's own rectangle when it opens.
constexpr int kPanelWidth = 170;
constexpr int kPanelHeight = 200;
constexpr int kGap = 10;
constexpr int kLabelHeight = 16;
constexpr int kPerRow = 8;
constexpr int kMapWaitMs = 2000;

int Columns(int slots) { return std::clamp(slots, 1, kPerRow); }
int Rows(int slots) { return (std::max(slots, 1) + kPerRow - 1) / kPerRow; }

int SlotX(int index) { return kGap + (index % kPerRow) * (kPanelWidth + kGap); }
int SlotY(int index)
{
    return kGap + kLabelHeight + (index / kPerRow) * (kPanelHeight + kGap + kLabelHeight);
}

}  // namespace

SceneWindow::SceneWindow(Display* display, int slots, const std::string& title, bool passDisplay)
    : display(display),
      slots(std::max(slots, 1)),
      passDisplay(passDisplay),
      hosts(static_cast<std::size_t>(std::max(slots, 1)))
{
    if (display == nullptr)
        return;
    QuietXErrors(display);
    const int screen = DefaultScreen(display);
    const unsigned width = static_cast<unsigned>(kGap + Columns(slots) * (kPanelWidth + kGap));
    const unsigned height =
        static_cast<unsigned>(kGap + Rows(slots) * (kLabelHeight + kPanelHeight + kGap));
    window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                                 WhitePixel(display, screen), BlackPixel(display, screen));
    if (window == 0)
        return;
    XSelectInput(display, window, ExposureMask | StructureNotifyMask);
    XStoreName(display, window, ("tarvenna-host: " + title).c_str());
    deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom protocols[] = {static_cast<Atom>(deleteAtom)};
    XSetWMProtocols(display, window, protocols, 1);
    XMapWindow(display, window);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMapWaitMs);
    while (!mapped && !closed && std::chrono::steady_clock::now() < deadline)
        Pump(10);
}

SceneWindow::~SceneWindow()
{
    if (display == nullptr)
        return;
    for (int node = 1; node <= slots; ++node)
        CloseEditor(node);
    if (window != 0) {
        XDestroyWindow(display, window);
        XSync(display, False);
    }
    UnquietXErrors(display);
}

bool SceneWindow::OpenEditor(int node, AEffect* effect)
{
    if (!Usable() || node < 1 || node > slots || effect == nullptr)
        return false;
    std::unique_ptr<EditorHost>& slot = hosts[static_cast<std::size_t>(node - 1)];
    if (slot && slot->IsOpen())
        return true;
    EditorHostOptions options;
    options.passDisplay = passDisplay;
    options.parent = window;
    options.x = SlotX(node - 1);
    options.y = SlotY(node - 1);
    options.width = kPanelWidth;
    options.height = kPanelHeight;
    slot = std::make_unique<EditorHost>(effect, display, options);
    const bool opened = slot->Open();
    DrawLabels();
    return opened;
}

void SceneWindow::CloseEditor(int node)
{
    if (node < 1 || node > slots)
        return;
    hosts[static_cast<std::size_t>(node - 1)].reset();
}

bool SceneWindow::EditorOpen(int node) const
{
    if (node < 1 || node > slots)
        return false;
    const auto& slot = hosts[static_cast<std::size_t>(node - 1)];
    return slot && slot->IsOpen();
}

EditorHost* SceneWindow::AnyHost() const
{
    for (const auto& host : hosts)
        if (host)
            return host.get();
    return nullptr;
}

void SceneWindow::HandleOwn(XEvent& event)
{
    switch (event.type) {
    case MapNotify:
        mapped = true;
        break;
    case Expose:
        if (event.xexpose.count == 0)
            DrawLabels();
        break;
    case DestroyNotify:
        closed = true;
        window = 0;
        break;
    case ClientMessage:
        if (static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom)
            closed = true;
        break;
    default:
        break;
    }
}

void SceneWindow::Pump(int milliseconds)
{
    if (display == nullptr)
        return;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (window != 0 && event.xany.window == window)
                HandleOwn(event);
            else if (EditorHost* host = AnyHost())
                host->HandleEvent(event);
        }
        for (auto& host : hosts)
            if (host)
                host->IdleIfDue();
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(std::min<long long>(left.count(), 10)));
    }
}

// The server's default font is enough for a number.
void SceneWindow::DrawLabels()
{
    if (window == 0 || !mapped)
        return;
    GC gc = XCreateGC(display, window, 0, nullptr);
    XSetForeground(display, gc, WhitePixel(display, DefaultScreen(display)));
    for (int node = 1; node <= slots; ++node) {
        const std::string label = "instance " + std::to_string(node);
        XDrawString(display, window, gc, SlotX(node - 1), SlotY(node - 1) - 4, label.c_str(),
                    static_cast<int>(label.size()));
    }
    XFreeGC(display, gc);
    XFlush(display);
}

bool SceneWindow::Capture(RgbImage& image)
{
    return Usable() && CaptureWindow(display, window, image);
}

}  // namespace tarvenna::host
