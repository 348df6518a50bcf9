// The event procedure against a real server: events travel through Xvfb
// (XSendEvent or XTest) and come back through the queue, as a host's GUI
// thread would hand them over.
#include "tests/gui/GuiFixture.h"

#include "runtime/SMutex.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <memory>

using namespace guitest;
using namespace kvor::gui;
using namespace kvor::gui::context;

namespace {

class EventProcTest : public GuiTest {
protected:
    // The pointer stays away from the controls unless a test moves it:
    // crossing and focus events of its own would get in the way.
    void SetUp() override
    {
        GuiTest::SetUp();
        if (display == nullptr)
            return;
        XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, 1000, 900);
        XSync(display, False);
        Drain();
    }

    std::unique_ptr<RecordingControl> Make(int flags = 0, int w = 40, int h = 30,
                                           SControl* parent = nullptr)
    {
        auto control = std::make_unique<RecordingControl>(&globals, parent, 5, flags, 10, 10, w, h);
        return control;
    }

    void Shown(RecordingControl& control)
    {
        control.Show();
        XSync(display, False);
        Drain();
        control.draws = 0;
        control.changes.clear();
        control.snapshots.clear();
    }

    void Press(RecordingControl& control, unsigned button, Time time)
    {
        SendThroughServer(control.GetWindow(),
                          Button(ButtonPress, control.GetWindow(), button, time), ButtonPressMask);
        Drain();
    }
    void Release(RecordingControl& control, unsigned button, Time time)
    {
        SendThroughServer(control.GetWindow(),
                          Button(ButtonRelease, control.GetWindow(), button, time),
                          ButtonReleaseMask);
        Drain();
    }

    XEvent KeyEvent(int type, Window window, KeySym symbol, unsigned state = 0)
    {
        XEvent event{};
        event.xkey.type = type;
        event.xkey.display = display;
        event.xkey.window = window;
        event.xkey.root = DefaultRootWindow(display);
        event.xkey.keycode = XKeysymToKeycode(display, symbol);
        event.xkey.state = state;
        event.xkey.same_screen = True;
        return event;
    }

    void Key(Window window, int type, KeySym symbol, unsigned state = 0)
    {
        SendThroughServer(window, KeyEvent(type, window, symbol, state),
                          type == KeyPress ? KeyPressMask : KeyReleaseMask);
        Drain();
    }

    unsigned NumLockMask()
    {
        const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
        XModifierKeymap* map = XGetModifierMapping(display);
        unsigned mask = 0;
        for (int modifier = 0; modifier < 8 && numLock != 0; ++modifier) {
            for (int k = 0; k < map->max_keypermod; ++k) {
                if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
                    mask = 1u << modifier;
            }
        }
        XFreeModifiermap(map);
        return mask;
    }

    XEvent Message(Window window, const char* type)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.display = display;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, type, False);
        event.xclient.format = 32;
        return event;
    }
};

}  // namespace

// --- double clicks ------------------------------------------------------------------

TEST_F(EventProcTest, SecondLeftPressWithin359MsIsADoubleClick)
{
    auto control = Make();
    Press(*control, Button1, 1000);
    Release(*control, Button1, 1050);
    Press(*control, Button1, 1359);
    EXPECT_EQ(control->changes,
              (std::vector<int>{kMouseLeftDown, kMouseReleased, kMouseLeftDouble}));
    EXPECT_TRUE(control->MouseState()[kMouseLeftDouble]);
    EXPECT_TRUE(control->MouseState()[kMouseInside]);
    EXPECT_FALSE(control->MouseState()[kMouseReleased]);
}

TEST_F(EventProcTest, At360MsItIsASinglePressAgain)
{
    auto control = Make();
    Press(*control, Button1, 1000);
    Release(*control, Button1, 1050);
    Press(*control, Button1, 1360);
    EXPECT_EQ(control->changes, (std::vector<int>{kMouseLeftDown, kMouseReleased, kMouseLeftDown}));
    EXPECT_FALSE(control->MouseState()[kMouseLeftDouble]);
}

TEST_F(EventProcTest, OtherButtonOrFirstPressIsNoDoubleClick)
{
    auto control = Make();
    Press(*control, Button3, 5000);
    Release(*control, Button3, 5010);
    Press(*control, Button1, 5100);
    EXPECT_EQ(control->changes,
              (std::vector<int>{kMouseRightDown, kMouseReleased, kMouseLeftDown}));

    auto fresh = Make();
    Press(*fresh, Button1, 50);  // well within 359 ms of "time 0"
    EXPECT_EQ(fresh->changes, (std::vector<int>{kMouseLeftDown}));
}

