// The X window behind a control: kinds, attributes, hints, properties read
// back through Xlib, geometry and reparenting.
#include "tests/gui/GuiFixture.h"

#include "gui/WindowHandles.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <cstring>
#include <memory>

using namespace guitest;
using namespace kvor::gui;

namespace {

long ReadOneItem(Display* display, Window window, const char* name, Atom* typeOut = nullptr,
                 unsigned long* countOut = nullptr)
{
    const Atom atom = XInternAtom(display, name, False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long value = 0;
    if (XGetWindowProperty(display, window, atom, 0, 1, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
        if (count >= 1 && format == 32)
            value = *reinterpret_cast<long*>(data);
        XFree(data);
    }
    if (typeOut != nullptr)
        *typeOut = type;
    if (countOut != nullptr)
        *countOut = count;
    return value;
}

XWindowAttributes Attributes(Display* display, Window window)
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    return attributes;
}

Window ParentOf(Display* display, Window window)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, window, &root, &parent, &children, &count);
    if (children != nullptr)
        XFree(children);
    return parent;
}

}  // namespace

TEST_F(GuiTest, PlainControlIsAHiddenOverrideRedirectChildOfTheRoot)
{
    SControl control(&globals, nullptr, 4, "plain", 0, 10, 20, 30, 40, 0, false);
    ASSERT_NE(control.GetWindow(), 0u);
    const XWindowAttributes attributes = Attributes(display, control.GetWindow());
    EXPECT_EQ(ParentOf(display, control.GetWindow()), DefaultRootWindow(display));
    EXPECT_EQ(attributes.map_state, IsUnmapped);
    EXPECT_TRUE(attributes.override_redirect);
    EXPECT_EQ(attributes.x, 10);
    EXPECT_EQ(attributes.y, 20);
    EXPECT_EQ(attributes.width, 30);
    EXPECT_EQ(attributes.height, 40);
    EXPECT_FALSE(control.IsShown());
    EXPECT_EQ(control.GetState() & kStateEnabled, kStateEnabled);
    EXPECT_EQ(control.GetOuter(), (Rect{10, 20, 40, 60}));
    EXPECT_EQ(control.GetClient(), (Rect{0, 0, 30, 40}));
    const long events = KeyPressMask | ButtonPressMask | ExposureMask | StructureNotifyMask |
                        FocusChangeMask | PointerMotionMask | EnterWindowMask;
    EXPECT_EQ(attributes.your_event_mask & events, events);
}

TEST_F(GuiTest, ChildControlSitsInItsParentsWindowOrTheGivenWindow)
{
    SControl outer(&globals, nullptr, 1, "outer", 0, 0, 0, 100, 100, 0, false);
    SControl inner(&globals, &outer, 2, "inner", 0, 5, 5, 10, 10, 0, false);
    EXPECT_EQ(ParentOf(display, inner.GetWindow()), outer.GetWindow());
    EXPECT_EQ(inner.GetParentWindow(), outer.GetWindow());

    SControl hosted(&globals, nullptr, 3, "hosted", 0, 0, 0, 10, 10,
                    static_cast<int>(outer.GetWindow()), false);
    EXPECT_EQ(ParentOf(display, hosted.GetWindow()), outer.GetWindow());
}

TEST_F(GuiTest, PropertiesLeadAHostStyleReaderToTheProcedureAndTheControl)
{
    RecordingControl control(&globals, nullptr, 9, 0, 0, 0, 20, 20);
    Atom type = 0;
    unsigned long count = 0;
    const long handle = ReadOneItem(display, control.GetWindow(), "_KVORWND", &type, &count);
    EXPECT_EQ(type, XInternAtom(display, "_KVORWND", False));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(static_cast<uint32_t>(handle), control.GetHandle());
    EXPECT_EQ(handles::Lookup(static_cast<uint32_t>(handle)), &control);
    if (sizeof(void*) == 4) {
        EXPECT_EQ(static_cast<uint32_t>(handle),
                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&control)));
    }

    // What a host does: read the item as a long and call it.
    const long procedure = ReadOneItem(display, control.GetWindow(), "_XEventProc", &type, &count);
    EXPECT_EQ(type, XInternAtom(display, "_XEventProc", False));
    ASSERT_EQ(count, 1u);
    ASSERT_NE(procedure, 0);
    if (sizeof(void*) == 8) {
        // Below 2 GiB, so that Xlib's sign extension leaves it unchanged.
        EXPECT_GT(procedure, 0);
        EXPECT_LT(procedure, 0x80000000L);
    }
    using Procedure = int (*)(XEvent*);
    const auto call = reinterpret_cast<Procedure>(static_cast<uintptr_t>(procedure));

    XEvent outline{};
    outline.xclient.type = ClientMessage;
    outline.xclient.display = display;
    outline.xclient.window = control.GetWindow();
    outline.xclient.message_type = XInternAtom(display, "WM_PAINT_OUTLINES", False);
    outline.xclient.format = 32;
    EXPECT_EQ(call(&outline), 1);
    EXPECT_EQ(control.outlines, 1);
    EXPECT_EQ(control.lastOutline, (Rect{0, 0, 20, 20}));
}

