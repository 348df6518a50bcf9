// Making the X window behind a control: by kind (application, popup,
// child), its window-manager hints and its two toolkit properties.
#include "gui/SControl.h"

#include "gui/WindowHandles.h"
#include "gui/XErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstring>

namespace kvor::gui {

namespace {

constexpr long kControlEvents =
    KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | EnterWindowMask |
    LeaveWindowMask | PointerMotionMask | ButtonMotionMask | ExposureMask | VisibilityChangeMask |
    StructureNotifyMask | FocusChangeMask | PropertyChangeMask | OwnerGrabButtonMask;
constexpr long kPopupQuietEvents = ExposureMask | StructureNotifyMask | FocusChangeMask;
constexpr long kPopupNoPropagate =
    KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask;

Atom ExistingAtom(Display* display, const char* name) { return XInternAtom(display, name, True); }

void SetOneItem(Display* display, Window window, const char* name, long value)
{
    const Atom atom = ExistingAtom(display, name);
    if (atom != None)
        XChangeProperty(display, window, atom, atom, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&value), 1);
}

}  // namespace

void SControl::ResetFields()
{
    previousFocus = 0;
    unusedFlag = 0;
    acceptsPress = 1;
    releasing = false;
    cleanedUp = 0;
    enabledWithoutParent = 0;
}

bool SControl::Create(SGlobals* shared, SControl* parentControl, unsigned id, const char* text,
                      int flags, int x, int y, int w, int h, int parentWindowHandle, bool)
{
    if (window.load() != 0)
        ReleaseWindow();
    globals = shared;
    parent = parentControl;
    style = flags;
    identifier = id;
    name.Clear(false);
    name.Append(text);
    AddState(kStateShown);
    outer = {x, y, x + w, y + h};
    client = {0, 0, w, h};
    ResetFields();
    parentWindow = static_cast<unsigned long>(static_cast<unsigned>(parentWindowHandle));
    connection =
        parent != nullptr && parent->connection != nullptr ? parent->connection : ConnectionInUse();
    windowLost = false;
    // The drawing context, fonts and bitmaps made from here on belong to
    // the window's connection, whichever thread makes the control.
    UseConnection scope(connection);
    CreateWindow(x, y, w, h);
    if (window.load() != 0)
        SetDecorationHints();
    CreateContexts();
    // Bound last: from now on the event procedure may find the control on
    // another thread, and everything it uses must exist by then.
    if (window.load() != 0)
        SetWindowProperties();
    Hide();
    return window.load() != 0;
}

void SControl::CreateWindow(int x, int y, int w, int h)
{
    if (GetDisplay() == nullptr)
        return;
    const bool popup = HasStyle(kStylePopup);
    if (popup || HasStyle(kStyleApplication))
        CreateTopLevel(x, y, w, h, popup);
    else
        CreateChild(x, y, w, h);
}

void SControl::CreateTopLevel(int x, int y, int w, int h, bool popup)
{
    Display* display = GetDisplay();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const bool decorated = HasStyle(kStyleDecorated);
    Window under = root;
    if (popup && !HasStyle(kStyleOnRoot)) {
        if (parent != nullptr && parent->GetWindow() != 0)
            under = parent->GetWindow();
        else if (parentWindow != 0)
            under = parentWindow;
    }
    XSetWindowAttributes attributes{};
    attributes.override_redirect = decorated ? False : True;
    attributes.save_under = True;
    attributes.event_mask = kControlEvents;
    unsigned long mask = CWOverrideRedirect | CWSaveUnder | CWEventMask;
    const unsigned border = decorated ? 3 : 0;
    Window created;
    if (popup) {
        attributes.do_not_propagate_mask = kPopupNoPropagate;
        mask |= CWDontPropagate;
        created = XCreateWindow(display, under, x, y, WindowExtent(w), WindowExtent(h), border,
                                DefaultDepth(display, screen), InputOutput,
                                DefaultVisual(display, screen), mask, &attributes);
        XSelectInput(display, created,
                     HasStyle(kStyleFullInput) ? kControlEvents : kPopupQuietEvents);
    } else {
        created = XCreateWindow(display, under, x, y, WindowExtent(w), WindowExtent(h), border,
                                CopyFromParent, CopyFromParent, CopyFromParent, mask, &attributes);
    }
    parentWindow = under;
    window = created;
    wmDeleteWindow = ExistingAtom(display, "WM_DELETE_WINDOW");
    if (wmDeleteWindow != None) {
        Atom protocols[1] = {wmDeleteWindow};
        XSetWMProtocols(display, created, protocols, 1);
    }
    SetTitleText(name.data);
    if (!HasStyle(kStyleResizable))
        SetHints(w, h);
}

void SControl::CreateChild(int x, int y, int w, int h)
{
    Display* display = GetDisplay();
    XFlush(display);
    Window under = DefaultRootWindow(display);
    if (parent != nullptr && parent->GetWindow() != 0)
        under = parent->GetWindow();
    else if (parentWindow != 0)
        under = parentWindow;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = kControlEvents;
    parentWindow = under;
    window =
        XCreateWindow(display, under, x, y, WindowExtent(w), WindowExtent(h), 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
}

void SControl::AnnounceFixedSize(int w, int h)
{
    if (GetDisplay() != nullptr && window.load() != 0)
        SetHints(w, h);
}

// A fixed-size window: program size, minimum and maximum all the same.
void SControl::SetHints(int w, int h)
{
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr)
        return;
    hints->flags = PSize | PMinSize | PMaxSize | PResizeInc;
    hints->width = hints->min_width = hints->max_width = w;
    hints->height = hints->min_height = hints->max_height = h;
    hints->width_inc = hints->height_inc = 0;
    XSetWMNormalHints(GetDisplay(), window.load(), hints);
    XFree(hints);
}