TEST_F(EventProcTest, RightAndMiddleDoubleClicksHaveTheirOwnFlags)
{
    auto control = Make();
    Press(*control, Button3, 100);
    Release(*control, Button3, 110);
    Press(*control, Button3, 200);
    Release(*control, Button3, 210);
    Press(*control, Button2, 300);
    Release(*control, Button2, 310);
    Press(*control, Button2, 400);
    EXPECT_EQ(control->changes,
              (std::vector<int>{kMouseRightDown, kMouseReleased, kMouseRightDouble, kMouseReleased,
                                kMouseMiddleDown, kMouseReleased, kMouseMiddleDouble}));
}

TEST_F(EventProcTest, DoubleClickTimingSurvivesTheXClockWrapping)
{
    auto control = Make();
    Press(*control, Button1, 0xFFFFFF00u);
    Release(*control, Button1, 0xFFFFFF10u);
    Press(*control, Button1, 0x20);  // 0x120 ms later, across the wrap
    EXPECT_EQ(control->changes.back(), kMouseLeftDouble);
}

// --- buttons, wheel, crossing, disabled -------------------------------------------------

TEST_F(EventProcTest, DisabledControlSwallowsButtons)
{
    auto control = Make();
    control->Enable(false);
    XEvent press = Button(ButtonPress, control->GetWindow(), Button1, 10);
    press.xany.display = display;
    EXPECT_EQ(SControl::eventProc(&press), 1);
    EXPECT_TRUE(control->changes.empty());
    control->Enable(true);
    EXPECT_EQ(SControl::eventProc(&press), 0);
    EXPECT_EQ(control->changes, (std::vector<int>{kMouseLeftDown}));
}

TEST_F(EventProcTest, WheelGoesToTheParentWithBothWheelStyles)
{
    auto parent = Make();
    auto child = Make(kStyleWheelToParentA | kStyleWheelToParentB, 10, 10, parent.get());
    XEvent wheel = Button(ButtonPress, child->GetWindow(), Button4, 10);
    wheel.xany.display = display;
    EXPECT_EQ(SControl::eventProc(&wheel), 1);
    EXPECT_TRUE(child->changes.empty());
    ASSERT_EQ(parent->changes, (std::vector<int>{kMouseWheel}));
    EXPECT_TRUE(parent->MouseState()[kMouseWheelUp]);
    EXPECT_FALSE(parent->MouseState()[kMouseWheelDown]);

    auto alone = Make(kStyleWheelToParentA);
    XEvent down = Button(ButtonPress, alone->GetWindow(), Button5, 10);
    down.xany.display = display;
    EXPECT_EQ(SControl::eventProc(&down), 1);
    EXPECT_EQ(alone->changes, (std::vector<int>{kMouseWheel}));
    EXPECT_TRUE(alone->MouseState()[kMouseWheelDown]);
}

TEST_F(EventProcTest, EnterAndLeaveReportOnceAndRequestOutlines)
{
    auto control = Make(kStyleCrossingOutlines);
    Shown(*control);
    XEvent crossing{};
    crossing.xcrossing.type = EnterNotify;
    crossing.xcrossing.window = control->GetWindow();
    SendThroughServer(control->GetWindow(), crossing, EnterWindowMask);
    Drain();
    SendThroughServer(control->GetWindow(), crossing, EnterWindowMask);
    Drain();
    crossing.xcrossing.type = LeaveNotify;
    SendThroughServer(control->GetWindow(), crossing, LeaveWindowMask);
    // The outline request made on leaving arrives as a second event.
    PumpUntil([&] { return control->outlines >= 3; }, std::chrono::seconds(5));
    EXPECT_EQ(control->changes, (std::vector<int>{kMouseEntered, kMouseLeft}));
    EXPECT_FALSE(control->MouseState()[kMouseInside]);
    EXPECT_TRUE(control->MouseState()[kMouseLeft]);
    EXPECT_EQ(control->outlines, 3);
}