TEST_F(GuiTest, DestroyingAControlForgetsItsHandle)
{
    auto control =
        std::make_unique<SControl>(&globals, nullptr, 1, "gone", 0, 0, 0, 5, 5, 0, false);
    const uint32_t handle = control->GetHandle();
    const unsigned before = handles::Count();
    ASSERT_EQ(handles::Lookup(handle), control.get());
    control->Destroy();
    EXPECT_EQ(control->GetWindow(), 0u);
    EXPECT_EQ(handles::Lookup(handle), nullptr);
    EXPECT_EQ(handles::Count(), before - 1);
}

TEST_F(GuiTest, PopupAndApplicationWindowsAreTopLevelWithFixedSizeHints)
{
    SControl owner(&globals, nullptr, 1, "owner", 0, 0, 0, 50, 50, 0, false);
    SControl popup(&globals, &owner, 2, "popup title", kStylePopup, 3, 4, 60, 70, 0, false);
    EXPECT_EQ(ParentOf(display, popup.GetWindow()), owner.GetWindow());
    XWindowAttributes attributes = Attributes(display, popup.GetWindow());
    EXPECT_TRUE(attributes.override_redirect);
    EXPECT_TRUE(attributes.save_under);
    EXPECT_EQ(attributes.do_not_propagate_mask & (KeyPressMask | ButtonPressMask),
              KeyPressMask | ButtonPressMask);
    // Without the full-input style a popup only hears exposure, structure
    // and focus events.
    EXPECT_EQ(attributes.your_event_mask, ExposureMask | StructureNotifyMask | FocusChangeMask);

    SControl onRoot(&globals, &owner, 3, "root popup", kStylePopup | kStyleOnRoot, 0, 0, 10, 10, 0,
                    false);
    EXPECT_EQ(ParentOf(display, onRoot.GetWindow()), DefaultRootWindow(display));

    SControl application(&globals, nullptr, 4, "application", kStyleApplication | kStyleDecorated,
                         0, 0, 80, 90, 0, false);
    attributes = Attributes(display, application.GetWindow());
    EXPECT_FALSE(attributes.override_redirect);
    EXPECT_EQ(attributes.border_width, 3);

    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(display, popup.GetWindow(), &hints, &supplied));
    EXPECT_EQ(hints.flags & (PMinSize | PMaxSize), PMinSize | PMaxSize);
    EXPECT_EQ(hints.min_width, 60);
    EXPECT_EQ(hints.max_width, 60);
    EXPECT_EQ(hints.min_height, 70);
    EXPECT_EQ(hints.max_height, 70);

    char* name = nullptr;
    ASSERT_TRUE(XFetchName(display, popup.GetWindow(), &name));
    EXPECT_STREQ(name, "popup title");
    XFree(name);
    char* icon = nullptr;
    ASSERT_TRUE(XGetIconName(display, popup.GetWindow(), &icon));
    EXPECT_STREQ(icon, "popup title");
    XFree(icon);

    SControl resizable(&globals, nullptr, 5, "free", kStylePopup | kStyleResizable, 0, 0, 10, 10, 0,
                       false);
    hints = XSizeHints{};
    supplied = 0;
    XGetWMNormalHints(display, resizable.GetWindow(), &hints, &supplied);
    EXPECT_EQ(hints.flags & (PMinSize | PMaxSize), 0);
}

