// The set-up of the tests that drive the built module's windows: a private
// X server for the whole suite, exported as DISPLAY (the module opens its
// own connection there when it is loaded), the module loaded through our
// host library for each test, and a connection of the test's own to read
// pixels and make clicks with. Tests that use NEEDS_MODULE derive from it;
// a parametrised one adds ::testing::WithParamInterface.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "host/Host.h"
#include "host/testing/Xvfb.h"

namespace tarvenna::test {

class ModuleOnXvfb : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new tarvenna::host::Xvfb();
        if (server->Running())
            server->ExportDisplay();
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(server->Running()) << server->Error();
        ASSERT_TRUE(module.Load(TARVENNA_MODULE_PATH)) << module.Error();
        display = XOpenDisplay(server->Name().c_str());
        ASSERT_NE(display, nullptr);
    }

    // A test's instances and editors must have gone before this runs. The
    // plug-in may keep a display of the host's until it is unloaded.
    void TearDown() override
    {
        if (module.Loaded()) {
            EXPECT_TRUE(module.Unload()) << module.Error();
        }
        if (display != nullptr)
            XCloseDisplay(display);
        display = nullptr;
    }

    static inline tarvenna::host::Xvfb* server = nullptr;
    tarvenna::host::Module module;
    tarvenna::host::Host host;
    Display* display = nullptr;
};

}  // namespace tarvenna::test
