// A private X server named by DISPLAY (the clipboard opens its connections
// by that name), the test's own connection to it, a toolkit window to own
// the clipboard, and xclip as the other client.
#pragma once

#include <gtest/gtest.h>

#include "gui/Connections.h"
#include "gui/SGlobals.h"
#include "gui/SWindow.h"
#include "gui/clipboard/SClipboard.h"
#include "gui/clipboard/SData.h"
#include "tests/support/WaitUntil.h"
#include "host/testing/Xvfb.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace cliptest {

struct ClipServer {
    ClipServer()
    {
        server.ExportDisplay();
        display = XOpenDisplay(server.Name().c_str());
    }
    ~ClipServer()
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }
    tarvenna::host::Xvfb server;
    Display* display = nullptr;
};

// What `xclip -selection clipboard -o` prints with the extra arguments;
// bounded in time, should nobody answer it.
inline std::string PeerPrints(const std::string& arguments = "")
{
    const std::string command =
        "timeout 10 xclip -selection clipboard -o " + arguments + " 2>/dev/null";
    std::FILE* peer = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t got; peer != nullptr && (got = std::fread(buffer, 1, 4096, peer)) > 0;)
        out.append(buffer, got);
    if (peer != nullptr)
        pclose(peer);
    return out;
}

class ClipboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new ClipServer; }
    static void TearDownTestSuite() { delete server; }

    void SetUp() override
    {
        display = server->display;
        ASSERT_NE(display, nullptr) << server->server.Error();
        saved = dp.exchange(display);
        owner = std::make_unique<kvor::gui::SWindow>(&globals, nullptr, 1, "owner", 0, 0, 0, 10, 10,
                                                     0, false);
        clipboardAtom = XInternAtom(display, "CLIPBOARD", False);
        silent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        SetOwner(None);
    }
    void TearDown() override
    {
        kvor::file::clipboardopen = 0;
        owner.reset();
        if (display != nullptr) {
            XDestroyWindow(display, silent);
            XSync(display, True);
            dp = saved;
        }
    }

    Window SelectionOwner() { return XGetSelectionOwner(display, clipboardAtom); }
    void SetOwner(Window window)
    {
        XSetSelectionOwner(display, clipboardAtom, window, CurrentTime);
        XSync(display, False);
    }
    bool NextEvent(Window window, int type, XEvent& event)
    {
        return tarvenna::test::WaitUntil(
            [&] { return XCheckTypedWindowEvent(display, window, type, &event) != 0; },
            tarvenna::test::kWaitLimit, [this] { XSync(display, False); });
    }

    // xclip owning the selection with the text, in the foreground (-quiet)
    // so that it ends once the selection is taken from it.
    std::FILE* PeerCopies(const std::string& text)
    {
        std::FILE* input = std::fopen(inputPath.c_str(), "w");
        std::fwrite(text.data(), 1, text.size(), input);
        std::fclose(input);
        const std::string command =
            "timeout 20 xclip -selection clipboard -i -quiet < " + inputPath + " >/dev/null 2>&1";
        std::FILE* peer = popen(command.c_str(), "r");
        // Once it owns the selection it has read all of its input.
        tarvenna::test::WaitUntil([&] { return SelectionOwner() != None; });
        std::remove(inputPath.c_str());
        return peer;
    }
    // Taking the selection from xclip ends it; then nobody owns it.
    void PeerEnds(std::FILE* peer)
    {
        SetOwner(silent);
        pclose(peer);
        SetOwner(None);
    }

    static ClipServer* server;
    Display* display = nullptr;
    Display* saved = nullptr;
    Atom clipboardAtom = None;
    // A window of the test's connection; the test reads no events while a
    // clipboard waits, so as the selection's owner it never answers.
    Window silent = 0;
    SGlobals globals;
    std::unique_ptr<kvor::gui::SWindow> owner;
    std::string inputPath = "/tmp/tarvenna-clip-" + std::to_string(getpid());
};

inline ClipServer* ClipboardTest::server = nullptr;

template <typename Call> std::chrono::milliseconds TimeOf(Call call)
{
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

}  // namespace cliptest