TEST_F(EventProcTest, RealClickThroughXTestCapturesAndReleasesWithCaptureStyle)
{
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor))
        GTEST_SKIP() << "no XTest";
    auto control = Make(kStyleCaptureOnPress);
    Shown(*control);
    XTestFakeMotionEvent(display, DefaultScreen(display), 20, 20, 0);
    XTestFakeButtonEvent(display, Button1, True, 0);
    XSync(display, False);
    ASSERT_TRUE(PumpUntil([&] { return SControl::CaptureControl() == control.get(); }));
    EXPECT_TRUE(control->MouseState()[kMouseCaptured]);
    EXPECT_TRUE(control->MouseState()[kMouseLeftDown]);

    XTestFakeButtonEvent(display, Button1, False, 0);
    XSync(display, False);
    ASSERT_TRUE(PumpUntil([&] { return SControl::CaptureControl() == nullptr; }));
    EXPECT_FALSE(control->MouseState()[kMouseCaptured]);
    const std::vector<int>& seen = control->changes;
    EXPECT_NE(std::find(seen.begin(), seen.end(), kMouseLeftDown), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), kMouseReleased), seen.end());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), kMouseCaptured), 2);
}

// --- capture redirection ------------------------------------------------------------

TEST_F(EventProcTest, WithACaptureKeysAndMotionGoToItAndCrossingIsIgnored)
{
    auto holder = Make();
    auto other = Make();
    Shown(*holder);
    Shown(*other);
    holder->MouseSetCapture();
    ASSERT_EQ(SControl::CaptureControl(), holder.get());
    holder->changes.clear();

    Key(other->GetWindow(), KeyPress, XK_F5);
    EXPECT_TRUE(other->keys.empty());
    ASSERT_EQ(holder->keys.size(), 1u);
    EXPECT_EQ(holder->keys[0].key, static_cast<int>(XK_F5));

    XEvent crossing{};
    crossing.xcrossing.type = EnterNotify;
    crossing.xcrossing.display = display;
    crossing.xcrossing.window = other->GetWindow();
    EXPECT_EQ(SControl::eventProc(&crossing), 1);
    EXPECT_FALSE(other->MouseState()[kMouseInside]);

    XEvent motion{};
    motion.xmotion.type = MotionNotify;
    motion.xmotion.display = display;
    motion.xmotion.window = other->GetWindow();
    motion.xmotion.x = 7;
    motion.xmotion.y = 9;
    EXPECT_EQ(SControl::eventProc(&motion), 0);
    EXPECT_EQ(holder->GetInput()->x, 7);
    EXPECT_EQ(holder->GetInput()->y, 9);
    EXPECT_EQ(other->GetInput()->x, -1);

    holder->MouseReleaseCapture();
    EXPECT_EQ(SControl::CaptureControl(), nullptr);
    EXPECT_EQ(SControl::eventProc(&crossing), 0);
    EXPECT_TRUE(other->MouseState()[kMouseInside]);
}

TEST_F(EventProcTest, AFailedGrabLeavesNoCapture)
{
    auto hidden = Make();  // not viewable: the server refuses the grab
    hidden->MouseSetCapture();
    EXPECT_EQ(SControl::CaptureControl(), nullptr);
    EXPECT_FALSE(hidden->MouseState()[kMouseCaptured]);
}

TEST_F(EventProcTest, ReleasingSomeoneElsesCaptureKeepsIt)
{
    auto holder = Make();
    auto other = Make();
    Shown(*holder);
    holder->MouseSetCapture();
    ASSERT_EQ(SControl::CaptureControl(), holder.get());
    other->MouseReleaseCapture();
    EXPECT_EQ(SControl::CaptureControl(), holder.get());
    holder->MouseReleaseCapture();
    EXPECT_EQ(SControl::CaptureControl(), nullptr);
}

TEST_F(EventProcTest, DestroyingTheCaptureHolderForgetsTheCapture)
{
    auto holder = Make();
    Shown(*holder);
    holder->MouseSetCapture();
    ASSERT_EQ(SControl::CaptureControl(), holder.get());
    holder.reset();
    EXPECT_EQ(SControl::CaptureControl(), nullptr);
}

// --- keys --------------------------------------------------------------------------

