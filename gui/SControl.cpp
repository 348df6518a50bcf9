// Construction, clean-up and destruction of a control; its listener lists
// and the events it sends.
#include "gui/SControl.h"

#include "gui/SGlobals.h"
#include "gui/WindowHandles.h"
#include "gui/XErrorTrap.h"
#include "runtime/STimer.h"
#include "runtime/STimerIdle.h"

#include <X11/Xlib.h>

#include <ctime>

namespace kvor::gui {

std::atomic<int> SControl::xerror{0};
std::atomic<SControl*> SControl::capture{nullptr};

SControl::SControl() = default;

SControl::SControl(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags,
                   int x, int y, int w, int h, int parentWindow, bool unused)
{
    Create(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused);
}

SControl::~SControl()
{
    Destroy();
    if (owner != nullptr)
        owner->ForgetChild(this);
}

void SControl::ReleaseWindow()
{
    const unsigned long own = window.exchange(0);
    if (handle != 0) {
        handles::Unregister(handle);
        handle = 0;
    }
    // A window that went with its host's window, or with its connection,
    // is not ours to destroy any more; one that may have gone unnoticed is
    // destroyed under the trap, so a host never sees our BadWindow.
    Display* display = GetDisplay();
    if (own == 0 || display == nullptr)
        return;
    XErrorTrap trap(display);
    XDestroyWindow(display, own);
    trap.Sync();
}

void SControl::CleanRessources() { releasing = true; }

void SControl::Retire()
{
    releasing = true;
    StopTimer(true);
    DestroyIdleTimer();
    if (handle != 0)
        handles::Retire(handle);
}

void SControl::PrepareCleanUp()
{
    if (window.load() != 0)
        Hide();
}

void SControl::CleanUp()
{
    if (cleanedUp)
        return;
    cleanedUp = 1;
    releasing = true;
    PrepareCleanUp();
    DestroyIdleTimer();
    StopTimer(true);
    if (HasStyle(kStyleCaptureOnPress)) {
        if (capture.load() == this)
            MouseReleaseCapture();
        if (input != nullptr)
            input->Reset();
    }
    DeleteTooltipData();
    DeleteDrawing();
    delete input;
    input = nullptr;
}

void SControl::Destroy()
{
    releasing = true;
    CleanUp();
    SControl* self = this;
    capture.compare_exchange_strong(self, nullptr);
    ReleaseWindow();
}

void SControl::Enable(bool enable)
{
    if (enable)
        AddState(kStateEnabled);
    else
        RemoveState(kStateEnabled);
    Refresh();
}

bool SControl::Enabled() const
{
    if ((state.load() & kStateEnabled) == 0)
        return false;
    return parent == nullptr || enabledWithoutParent != 0 || parent->Enabled();
}

void SControl::Focussing(bool focused)
{
    if (focused)
        AddState(kStateFocused);
    else
        RemoveState(kStateFocused);
}

void SControl::EnableTooltip(bool enable)
{
    if (enable)
        AddState(kStateTooltips);
    else
        RemoveState(kStateTooltips);
}

SControl::Text& SControl::GetLabel() { return name; }

bool SControl::IsSubcontrol(unsigned id) { return id == identifier; }

void SControl::ActivateOwner()
{
    if (parent != nullptr)
        parent->Focus(true);
}

void SControl::Minimized()
{
    if (HasStyle(kStyleMenu))
        CloseMenu();
}

int32_t SControl::DrawIdentifier()
{
    return globals != nullptr ? globals->identifierCounter.fetch_add(1) + 1 : 0;
}

// --- listeners and events ------------------------------------------------------

bool SControl::EventHandled(int code) const
{
    const SEventHandler* handler = events.Handler(code);
    return handler != nullptr && handler->enabled;
}

int SControl::AddEventListener(SControl* listener, int code)
{
    SEventHandler* handler = events.Handler(code);
    if (listener == nullptr || handler == nullptr)
        return -1;
    return handler->Add(listener);
}

void SControl::RemoveEventListener(SControl* listener, int code)
{
    if (SEventHandler* handler = events.Handler(code))
        handler->Remove(listener);
}

void SControl::EnableEventHandler(int code)
{
    if (SEventHandler* handler = events.Handler(code))
        handler->enabled = true;
}

void SControl::DisableEventHandler(int code)
{
    if (SEventHandler* handler = events.Handler(code))
        handler->enabled = false;
}

void SControl::PrepareEvent(SEvent& record, int code, int kind, int value, float real, void* data,
                            SControl* sender, threading::SMutexID* lock)
{
    record.code = code;
    record.kind = kind;
    record.value = value;
    record.real = real;
    record.data = data;
    record.sender = sender;
    record.lock = lock;
}

int SControl::SendEvent(int code, int kind, int value, float real, void* data, SControl* sender,
                        threading::SMutexID* lock)
{
    event.time = static_cast<int32_t>(clock());
    PrepareEvent(event, code, kind, value, real, data, sender, lock);
    return SendEvent(&event);
}

}  // namespace kvor::gui
