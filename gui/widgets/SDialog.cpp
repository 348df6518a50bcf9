#include "gui/widgets/SDialog.h"

#include "gui/Connections.h"
#include "gui/SConnectionPump.h"

#include <X11/Xlib.h>

#include <cstring>

namespace kvor::gui {

SDialog::SDialog() = default;

SDialog::SDialog(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags,
                 int x, int y, int w, int h, int parentWindow, bool unused)
{
    Create(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused);
}

SDialog::~SDialog() { LeavePump(); }

bool SDialog::Create(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags,
                     int x, int y, int w, int h, int parentWindow, bool unused)
{
    return SWindow::Create(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused);
}

bool SDialog::NeedsPump() const { return GetDisplay() != nullptr && GetDisplay() == dps; }

void SDialog::Show()
{
    SWindow::Show();
    if (NeedsPump() && GetWindow() != 0 && !pumping.load())
        pumping = SConnectionPump::ModuleConnection().Start(this, GetDisplay());
}

void SDialog::Hide()
{
    SWindow::Hide();
    LeavePump();
}

void SDialog::LeavePump()
{
    if (pumping.exchange(false))
        SConnectionPump::ModuleConnection().Stop(this);
}

void SDialog::ShowDialog()
{
    Show();
    Foreground(true);
    shown = true;
}

void SDialog::CloseDialog()
{
    Hide();
    shown = false;
    modal = false;
}

namespace {

bool IsCloseRequest(Display* display, const XEvent& event)
{
    if (event.type != ClientMessage)
        return false;
    char* type = XGetAtomName(display, event.xclient.message_type);
    const bool request = type != nullptr && std::strcmp(type, "WM_PROTOCOLS") == 0;
    if (type != nullptr)
        XFree(type);
    return request;
}

}  // namespace

void SDialog::ShowModal()
{
    ShowDialog();
    modal = true;
    // The dialog's events come on the connection its windows were made on.
    Display* display = GetDisplay();
    if (display == nullptr) {
        modal = false;
        return;
    }
    XFlush(display);
    while (modal.load()) {
        XEvent event;
        XNextEvent(display, &event);
        if (IsCloseRequest(display, event))
            return;
        SConnectionPump::Hold hold(SConnectionPump::ModuleConnection());
        SControl::eventProc(&event);
    }
    modal = false;
}

}  // namespace kvor::gui
