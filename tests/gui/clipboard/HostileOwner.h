// Clients of the test's own on the clipboard's server, each on a connection
// of its own: an owner that answers the first request with a text of any
// size in one property, and, endless, then keeps appending to it; and a
// flood of client messages at a window.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace cliptest {

// count bytes of "abc...zab...".
inline std::string Letters(std::size_t count)
{
    std::string letters(count, 'a');
    for (std::size_t i = 0; i < count; ++i)
        letters[i] = static_cast<char>('a' + i % 26);
    return letters;
}

class HostileOwner {
public:
    HostileOwner(const std::string& displayName, std::size_t bytes, bool endless)
        : text(Letters(bytes)),
          endless(endless),
          display(XOpenDisplay(displayName.c_str()))
    {
        if (display == nullptr)
            return;
        const Window own =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False), own, CurrentTime);
        XSync(display, False);
        thread = std::thread([this] { Run(); });
    }
    ~HostileOwner()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
        if (display != nullptr)
            XCloseDisplay(display);
    }

    const std::string text;
    // When the server had the whole answer.
    std::atomic<std::chrono::steady_clock::time_point> answeredAt{};

private:
    // Appends are paced: the server's copy grows by 64 MiB a second at most.
    void Run()
    {
        XSelectionRequestEvent request{};
        while (!stop) {
            XEvent event;
            while (request.requestor == 0 && XPending(display) > 0) {
                XNextEvent(display, &event);
                if (event.type == SelectionRequest)
                    Answer(request = event.xselectionrequest);
            }
            if (endless && request.requestor != 0)
                Write(request, Letters(64 << 10), PropModeAppend);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Answer(const XSelectionRequestEvent& request)
    {
        Write(request, text, PropModeReplace);
        XSelectionEvent notify{SelectionNotify,
                               0,
                               False,
                               display,
                               request.requestor,
                               request.selection,
                               request.target,
                               request.property,
                               request.time};
        XSendEvent(display, request.requestor, False, 0, reinterpret_cast<XEvent*>(&notify));
        XSync(display, False);
        answeredAt = std::chrono::steady_clock::now();
    }
    // In pieces as large as one request may be, less room for its header:
    // the server copies the whole property at every append.
    void Write(const XSelectionRequestEvent& request, const std::string& bytes, int mode)
    {
        long units = XExtendedMaxRequestSize(display);
        if (units == 0)
            units = XMaxRequestSize(display);
        const std::size_t kPiece = static_cast<std::size_t>(units) * 4 - 64;
        for (std::size_t at = 0; at < bytes.size(); at += kPiece)
            XChangeProperty(display, request.requestor, request.property, XA_STRING, 8,
                            at == 0 ? mode : PropModeAppend,
                            reinterpret_cast<const unsigned char*>(bytes.data() + at),
                            static_cast<int>(std::min(kPiece, bytes.size() - at)));
        XFlush(display);
    }

    const bool endless;
    Display* display;
    std::atomic<bool> stop{false};
    std::thread thread;
};

// Returns once the server has handled every message.
inline void FloodWindow(const std::string& displayName, Window window, int count)
{
    Display* flooder = XOpenDisplay(displayName.c_str());
    XEvent message{};
    message.xclient = {ClientMessage, 0, False, flooder, window, XA_PRIMARY, 32, {}};
    for (int i = 0; flooder != nullptr && i < count; ++i)
        XSendEvent(flooder, window, False, 0, &message);
    if (flooder != nullptr)
        XCloseDisplay(flooder);
}

}  // namespace cliptest