TEST_F(GuiTest, UndecoratedWindowsCarryTheDecorationHintsThatExist)
{
    // A window manager would have interned these; the toolkit only uses
    // atoms that exist.
    for (const char* name :
         {"_MOTIF_WM_HINTS", "_WIN_HINTS", "KWM_WIN_DECORATION", "_NET_WM_WINDOW_TYPE",
          "_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", "_NET_WM_WINDOW_TYPE_NORMAL"})
        XInternAtom(display, name, False);
    SControl control(&globals, nullptr, 1, "bare", kStylePopup, 0, 0, 10, 10, 0, false);
    const Window window = control.GetWindow();

    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(display, window, motif, 0, 8, False, AnyPropertyType, &type,
                                 &format, &count, &after, &data),
              Success);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(type, motif);
    ASSERT_EQ(count, 4u);
    const long* hints = reinterpret_cast<long*>(data);
    EXPECT_EQ(hints[0], 2);
    EXPECT_EQ(hints[2], 0);
    XFree(data);

    EXPECT_EQ(ReadOneItem(display, window, "_WIN_HINTS"), 0);
    EXPECT_EQ(ReadOneItem(display, window, "KWM_WIN_DECORATION"), 2);

    const Atom netType = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    data = nullptr;
    ASSERT_EQ(XGetWindowProperty(display, window, netType, 0, 8, False, XA_ATOM, &type, &format,
                                 &count, &after, &data),
              Success);
    ASSERT_EQ(count, 2u);
    const long* types = reinterpret_cast<long*>(data);
    EXPECT_EQ(static_cast<Atom>(types[0]),
              XInternAtom(display, "_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", False));
    EXPECT_EQ(static_cast<Atom>(types[1]),
              XInternAtom(display, "_NET_WM_WINDOW_TYPE_NORMAL", False));
    XFree(data);

    SControl decorated(&globals, nullptr, 2, "framed", kStylePopup | kStyleDecorated, 0, 0, 10, 10,
                       0, false);
    unsigned long none = 99;
    ReadOneItem(display, decorated.GetWindow(), "_MOTIF_WM_HINTS", nullptr, &none);
    EXPECT_EQ(none, 0u);
}

TEST_F(GuiTest, GeometryFollowsSizePositionAndMoves)
{
    SControl control(&globals, nullptr, 1, "geometry", 0, 10, 10, 40, 30, 0, false);
    control.SetSize(0, 0);
    EXPECT_EQ(control.GetOuter(), (Rect{10, 10, 10, 10}));
    EXPECT_EQ(control.GetClient(), (Rect{0, 0, 0, 0}));
    XSync(display, False);

    control.SetSize(25, 15);
    control.SetPosition(7, 8);
    control.Move(3, -2);
    const SControl::Point offset{1, 1};
    control.Move(offset);
    EXPECT_EQ(control.GetOuter(), (Rect{11, 7, 36, 22}));
    const XWindowAttributes attributes = Attributes(display, control.GetWindow());
    EXPECT_EQ(attributes.x, 11);
    EXPECT_EQ(attributes.y, 7);
    EXPECT_EQ(attributes.width, 25);
    EXPECT_EQ(attributes.height, 15);
    EXPECT_EQ(control.GetScreenPosition(), (SControl::Point{11, 7}));

    SControl::Point point{0, 0};
    control.GetClient2Screen(point);
    EXPECT_EQ(point, (SControl::Point{11, 7}));
    control.GetScreen2Client(point);
    EXPECT_EQ(point, (SControl::Point{0, 0}));

    // The server moves it behind our back; Resized reads the truth.
    XMoveResizeWindow(display, control.GetWindow(), 50, 60, 70, 80);
    XSync(display, False);
    control.Resized(false);
    EXPECT_EQ(control.GetOuter(), (Rect{50, 60, 120, 140}));
    EXPECT_EQ(control.GetClient(), (Rect{0, 0, 70, 80}));
}

TEST_F(GuiTest, ShowMapsAndHideUnmaps)
{
    SControl control(&globals, nullptr, 1, "shown", 0, 0, 0, 10, 10, 0, false);
    control.Show();
    XSync(display, False);
    EXPECT_TRUE(control.IsShown());
    EXPECT_EQ(Attributes(display, control.GetWindow()).map_state, IsViewable);
    control.Hide();
    XSync(display, False);
    EXPECT_FALSE(control.IsShown());
    EXPECT_EQ(Attributes(display, control.GetWindow()).map_state, IsUnmapped);
}

