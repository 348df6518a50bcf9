// A top-level popup window that can run its own modal event loop.
//
// A dialog made on the module's own connection has nobody to read its
// events (the host reads only its own display), so while it is shown the
// connection pump reads them.
#pragma once

#include "gui/SWindow.h"

#include <atomic>

typedef struct _XDisplay Display;

namespace kvor::gui {

class SDialog : public SWindow {
public:
    // A dialog without a window yet: subclasses create it.
    SDialog();
    SDialog(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags, int x,
            int y, int w, int h, int parentWindow, bool unused);
    ~SDialog() override;

    bool Create(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags,
                int x, int y, int w, int h, int parentWindow, bool unused) override;
    void Show() override;
    void Hide() override;
    // Hides the dialog and ends a modal loop.
    void CloseDialog() override;
    virtual void ShowDialog();
    // Shows the dialog and hands every event of the display to the event
    // procedure until the dialog closes or the window manager asks it to
    // close ("WM_PROTOCOLS", which then is not handed on).
    virtual void ShowModal();

    bool IsShownDialog() const { return shown.load(); }
    bool IsModal() const { return modal.load(); }

protected:
    // Whether the dialog's events need the pump: it lives on the module's
    // own connection.
    bool NeedsPump() const;

    std::atomic<bool> shown{false};
    std::atomic<bool> modal{false};

private:
    // Stops the pump for this dialog when it started it.
    void LeavePump();

    std::atomic<bool> pumping{false};
};

}  // namespace kvor::gui
