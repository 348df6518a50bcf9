// The info box. One message box serves every call of the process; it is
// made on the first call and lives until the module is unloaded.
//
// Before any editor has been opened the box lives on the module's own
// connection, whose events the connection pump reads while the box is
// shown. Once a host has handed over its display the box is made anew on
// that display, whose events the host dispatches.
#include "gui/widgets/SInfo.h"

#include "gui/Connections.h"
#include "gui/SConnectionPump.h"
#include "gui/SDisplay.h"
#include "gui/widgets/SMessageDialog.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <memory>
#include <mutex>

namespace kvor::gui {

namespace {

struct InfoBox {
    InfoBox() : pump(SConnectionPump::ModuleConnection()) {}
    // The pump outlives the box (it was made first); the box goes while
    // no event of it is being handled.
    ~InfoBox()
    {
        SConnectionPump::Hold hold(pump);
        dialog.reset();
    }

    SConnectionPump& pump;
    std::mutex calls;
    std::unique_ptr<SMessageDialog> dialog;
};

InfoBox& TheInfoBox()
{
    static InfoBox box;
    return box;
}

void Centre(SMessageDialog& dialog)
{
    const SDisplay* monitors = SDisplay::ProcessMonitors();
    if (monitors != nullptr && monitors->Count() > 0) {
        monitors->CenterOnWindow(&dialog);
        return;
    }
    SDisplay local;
    local.AllMonitorRects();
    local.CenterOnWindow(&dialog);
}

void Report(const char* text, const char* title)
{
    std::fprintf(stderr, "[%s] %s\n", title != nullptr ? title : "", text != nullptr ? text : "");
    std::fflush(stderr);
}

}  // namespace

void SInfo(const char* text, const char* title)
{
    Report(text, title);
    InfoBox& box = TheInfoBox();
    // The pump first: a call made while one of its events is handled
    // already holds it, and must not wait for a turn behind a call that
    // waits for the pump.
    SConnectionPump::Hold hold(box.pump);
    std::lock_guard<std::mutex> turn(box.calls);
    Display* display = DisplayInUse();
    if (display == nullptr)
        return;
    if (box.dialog != nullptr && box.dialog->GetDisplay() != display)
        box.dialog.reset();
    if (box.dialog == nullptr)
        box.dialog = std::make_unique<SMessageDialog>();
    SMessageDialog& dialog = *box.dialog;
    dialog.SetMessage(text, title);
    Centre(dialog);
    XRaiseWindow(display, dialog.GetWindow());
    dialog.ShowDialog();
    // Shown already, the box does not repaint by being shown again.
    dialog.Refresh();
    XFlush(display);
}

SMessageDialog* SInfoDialog()
{
    InfoBox& box = TheInfoBox();
    std::lock_guard<std::mutex> turn(box.calls);
    return box.dialog.get();
}

}  // namespace kvor::gui