TEST_F(EventProcTest, KeyClassesOfKeypadFunctionAndModifierKeys)
{
    auto control = Make();
    const unsigned numLock = NumLockMask();
    if (numLock == 0 || XKeysymToKeycode(display, XK_KP_5) == 0)
        GTEST_SKIP() << "no keypad in this server's keymap";
    Key(control->GetWindow(), KeyPress, XK_KP_5, numLock);
    Key(control->GetWindow(), KeyPress, XK_F5);
    Key(control->GetWindow(), KeyPress, XK_Shift_L);
    Key(control->GetWindow(), KeyRelease, XK_Shift_L, ShiftMask);
    Key(control->GetWindow(), KeyPress, XK_Return);
    ASSERT_EQ(control->keys.size(), 5u);
    EXPECT_EQ(control->keys[0].keyClass, 0);
    EXPECT_EQ(control->keys[0].key, 53);
    EXPECT_EQ(control->keys[1].keyClass, 5);
    EXPECT_EQ(control->keys[1].key, static_cast<int>(XK_F5));
    EXPECT_EQ(control->keys[2].keyClass, 3);
    EXPECT_EQ(control->keys[2].key, 17);
    EXPECT_TRUE(control->keys[2].pressed);
    EXPECT_EQ(control->keys[2].modifiers, 1) << "Shift counts with its own press";
    EXPECT_FALSE(control->keys[3].pressed);
    EXPECT_EQ(control->keys[3].modifiers, 0);
    EXPECT_EQ(control->keys[4].keyClass, 4);
    EXPECT_EQ(control->keys[4].key, 0);
}

TEST_F(EventProcTest, KeyEventsReturnOneEvenWhenDisabled)
{
    auto control = Make();
    XEvent press = KeyEvent(KeyPress, control->GetWindow(), XK_a);
    EXPECT_EQ(SControl::eventProc(&press), 1);
    control->Enable(false);
    EXPECT_EQ(SControl::eventProc(&press), 1);
    EXPECT_EQ(control->keys.size(), 1u);
}

TEST_F(EventProcTest, AShortcutKeySendsItsRecordOnPressOnly)
{
    auto control = Make();
    control->AddKeyShortcut(XK_F7);
    control->AddEventListener(control.get(), kEventKeyShortcut);
    Key(control->GetWindow(), KeyPress, XK_Control_L);
    Key(control->GetWindow(), KeyPress, XK_F7, ControlMask);
    Key(control->GetWindow(), KeyRelease, XK_F7, ControlMask);
    Key(control->GetWindow(), KeyPress, XK_F8, ControlMask);
    const std::vector<Parsed> parsed = control->Snapshot();
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].code, kEventKeyShortcut);
    EXPECT_EQ(parsed[0].kind, kEventKindRecord);
    EXPECT_EQ(parsed[0].sender, control.get());
    EXPECT_EQ(parsed[0].shortcutSymbol, static_cast<int>(XK_F7));
    EXPECT_EQ(parsed[0].shortcutModifiers, 2);
}

// --- repaint requests and drawing -------------------------------------------------

TEST_F(EventProcTest, RefreshOfAHiddenControlSendsNothingAndAfterShowOneWholeExpose)
{
    auto control = Make(0, 33, 22);
    control->Refresh();
    XSync(display, False);
    XEvent seen;
    EXPECT_FALSE(XCheckTypedWindowEvent(display, control->GetWindow(), Expose, &seen));

    control->Show();
    XSync(display, False);
    int synthetic = 0;
    while (XCheckTypedWindowEvent(display, control->GetWindow(), Expose, &seen)) {
        if (!seen.xexpose.send_event)
            continue;
        ++synthetic;
        EXPECT_EQ(seen.xexpose.x, 0);
        EXPECT_EQ(seen.xexpose.y, 0);
        EXPECT_EQ(seen.xexpose.width, 33);
        EXPECT_EQ(seen.xexpose.height, 22);
        EXPECT_EQ(seen.xexpose.count, 0);
    }
    EXPECT_EQ(synthetic, 1);
}

TEST_F(EventProcTest, FiveQueuedExposesDrawOnce)
{
    auto control = Make();
    Shown(*control);
    for (int i = 0; i < 5; ++i)
        control->RefreshRectangle({i, i, i + 3, i + 3});
    XSync(display, False);
    EXPECT_EQ(Drain(), 1);
    EXPECT_EQ(control->draws.load(), 1);
    EXPECT_EQ(control->lastDraw, (Rect{0, 0, 40, 30}));

    control->Hide();
    XEvent expose{};
    expose.xexpose.type = Expose;
    expose.xexpose.display = display;
    expose.xexpose.window = control->GetWindow();
    EXPECT_EQ(SControl::eventProc(&expose), 0);
    EXPECT_EQ(control->draws.load(), 1) << "a hidden control does not draw";
}

