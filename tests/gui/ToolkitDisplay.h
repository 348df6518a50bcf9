// A private X server that the toolkit draws on: starts Xvfb, makes its
// connection the module's own display (the one the toolkit uses while no
// host has handed one over) and fills the process-wide colour table from it.
// Everything is undone in the destructor, caches first, connection last.
//
// Pulls in Xlib: include gtest before this header.
#pragma once

#include "tests/support/Xvfb.h"

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace tarvenna::test {

class ToolkitDisplay {
public:
    explicit ToolkitDisplay(std::vector<std::string> screens = {"640x480x24"},
                            std::vector<std::string> extraArguments = {});
    ~ToolkitDisplay();

    ToolkitDisplay(const ToolkitDisplay&) = delete;
    ToolkitDisplay& operator=(const ToolkitDisplay&) = delete;

    bool ready() const { return display_ != nullptr; }
    std::string error() const;
    Display* display() const { return display_; }
    const std::string& name() const { return server_.name(); }

private:
    Xvfb server_;
    Display* display_ = nullptr;
    Display* previous_ = nullptr;
};

// Counts the X errors that reach the process's error handler while it
// lives, so a test can tell that a request failed quietly or not at all.
class XErrorCounter {
public:
    explicit XErrorCounter(Display* display);
    ~XErrorCounter();

    XErrorCounter(const XErrorCounter&) = delete;
    XErrorCounter& operator=(const XErrorCounter&) = delete;

    // Waits for the server's answers to everything sent so far.
    int count() const;

private:
    Display* display_;
    XErrorHandler previous_;
};

}  // namespace tarvenna::test