TEST_F(GuiTest, ReparentMovesTheWindowAndKeepsItShown)
{
    SControl first(&globals, nullptr, 1, "first", 0, 0, 0, 100, 100, 0, false);
    SControl second(&globals, nullptr, 2, "second", 0, 0, 0, 100, 100, 0, false);
    SControl child(&globals, nullptr, 3, "child", 0, 4, 6, 10, 10,
                   static_cast<int>(first.GetWindow()), false);
    child.Show();
    child.Reparent(static_cast<int>(second.GetWindow()));
    XSync(display, False);
    EXPECT_EQ(ParentOf(display, child.GetWindow()), second.GetWindow());
    EXPECT_EQ(child.GetParentWindow(), second.GetWindow());
    EXPECT_TRUE(child.IsShown());
    const XWindowAttributes attributes = Attributes(display, child.GetWindow());
    EXPECT_EQ(attributes.x, 4);
    EXPECT_EQ(attributes.y, 6);

    child.Reparent(0);
    XSync(display, False);
    EXPECT_EQ(ParentOf(display, child.GetWindow()), DefaultRootWindow(display));
}

TEST_F(GuiTest, RoundShapeCutsSteppedCornersAndCanBeRemoved)
{
    SControl control(&globals, nullptr, 1, "round", 0, 0, 0, 20, 12, 0, false);
    control.SetRoundShape(true);
    XSync(display, False);
    int count = 0;
    int ordering = 0;
    XRectangle* rectangles =
        XShapeGetRectangles(display, control.GetWindow(), ShapeBounding, &count, &ordering);
    ASSERT_NE(rectangles, nullptr);
    long area = 0;
    bool cornerInside = false;
    bool centreInside = false;
    for (int i = 0; i < count; ++i) {
        const XRectangle& r = rectangles[i];
        area += static_cast<long>(r.width) * r.height;
        const auto contains = [&r](int x, int y) {
            return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
        };
        cornerInside = cornerInside || contains(0, 0) || contains(19, 11) || contains(4, 0);
        centreInside = centreInside || contains(10, 6);
    }
    XFree(rectangles);
    // Each corner loses 5 + 3 + 2 + 2 pixels.
    EXPECT_EQ(area, 20 * 12 - 4 * 12);
    EXPECT_FALSE(cornerInside);
    EXPECT_TRUE(centreInside);

    control.SetRoundShape(false);
    XSync(display, False);
    rectangles =
        XShapeGetRectangles(display, control.GetWindow(), ShapeBounding, &count, &ordering);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(rectangles[0].width, 20);
    EXPECT_EQ(rectangles[0].height, 12);
    XFree(rectangles);
}

TEST_F(GuiTest, SetTitleTextSetsAllFourNames)
{
    SControl control(&globals, nullptr, 1, "old", kStyleApplication, 0, 0, 10, 10, 0, false);
    control.SetTitleText("Tarvenna (12)");
    EXPECT_STREQ(control.GetLabel().data, "Tarvenna (12)");
    XTextProperty property{};
    ASSERT_TRUE(XGetWMName(display, control.GetWindow(), &property));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(property.value), property.nitems),
              "Tarvenna (12)");
    EXPECT_EQ(property.encoding, XA_STRING);
    XFree(property.value);
    ASSERT_TRUE(XGetWMIconName(display, control.GetWindow(), &property));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(property.value), property.nitems),
              "Tarvenna (12)");
    XFree(property.value);
    // Its own name as the argument is no trap.
    control.SetTitleText(control.GetLabel().data);
    EXPECT_STREQ(control.GetLabel().data, "Tarvenna (12)");
}

TEST_F(GuiTest, InheritCopiesAnotherWindowsAttributes)
{
    SControl source(&globals, nullptr, 1, "source", kStylePopup, 0, 0, 10, 10, 0, false);
    SControl target(&globals, nullptr, 2, "target", 0, 0, 0, 10, 10, 0, false);
    target.Inherit(static_cast<int>(source.GetWindow()));
    XSync(display, False);
    const XWindowAttributes copied = Attributes(display, target.GetWindow());
    const XWindowAttributes original = Attributes(display, source.GetWindow());
    EXPECT_EQ(copied.save_under, original.save_under);
    EXPECT_EQ(copied.do_not_propagate_mask, original.do_not_propagate_mask);
    EXPECT_EQ(copied.your_event_mask, original.all_event_masks);
}