TEST_F(EventProcTest, PaintMessagesReachTheirDrawOperations)
{
    auto control = Make(0, 40, 30);
    Shown(*control);
    control->RefreshOutlines();
    // An address with bits above 32 on 64-bit targets must arrive whole.
    auto* region = reinterpret_cast<SDrawRegion*>(
        static_cast<uintptr_t>(sizeof(void*) == 8 ? 0x00007F1234567890ull : 0x12345678u));
    control->RefreshRegion(region);
    control->RefreshArea(5);
    XSync(display, False);
    Drain();
    EXPECT_EQ(control->outlines, 1);
    EXPECT_EQ(control->lastOutline, (Rect{0, 0, 40, 30}));
    EXPECT_EQ(control->lastRegion, region);
    EXPECT_EQ(control->lastArea, 5);
}

TEST_F(EventProcTest, RequestsFromManyThreadsAllArrive)
{
    auto control = Make();
    Shown(*control);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&control] {
            for (int i = 0; i < 25; ++i)
                control->RefreshArea(7);
        });
    for (auto& thread : threads)
        thread.join();
    XSync(display, False);
    EXPECT_EQ(Drain(), 100);
    EXPECT_EQ(control->lastArea, 7);
}

// --- client messages, configure, mapping --------------------------------------------------

TEST_F(EventProcTest, WindowManagerCloseRequestDependsOnTheKind)
{
    auto child = Make();
    XEvent close = Message(child->GetWindow(), "WM_PROTOCOLS");
    EXPECT_EQ(SControl::eventProc(&close), 0);
    EXPECT_EQ(child->closeDialogs, 0);
    EXPECT_EQ(child->stops, 0);

    auto popup = Make(kStylePopup);
    close.xclient.window = popup->GetWindow();
    EXPECT_EQ(SControl::eventProc(&close), 1);
    EXPECT_EQ(popup->closeDialogs, 1);

    auto rootPopup = Make(kStylePopup | kStyleOnRoot);
    close.xclient.window = rootPopup->GetWindow();
    EXPECT_EQ(SControl::eventProc(&close), 0);
    EXPECT_EQ(rootPopup->closeDialogs, 0);

    auto application = Make(kStyleApplication);
    application->Run();
    close.xclient.window = application->GetWindow();
    EXPECT_EQ(SControl::eventProc(&close), 1);
    EXPECT_EQ(application->stops, 1);
    EXPECT_FALSE(application->IsRunning());

    XEvent menu = Message(child->GetWindow(), "WM_MENU_ENTERED");
    EXPECT_EQ(SControl::eventProc(&menu), 1);
    XEvent other = Message(child->GetWindow(), "SOMETHING_ELSE");
    EXPECT_EQ(SControl::eventProc(&other), 0);
}

TEST_F(EventProcTest, ConfigureNotifyTakesTheLastGeometry)
{
    auto control = Make();
    XMoveResizeWindow(display, control->GetWindow(), 1, 2, 3, 4);
    XMoveResizeWindow(display, control->GetWindow(), 11, 12, 13, 14);
    XSync(display, False);
    Drain();
    EXPECT_EQ(control->GetOuter(), (Rect{11, 12, 24, 26}));
    EXPECT_EQ(control->GetClient(), (Rect{0, 0, 13, 14}));
}

TEST_F(EventProcTest, MapAndUnmapNotificationsKeepTheShownBit)
{
    auto control = Make();
    XMapWindow(display, control->GetWindow());
    XSync(display, False);
    Drain();
    EXPECT_TRUE(control->IsShown());
    XUnmapWindow(display, control->GetWindow());
    XSync(display, False);
    Drain();
    EXPECT_FALSE(control->IsShown());
}

TEST_F(EventProcTest, FocusChangesSetTheFocusedBit)
{
    auto control = Make();
    Shown(*control);
    control->Focus(true);
    XSync(display, False);
    Drain();
    EXPECT_EQ(control->GetState() & kStateFocused, kStateFocused);
    control->Focus(false);
    XSync(display, False);
    Drain();
    EXPECT_EQ(control->GetState() & kStateFocused, 0);
}

TEST_F(EventProcTest, FocusRequestsThatXRefusesStayQuiet)
{
    auto control = Make();
    Shown(*control);
    const Window gone =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 4, 4, 0, 0, 0);
    XMapWindow(display, gone);
    XSetInputFocus(display, gone, RevertToNone, CurrentTime);
    XSync(display, False);
    control->Focus(true);
    XDestroyWindow(display, gone);
    XSync(display, False);
    // Giving the focus back to a window that is gone must not end the
    // program through the default error handler.
    control->Focus(false);
    SUCCEED();
}