// Asks every window manager we know of to leave the window undecorated.
// Only atoms that already exist are used: a manager that never interned
// them will not look for them.
void SControl::SetDecorationHints()
{
    if (HasStyle(kStyleDecorated))
        return;
    Display* display = GetDisplay();
    const Window own = window.load();
    const Atom motif = ExistingAtom(display, "_MOTIF_WM_HINTS");
    if (motif != None) {
        long hints[4] = {2, 0, 0, 0};
        XChangeProperty(display, own, motif, motif, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(hints), 4);
    }
    SetOneItem(display, own, "_WIN_HINTS", 0);
    SetOneItem(display, own, "KWM_WIN_DECORATION", 2);
    const Atom type = ExistingAtom(display, "_NET_WM_WINDOW_TYPE");
    if (type != None) {
        long types[2];
        int count = 0;
        for (const char* kind :
             {"_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", "_NET_WM_WINDOW_TYPE_NORMAL"}) {
            const Atom atom = ExistingAtom(display, kind);
            if (atom != None)
                types[count++] = static_cast<long>(atom);
        }
        XChangeProperty(display, own, type, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(types), count);
    }
}

void SControl::SetWindowProperties()
{
    Display* display = GetDisplay();
    const ToolkitAtoms atoms = AtomsOf(display);
    handle = handles::Register(this);
    handles::BindWindow(handle, display, window.load());
    long item = static_cast<long>(handle);
    XChangeProperty(display, window.load(), atoms.kvorWindow, atoms.kvorWindow, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&item), 1);
    long procedure = static_cast<long>(handles::EventProcedureItem());
    XChangeProperty(display, window.load(), atoms.eventProcedure, atoms.eventProcedure, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&procedure), 1);
}

void SControl::SetTitleText(const char* text)
{
    // The text may be our own name: copy it before the name changes.
    Text title;
    title.Append(text);
    name.Clear(false);
    name.Append(title.data);
    Display* display = GetDisplay();
    const Window own = window.load();
    if (display == nullptr || own == 0)
        return;
    XTextProperty property{};
    property.value = reinterpret_cast<unsigned char*>(title.data);
    property.encoding = XA_STRING;
    property.format = 8;
    property.nitems = std::strlen(title.data);
    XSetWMName(display, own, &property);
    XStoreName(display, own, title.data);
    XSetIconName(display, own, title.data);
    XSetWMIconName(display, own, &property);
}

// The other window may belong to anyone and be gone already: its
// attributes are read under the error trap.
void SControl::Inherit(int otherWindow)
{
    Display* display = GetDisplay();
    const Window own = window.load();
    if (display == nullptr || own == 0 || otherWindow == 0)
        return;
    XWindowAttributes other{};
    Status status;
    {
        XErrorTrap trap(display);
        status = XGetWindowAttributes(display, static_cast<Window>(otherWindow), &other);
        if (trap.Failed())
            status = 0;
    }
    if (status == 0)
        return;
    XSetWindowAttributes copy{};
    copy.save_under = other.save_under;
    copy.override_redirect = other.override_redirect;
    copy.do_not_propagate_mask = other.do_not_propagate_mask;
    copy.event_mask = other.all_event_masks;
    XChangeWindowAttributes(
        display, own, CWSaveUnder | CWOverrideRedirect | CWDontPropagate | CWEventMask, &copy);
}

void SControl::SetRoundShape(bool on)
{
    Display* display = GetDisplay();
    const Window own = window.load();
    int eventBase = 0;
    int errorBase = 0;
    if (display == nullptr || own == 0 || !XShapeQueryExtension(display, &eventBase, &errorBase))
        return;
    if (!on) {
        XShapeCombineMask(display, own, ShapeBounding, 0, 0, None, ShapeSet);
        return;
    }
    const short w = static_cast<short>(outer.Width());
    const short h = static_cast<short>(outer.Height());
    // The stepped corners, as (x, y, width, height), top-left first.
    const XRectangle cuts[] = {
        {0, 0, 5, 1},
        {0, 1, 3, 1},
        {0, 2, 2, 1},
        {0, 3, 1, 2},
        {static_cast<short>(w - 5), 0, 5, 1},
        {static_cast<short>(w - 3), 1, 3, 1},
        {static_cast<short>(w - 2), 2, 2, 1},
        {static_cast<short>(w - 1), 3, 1, 2},
        {0, static_cast<short>(h - 1), 5, 1},
        {0, static_cast<short>(h - 2), 3, 1},
        {0, static_cast<short>(h - 3), 2, 1},
        {0, static_cast<short>(h - 5), 1, 2},
        {static_cast<short>(w - 5), static_cast<short>(h - 1), 5, 1},
        {static_cast<short>(w - 3), static_cast<short>(h - 2), 3, 1},
        {static_cast<short>(w - 2), static_cast<short>(h - 3), 2, 1},
        {static_cast<short>(w - 1), static_cast<short>(h - 5), 1, 2},
    };
    Region cut = XCreateRegion();
    for (XRectangle piece : cuts)
        XUnionRectWithRegion(&piece, cut, cut);
    Region whole = XCreateRegion();
    XRectangle all{0, 0, static_cast<unsigned short>(std::max(0, outer.Width())),
                   static_cast<unsigned short>(std::max(0, outer.Height()))};
    XUnionRectWithRegion(&all, whole, whole);
    Region shape = XCreateRegion();
    XSubtractRegion(whole, cut, shape);
    XShapeCombineRegion(display, own, ShapeBounding, 0, 0, shape, ShapeSet);
    XDestroyRegion(shape);
    XDestroyRegion(whole);
    XDestroyRegion(cut);
}

}  // namespace kvor::gui
