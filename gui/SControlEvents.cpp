// The event procedure: finds the control behind an X event's window, keeps
// its mouse and keyboard state and turns the event into calls of its
// virtual operations. Hosts call it through the window's "_XEventProc".
#include "gui/SControl.h"

#include "gui/Keys.h"
#include "gui/WindowHandles.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>

namespace kvor::gui {

using namespace context;

namespace {

constexpr uint32_t kDoubleClickMs = 359;

// The connection whose queue holds the event's followers.
Display* EventDisplay(const XEvent* event)
{
    return event->xany.display != nullptr ? event->xany.display : DisplayInUse();
}

void Clear(bool* flags, std::initializer_list<int> indices)
{
    for (int index : indices)
        flags[index] = false;
}

// Sets the flag and reports whether it changed: index when it did, else -1.
int Raise(bool* flags, int index)
{
    const bool was = flags[index];
    flags[index] = true;
    return was ? -1 : index;
}

// Holds the display lock of the drawing connection while a control draws,
// so that other threads' Xlib calls wait until it has finished.
class DrawLock {
public:
    DrawLock() : display(DisplayInUse())
    {
        if (display != nullptr)
            XLockDisplay(display);
    }
    ~DrawLock()
    {
        if (display != nullptr) {
            XFlush(display);
            XUnlockDisplay(display);
        }
    }
    DrawLock(const DrawLock&) = delete;
    DrawLock& operator=(const DrawLock&) = delete;

private:
    Display* display;
};

}  // namespace

struct EventDispatch {
    // The handle stored on the event's window; 0 when it has none.
    static uint32_t FindHandle(XEvent* event);
    static int Dispatch(SControl* control, XEvent* event);
    static int OnKey(SControl* control, XKeyEvent& key);
    static int OnButtonPress(SControl* control, XButtonEvent& button);
    static int OnWheel(SControl* control, XButtonEvent& button);
    static int OnButtonRelease(SControl* control, XButtonEvent& button);
    static int OnMotion(SControl* control, XMotionEvent& motion);
    static int OnCrossing(SControl* control, XCrossingEvent& crossing);
    static int OnFocusIn(SControl* control, Display* display);
    static int OnFocusOut(SControl* control);
    static int OnExpose(SControl* control, XEvent* event);
    static int OnUnmap(SControl* control, Display* display);
    static int OnMap(SControl* control, Display* display);
    static int OnConfigure(SControl* control, XEvent* event);
    static int OnMessage(SControl* control, XClientMessageEvent& message);
    static int OnMapping(XMappingEvent& mapping);
    static bool PointerInside(SControl* control, Display* display);
    static SControl* Receiver(SControl* control);
};

// Found in memory: asking the server for the window's "_KVORWND" on every
// event would cost a round trip each, under the process-wide error trap.
// The property is still written for whoever else reads it.
uint32_t EventDispatch::FindHandle(XEvent* event)
{
    const Window target = event->xany.window;
    if (target == 0)
        return 0;
    return handles::HandleOfWindow(EventDisplay(event), target);
}

namespace {

// A use of a control for one dispatch: while it is held, a thread that
// retires the control waits instead of deleting it under our feet.
class ControlUse {
public:
    explicit ControlUse(uint32_t handle)
        : handle(handle),
          control(handle != 0 ? handles::Acquire(handle) : nullptr)
    {
    }
    ~ControlUse()
    {
        if (control != nullptr)
            handles::Release(handle);
    }
    ControlUse(const ControlUse&) = delete;
    ControlUse& operator=(const ControlUse&) = delete;