TEST_F(GuiTest, EnabledFollowsTheParentChainUnlessExempt)
{
    SControl parent(&globals, nullptr, 1, "parent", 0, 0, 0, 10, 10, 0, false);
    SControl child(&globals, &parent, 2, "child", 0, 0, 0, 5, 5, 0, false);
    EXPECT_TRUE(child.Enabled());
    parent.Enable(false);
    EXPECT_FALSE(child.Enabled());
    parent.Enable(true);
    child.Enable(false);
    EXPECT_FALSE(child.Enabled());
    EXPECT_TRUE(parent.Enabled());

    child.Enable(true);
    parent.Enable(false);
    child.EnableWithoutParent(true);
    EXPECT_TRUE(child.Enabled());
    child.Enable(false);
    EXPECT_FALSE(child.Enabled()) << "its own bit still counts";
}

TEST_F(GuiTest, TopPositionIsThatOfTheOutermostWindow)
{
    SControl top(&globals, nullptr, 1, "top", 0, 30, 40, 100, 100, 0, false);
    SControl middle(&globals, &top, 2, "middle", 0, 5, 6, 50, 50, 0, false);
    SControl inner(&globals, &middle, 3, "inner", 0, 1, 1, 5, 5, 0, false);
    EXPECT_EQ(inner.GetTopPosition(), (SControl::Point{30, 40}));
    EXPECT_EQ(inner.GetScreenPosition(), (SControl::Point{1, 1}));
}

TEST_F(GuiTest, FocusTopParentFocusesTheHostWindowsParent)
{
    SControl frame(&globals, nullptr, 1, "frame", 0, 0, 0, 100, 100, 0, false);
    SControl host(&globals, &frame, 2, "host", 0, 0, 0, 50, 50, 0, false);
    frame.Show();
    host.Show();
    SControl panel(&globals, &host, 3, "panel", 0, 0, 0, 10, 10, 0, false);
    globals.parentWindow = host.GetWindow();
    panel.FocusTopParent();
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(display, &focused, &revert);
    EXPECT_EQ(focused, frame.GetWindow());

    globals.parentWindow = frame.GetWindow();  // its parent is the root
    panel.FocusTopParent();
    XGetInputFocus(display, &focused, &revert);
    EXPECT_EQ(focused, frame.GetWindow());
    globals.parentWindow = 0;
    XSetInputFocus(display, PointerRoot, RevertToNone, CurrentTime);
}

TEST_F(GuiTest, MousePointerWarpsWithinTheWindow)
{
    SControl control(&globals, nullptr, 1, "warp", 0, 20, 20, 50, 50, 0, false);
    control.Show();
    control.MousePointer(3, 4);
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    ASSERT_TRUE(
        XQueryPointer(display, control.GetWindow(), &root, &child, &rootX, &rootY, &x, &y, &mask));
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);
    EXPECT_EQ(rootX, 23);
    EXPECT_EQ(rootY, 24);
}

TEST_F(GuiTest, MinimizeAsksTheWindowManagerThroughTheRoot)
{
    const Atom changeState = XInternAtom(display, "WM_CHANGE_STATE", False);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    SWindow window(&globals, nullptr, 1, "window", kStyleApplication, 0, 0, 10, 10, 0, false);
    window.WindowMinimize(false);
    window.WindowMinimize(true);
    XSync(display, False);
    std::vector<long> states;
    XEvent event;
    while (XCheckTypedEvent(display, ClientMessage, &event)) {
        if (event.xclient.message_type == changeState) {
            EXPECT_EQ(event.xclient.window, window.GetWindow());
            states.push_back(event.xclient.data.l[0]);
        }
    }
    XSelectInput(display, DefaultRootWindow(display), NoEventMask);
    EXPECT_EQ(states, (std::vector<long>{IconicState, NormalState}));
}

TEST(SEventTest, FreshRecordAndTheUnusedHelpers)
{
    const SEvent event;
    EXPECT_EQ(event.code, -1);
    EXPECT_EQ(event.kind, 0);
    EXPECT_EQ(event.sender, nullptr);
    EXPECT_EQ(event.lock, nullptr);
    EXPECT_STREQ(SWindowEventType(16), "Eventtype: CreateNotify");
    EXPECT_STREQ(SWindowEventType(17), "Eventtype: (unknown)");
}