TEST_F(EventProcTest, KeyboardMappingChangesAreTakenIn)
{
    XEvent mapping{};
    mapping.xmapping.type = MappingNotify;
    mapping.xmapping.display = display;
    mapping.xmapping.request = MappingKeyboard;
    mapping.xmapping.first_keycode = 8;
    mapping.xmapping.count = 1;
    EXPECT_EQ(SControl::eventProc(&mapping), 1);
    mapping.xmapping.request = MappingPointer;
    EXPECT_EQ(SControl::eventProc(&mapping), 0);
}

TEST_F(EventProcTest, NoExposeIsSwallowed)
{
    auto control = Make();
    XEvent event{};
    event.xnoexpose.type = NoExpose;
    event.xnoexpose.display = display;
    event.xnoexpose.drawable = control->GetWindow();
    EXPECT_EQ(SControl::eventProc(&event), 1);
}

// --- toolkit events -------------------------------------------------------------------

TEST_F(EventProcTest, ListenersAreCalledInOrderWithoutDuplicates)
{
    auto sender = Make();
    auto first = Make();
    auto second = Make();
    EXPECT_EQ(sender->AddEventListener(first.get(), kEventValueChanged), 0);
    EXPECT_EQ(sender->AddEventListener(second.get(), kEventValueChanged), 1);
    EXPECT_EQ(sender->AddEventListener(first.get(), kEventValueChanged), 0);
    EXPECT_EQ(sender->AddEventListener(nullptr, kEventValueChanged), -1);
    EXPECT_EQ(sender->AddEventListener(first.get(), 13), -1);

    EXPECT_EQ(sender->SendEvent(kEventValueChanged, kEventKindValue, 42, 0.5f, nullptr,
                                sender.get(), nullptr),
              2);
    ASSERT_EQ(first->Snapshot().size(), 1u);
    EXPECT_EQ(first->Snapshot()[0].value, 42);
    EXPECT_EQ(second->Snapshot()[0].sender, sender.get());

    sender->RemoveEventListener(first.get(), kEventValueChanged);
    EXPECT_EQ(sender->SendEvent(kEventValueChanged, 1, 1, 0, nullptr, sender.get(), nullptr), 1);
    EXPECT_EQ(sender->SendEvent(13, 1, 1, 0, nullptr, sender.get(), nullptr), 0);
    EXPECT_EQ(sender->SendEvent(nullptr), 0);
    EXPECT_EQ(first->Snapshot().size(), 1u);
}

TEST_F(EventProcTest, HandlerFlagsAreOnlyFlags)
{
    auto control = Make();
    EXPECT_FALSE(control->EventHandled(kEventTimerTick));
    control->EnableEventHandler(kEventTimerTick);
    EXPECT_TRUE(control->EventHandled(kEventTimerTick));
    control->DisableEventHandler(kEventTimerTick);
    EXPECT_FALSE(control->EventHandled(kEventTimerTick));
    control->EnableEventHandler(13);
    EXPECT_FALSE(control->EventHandled(13));
}

namespace {

class LockWatcher : public RecordingControl {
public:
    using RecordingControl::RecordingControl;
    void ParseEvent(SEvent* event) override
    {
        heldDuringCall = event->lock != nullptr && event->lock->Counter() == 1;
        RecordingControl::ParseEvent(event);
    }
    bool heldDuringCall = false;
};

}  // namespace

TEST_F(EventProcTest, AnEventsLockIsHeldAroundEachCall)
{
    auto sender = Make();
    LockWatcher watcher(&globals, nullptr, 2, 0, 0, 0, 5, 5);
    sender->AddEventListener(&watcher, kEventValueChanged);
    kvor::threading::SMutexID lock;
    sender->SendEvent(kEventValueChanged, 1, 3, 0, nullptr, sender.get(), &lock);
    EXPECT_TRUE(watcher.heldDuringCall);
    EXPECT_EQ(lock.Counter(), 0);
}

TEST_F(EventProcTest, GivingBackAFocusWeDoNotHoldChangesNothing)
{
    auto control = Make();
    auto other = Make();
    Shown(*control);
    Shown(*other);
    XSetInputFocus(display, other->GetWindow(), RevertToNone, CurrentTime);
    XSync(display, False);
    control->Focus(false);
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(display, &focused, &revert);
    EXPECT_EQ(focused, other->GetWindow());

    control->Hide();
    control->Focus(true);  // hidden controls do not take the focus
    XGetInputFocus(display, &focused, &revert);
    EXPECT_EQ(focused, other->GetWindow());
    XSetInputFocus(display, PointerRoot, RevertToNone, CurrentTime);
}