    uint32_t handle;
    SControl* control;
};

}  // namespace

// The control holding the capture takes the keys and the mouse while it
// holds it; null when the event is to be dropped: the control it came to is
// disabled, or the taker keeps no input state.
SControl* EventDispatch::Receiver(SControl* control)
{
    if (!control->Enabled())
        return nullptr;
    SControl* captured = SControl::capture.load();
    SControl* receiver = captured != nullptr ? captured : control;
    return receiver->input != nullptr ? receiver : nullptr;
}

int SControl::eventProc(XEvent* event)
{
    if (event == nullptr)
        return 0;
    // A changed keyboard mapping concerns the connection, not a window.
    if (event->type == MappingNotify)
        return EventDispatch::OnMapping(event->xmapping);
    const ControlUse use(EventDispatch::FindHandle(event));
    if (use.control == nullptr || use.control->input == nullptr)
        return 0;
    // Fonts and bitmaps made while drawing belong to the control's
    // connection, whichever connection the host reads.
    UseConnection scope(use.control->GetConnection());
    return EventDispatch::Dispatch(use.control, event);
}

int EventDispatch::Dispatch(SControl* control, XEvent* event)
{
    switch (event->type) {
    case KeyPress:
    case KeyRelease:
        return EventDispatch::OnKey(control, event->xkey);
    case ButtonPress:
        return EventDispatch::OnButtonPress(control, event->xbutton);
    case ButtonRelease:
        return EventDispatch::OnButtonRelease(control, event->xbutton);
    case MotionNotify:
        return EventDispatch::OnMotion(control, event->xmotion);
    case EnterNotify:
    case LeaveNotify:
        return EventDispatch::OnCrossing(control, event->xcrossing);
    case FocusIn:
        return EventDispatch::OnFocusIn(control, EventDisplay(event));
    case FocusOut:
        return EventDispatch::OnFocusOut(control);
    case Expose:
        return EventDispatch::OnExpose(control, event);
    case NoExpose:
        return 1;
    case UnmapNotify:
        return EventDispatch::OnUnmap(control, EventDisplay(event));
    case MapNotify:
        return EventDispatch::OnMap(control, EventDisplay(event));
    case ConfigureNotify:
        return EventDispatch::OnConfigure(control, event);
    case ClientMessage:
        return EventDispatch::OnMessage(control, event->xclient);
    case DestroyNotify:
        // Our own destruction forgets the handle first, so this is a
        // window that went with the host's window it lived in.
        if (event->xdestroywindow.window == control->GetWindow())
            control->MarkWindowLost();
        return 0;
    default:
        return 0;
    }
}

int EventDispatch::OnKey(SControl* control, XKeyEvent& key)
{
    SControl* receiver = Receiver(control);
    if (receiver == nullptr)
        return 1;
    char text[20];
    KeySym symbol = NoSymbol;
    XLookupString(&key, text, sizeof text, &symbol, nullptr);
    const SKeyTranslation translation = TranslateKeySymbol(symbol);
    const bool pressed = key.type == KeyPress;
    bool* flags = receiver->input->flags;
    if (translation.modifierFlag >= 0)
        flags[translation.modifierFlag] = pressed;
    const int modifiers = flags[kMouseAlt] * 4 + flags[kMouseControl] * 2 + flags[kMouseShift];
    if (pressed) {
        for (const SKeyShortcut& shortcut : receiver->shortcuts) {
            if (static_cast<KeySym>(static_cast<uint32_t>(shortcut.keySymbol)) != symbol)
                continue;
            SKeyShortcutRecord record{0, static_cast<int32_t>(symbol), modifiers};
            receiver->SendEvent(kEventKeyShortcut, kEventKindRecord, 0, 0.0f, &record, receiver,
                                nullptr);
            break;
        }
    }
    receiver->KeyStateChanged(translation.key, pressed, modifiers, translation.keyClass);
    return 1;
}

int EventDispatch::OnWheel(SControl* control, XButtonEvent& button)
{
    SControl* receiver = control;
    if (control->HasStyle(kStyleWheelToParentA | kStyleWheelToParentB)) {
        receiver = control->parent;
        if (receiver == nullptr || !receiver->Enabled())
            return 1;
    }
    if (receiver->input == nullptr)
        return 1;
    bool* flags = receiver->input->flags;
    flags[kMouseWheel] = true;
    Clear(flags, {kMouseLeftDown, kMouseRightDown, kMouseMiddleDown});
    flags[kMouseWheelUp] = button.button == Button4;
    flags[kMouseWheelDown] = button.button == Button5;
    receiver->Modifiers(static_cast<int>(button.state));
    receiver->MouseStateChanged(flags, kMouseWheel);
    receiver->MousePosition(button.x, button.y);
    return 1;
}

namespace {

// The down flag a button sets (clearing the others its press clears) and
// the double-click flag it would set; -1 for buttons without them.
struct ButtonFlags {
    int change;
    int doubleIndex;
};

ButtonFlags PressButton(bool* flags, unsigned button)
{
    switch (button) {
    case Button1: {
        const int change = Raise(flags, kMouseLeftDown);
        Clear(flags, {kMouseRightDown, kMouseMiddleDown});
        return {change, kMouseLeftDouble};
    }
    case Button2: {
        const int change = Raise(flags, kMouseMiddleDown);
        Clear(flags, {kMouseRightDown});
        return {change, kMouseMiddleDouble};
    }
    case Button3: {
        const int change = Raise(flags, kMouseRightDown);
        Clear(flags, {kMouseMiddleDown});
        return {change, kMouseRightDouble};
    }
    default:
        return {-1, -1};
    }
}

// Sets the double-click flag when this press follows a press of the same
// button within 359 ms, and remembers the press for the next one. Returns
// the flag's index when it changed, else -1.
int DoubleClick(SInput& input, unsigned button, Time when, int doubleIndex)
{
    // X times are milliseconds that wrap; the unsigned difference is right
    // across the wrap.
    const uint32_t time = static_cast<uint32_t>(when);
    const bool isDouble = doubleIndex >= 0 && input.lastPressTime != 0 &&
                          input.lastButton == static_cast<int32_t>(button) &&
                          time - input.lastPressTime <= kDoubleClickMs;
    input.lastPressTime = time;
    input.lastButton = static_cast<int32_t>(button);
    if (!isDouble)
        return -1;
    for (int other : {kMouseLeftDouble, kMouseRightDouble, kMouseMiddleDouble}) {
        if (other != doubleIndex)
            input.flags[other] = false;
    }
    return Raise(input.flags, doubleIndex);
}

}  // namespace

int EventDispatch::OnButtonPress(SControl* control, XButtonEvent& button)
{
    control->SetCursor();
    if (!control->Enabled())
        return 1;
    if (button.button == Button4 || button.button == Button5)
        return OnWheel(control, button);
    SInput& input = *control->input;
    bool* flags = input.flags;
    const ButtonFlags pressed = PressButton(flags, button.button);
    const int doubleChange = DoubleClick(input, button.button, button.time, pressed.doubleIndex);
    flags[kMouseInside] = true;
    Clear(flags, {kMouseEntered, kMouseLeft, kMouseReleased, kMouseWheel});
    control->Modifiers(static_cast<int>(button.state));
    if (doubleChange >= 0)
        control->MouseStateChanged(flags, doubleChange);
    else if (pressed.change >= 0)
        control->MouseStateChanged(flags, pressed.change);
    if (control->HasStyle(kStyleCaptureOnPress) && !flags[kMouseCaptured]) {
        control->MouseSetCapture();
        control->MouseStateChanged(flags, kMouseCaptured);
    }
    control->MousePosition(button.x, button.y);
    return 0;
}

int EventDispatch::OnButtonRelease(SControl* control, XButtonEvent& button)
{
    SControl* receiver = Receiver(control);
    if (receiver == nullptr)
        return 1;
    bool* flags = receiver->input->flags;
    const int released = Raise(flags, kMouseReleased);
    Clear(flags, {kMouseMoving, kMouseLeftDown, kMouseRightDown, kMouseMiddleDown, kMouseLeftDouble,
                  kMouseRightDouble, kMouseMiddleDouble, kMouseWheel});
    flags[kMouseEntered] = false;
    if (flags[kMouseInside]) {
        flags[kMouseLeft] = false;
        receiver->SetCursor();
    } else {
        flags[kMouseLeft] = true;
        receiver->FreeCursor();
    }
    receiver->Modifiers(static_cast<int>(button.state));
    if (released >= 0)
        receiver->MouseStateChanged(flags, kMouseReleased);
    receiver->MousePosition(button.x, button.y);
    if (receiver->HasStyle(kStyleCaptureOnPress) && flags[kMouseCaptured]) {
        receiver->MouseReleaseCapture();
        receiver->MouseStateChanged(flags, kMouseCaptured);
    }
    return 0;
}

int EventDispatch::OnMotion(SControl* control, XMotionEvent& motion)
{
    control->SetCursor();
    SControl* receiver = Receiver(control);
    if (receiver == nullptr)
        return 1;
    bool* flags = receiver->input->flags;
    if (flags[kMouseInside]) {
        const bool report = flags[kMouseEntered] || !flags[kMouseMoving];
        flags[kMouseEntered] = false;
        flags[kMouseMoving] = true;
        flags[kMouseWheel] = false;
        receiver->Modifiers(static_cast<int>(motion.state));
        if (report)
            receiver->MouseStateChanged(flags, kMouseMoving);
    } else {
        Clear(flags, {kMouseEntered, kMouseMoving, kMouseWheel});
        receiver->Modifiers(static_cast<int>(motion.state));
    }
    receiver->MousePosition(motion.x, motion.y);
    return 0;
}

int EventDispatch::OnCrossing(SControl* control, XCrossingEvent& crossing)
{
    const bool enter = crossing.type == EnterNotify;
    if (enter)
        control->SetCursor();
    else
        control->FreeCursor();
    if (!control->Enabled() || SControl::capture.load() != nullptr)
        return 1;
    bool* flags = control->input->flags;
    const bool tooltips =
        control->tooltipData != nullptr && (control->state.load() & kStateTooltips) != 0;
    int index;
    if (enter) {
        flags[kMouseInside] = true;
        index = Raise(flags, kMouseEntered);
        flags[kMouseLeft] = false;
        if (tooltips)
            control->ShowTooltip(control->TooltipPlace());
    } else {
        flags[kMouseEntered] = false;
        flags[kMouseInside] = false;
        index = Raise(flags, kMouseLeft);
        if (tooltips)
            control->HideTooltip();
    }
    if (!flags[kMouseCaptured])
        Clear(flags, {kMouseLeftDown, kMouseRightDown, kMouseMiddleDown, kMouseLeftDouble,
                      kMouseRightDouble, kMouseMiddleDouble});
    flags[kMouseWheel] = false;
    control->Modifiers(static_cast<int>(crossing.state));
    if (index >= 0)
        control->MouseStateChanged(flags, index);
    control->MousePosition(crossing.x, crossing.y);
    if (control->HasStyle(kStyleCrossingOutlines))
        control->RefreshOutlines();
    return 0;
}

bool EventDispatch::PointerInside(SControl* control, Display* display)
{
    const Window own = control->window.load();
    if (display == nullptr || own == 0)
        return false;
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int x = 0;
    int y = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y,
                       &mask))
        return false;
    if (!XTranslateCoordinates(display, DefaultRootWindow(display), own, rootX, rootY, &x, &y,
                               &child))
        return false;
    return control->client.ContainsInclusive(x, y);
}

