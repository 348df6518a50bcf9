// A private X server that the toolkit draws on: starts Xvfb, makes its
// connection the module's own display (the one the toolkit uses while no
// host has handed one over) and fills the process-wide colour table from it.
// Everything is undone in the destructor, caches first, connection last.
//
// Includes gtest before Xlib, whose None and Bool macros break gtest's
// templates.
#pragma once

#include <gtest/gtest.h>

#include "host/testing/Xvfb.h"

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
    const std::string& name() const { return server_.Name(); }

private:
    tarvenna::host::Xvfb server_;
    Display* display_ = nullptr;
    Display* previous_ = nullptr;
};

// A suite whose tests share one server: starting Xvfb for every test would
// take most of the suite's time, the more so under the emulator. The suite
// names its screens: `class Fonts : public ToolkitSuite<Fonts>` with
// `static std::vector<std::string> Screens()`.
template <typename Suite> class ToolkitSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new ToolkitDisplay(Suite::Screens()); }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    // A suite that sets up more calls this first, in ASSERT_NO_FATAL_FAILURE.
    void SetUp() override { ASSERT_TRUE(server->ready()) << server->error(); }
    Display* display() const { return server->display(); }

    static inline ToolkitDisplay* server = nullptr;
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
