// One instance's editor shown by the host for a while, as the command line
// offers it: load the module, open the editor in the host's window, deliver
// its events, optionally save a screenshot, close everything again.
#pragma once

#include <ostream>
#include <string>

#include "host/HostConfig.h"

namespace tarvenna::host {

struct EditorSessionOptions {
    // Where to save the window's pixels as PNG at the end; empty: nowhere.
    std::string screenshot;
    // Open the editor with 0 for the display instead of the host's.
    bool displayZero = false;
    // Deliver events the reparenting way (EventDelivery::Reparent).
    bool reparent = false;
    // How long the editor stays open.
    int milliseconds = 1000;
    // Two instances side by side instead of one: a sender and a receiver
    // of port 1, the receiver showing its node list.
    bool pair = false;
};

// Uses $DISPLAY for the host's connection, as the module does for its own.
// Returns 0 when the editor opened (and the screenshot, when asked for, was
// saved), 1 otherwise; says what went wrong on `err`.
int RunEditorSession(const std::string& modulePath, const HostConfig& config,
                     const EditorSessionOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tarvenna::host