int EventDispatch::OnFocusIn(SControl* control, Display* display)
{
    control->Focussing(true);
    if (control->globals != nullptr && PointerInside(control, display))
        control->SetCursor();
    return 0;
}

int EventDispatch::OnFocusOut(SControl* control)
{
    if (control->HasStyle(kStylePopup)) {
        if (SControl::capture.load() == control) {
            control->MouseReleaseCapture();
            control->MouseStateChanged(control->input->flags, kMouseCaptured);
        }
        if (control->HasStyle(kStyleMenu))
            control->CloseMenu();
    }
    control->Focussing(false);
    return 0;
}

// However many Exposes are queued for the window, the control is drawn
// once, whole.
int EventDispatch::OnExpose(SControl* control, XEvent* event)
{
    if (!control->IsShown())
        return 0;
    Display* queue = EventDisplay(event);
    DrawLock lock;
    XEvent later;
    while (XCheckTypedWindowEvent(queue, event->xany.window, Expose, &later)) {
    }
    control->Draw(control->client);
    return 0;
}

int EventDispatch::OnUnmap(SControl* control, Display* display)
{
    if (control->globals != nullptr && control->parent != nullptr &&
        PointerInside(control->parent, display))
        control->SetCursor();
    control->RemoveState(kStateShown);
    return 0;
}

int EventDispatch::OnMap(SControl* control, Display* display)
{
    if (control->globals != nullptr && PointerInside(control, display))
        control->SetCursor();
    control->AddState(kStateShown);
    return 0;
}

int EventDispatch::OnConfigure(SControl* control, XEvent* event)
{
    Display* queue = EventDisplay(event);
    while (XCheckTypedWindowEvent(queue, event->xany.window, ConfigureNotify, event)) {
    }
    const XConfigureEvent& last = event->xconfigure;
    control->outer = {last.x, last.y, last.x + last.width, last.y + last.height};
    control->client = {0, 0, last.width, last.height};
    return 0;
}

int EventDispatch::OnMessage(SControl* control, XClientMessageEvent& message)
{
    const ToolkitAtoms atoms =
        AtomsOf(message.display != nullptr ? message.display : DisplayInUse());
    const Atom type = message.message_type;
    if (type == atoms.paintRegion) {
        const uint64_t address = static_cast<uint64_t>(static_cast<uint32_t>(message.data.l[1])) |
                                 static_cast<uint64_t>(static_cast<uint32_t>(message.data.l[2]))
                                     << 32;
        DrawLock lock;
        control->DrawRegion(reinterpret_cast<SDrawRegion*>(static_cast<uintptr_t>(address)));
        return 1;
    }
    if (type == atoms.paintArea) {
        DrawLock lock;
        control->DrawArea(static_cast<unsigned>(message.data.l[1]));
        return 1;
    }
    if (type == atoms.paintOutlines) {
        DrawLock lock;
        control->DrawOutlines({0, 0, control->client.Width(), control->client.Height()});
        return 1;
    }
    if (type == atoms.menuEntered || type == atoms.menuLeft)
        return 1;
    if (type == atoms.protocols) {
        if (control->HasStyle(kStylePopup) && !control->HasStyle(kStyleOnRoot)) {
            control->CloseDialog();
            return 1;
        }
        if (control->HasStyle(kStyleApplication)) {
            control->Stop();
            return 1;
        }
    }
    return 0;
}

int EventDispatch::OnMapping(XMappingEvent& mapping)
{
    if (mapping.request == MappingPointer)
        return 0;
    XRefreshKeyboardMapping(&mapping);
    return 1;
}

}  // namespace kvor::gui
