// The toolkit's control: one X window with its own drawing context, input
// state, listener lists and optional timers. Everything visible in the
// toolkit derives from it; SWindow adds children.
//
// No Xlib header is pulled in here: widgets include this file everywhere,
// and Xlib's macros (None, Bool, Status) collide with ordinary code.
#pragma once

#include "gui/Connections.h"
#include "gui/Geometry.h"
#include "gui/SEvent.h"
#include "runtime/SMutex.h"
#include "runtime/STimer.h"
#include "runtime/datastring.h"

#include <atomic>
#include <cstdint>
#include <vector>

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

class SGlobals;

namespace kvor::threading {
class STimerIdle;
}  // namespace kvor::threading

namespace kvor::gui {

class SCursor;
class STipContent;
class STipWindow;

namespace context {
class SDrawing;
class SDrawRegion;
class SDrawBitmap;

// Mouse-state flags: indices into SInput::flags, which MouseState() hands
// out and MouseStateChanged receives.
enum MouseFlag : int {
    kMouseEntered = 0,
    kMouseMoving = 1,
    kMouseLeft = 2,
    kMouseLeftDown = 3,
    kMouseRightDown = 4,
    kMouseMiddleDown = 5,
    kMouseReleased = 6,
    kMouseLeftDouble = 7,
    kMouseRightDouble = 8,
    kMouseMiddleDouble = 9,
    kMouseWheel = 13,
    kMouseWheelUp = 14,
    kMouseWheelDown = 15,
    kMouseInside = 16,
    kMouseCaptured = 17,
    kMouseTracking = 19,
    kMouseAlt = 20,
    kMouseShift = 21,
    kMouseControl = 22,
    kMouseFlagCount = 23,
};

// The mouse and keyboard state of one control, kept by the event procedure.
struct SInput {
    SInput();
    // Back to the state of a fresh control: position unknown, no flags.
    void Reset();

    int32_t reserved0;
    int32_t x;
    int32_t y;
    int32_t dx;
    int32_t dy;
    bool flags[kMouseFlagCount];
    int32_t lastButton;
    // X time of the last press in milliseconds; 0 means none yet.
    uint32_t lastPressTime;
    int32_t reserved1;
    int32_t keyState;
};
}  // namespace context

// Style flags, given at construction.
enum SStyle : int32_t {
    kStylePanel = 0x1,
    kStyleHasChildren = 0x2,
    kStyleCrossingOutlines = 0x4,
    kStyleCaptureOnPress = 0x8,
    kStyleSubclass = 0x10,
    kStylePopup = 0x100,
    kStyleApplication = 0x200,
    kStyleResizable = 0x400,
    kStyleMenu = 0x800,
    kStyleWheelToParentA = 0x2000,
    kStyleDecorated = 0x20000,
    kStyleOutline = 0x40000,
    kStyleFrame = 0x80000,
    kStyleTimer = 0x100000,
    kStyleWheelToParentB = 0x200000,
    kStyleOnRoot = 0x400000,
    kStyleFullInput = 0x800000,
};

// State bits kept while the control lives.
enum SState : int32_t {
    kStateEnabled = 0x1,
    kStateReserved = 0x2,
    kStateShown = 0x4,
    kStateTooltips = 0x20,
    kStateNotMaximized = 0x80,
    kStateFocused = 0x100,
};

// An entry of the key-shortcut table: a press of keySymbol is reported to
// the control's code-11 listeners.
struct SKeyShortcut {
    int32_t word;
    int32_t keySymbol;
    int32_t extra;
};

class SIExtended {
public:
    virtual ~SIExtended() = default;
};

class SControl : public SIExtended, public threading::STimerTarget {
public:
    using Point = math::geom::Point<int, 2>;
    using Rect = math::geom::Rectangle<int, 2>;
    using Text = data::datastring<32, char>;
    using IdleFunction = void (*)(void*);

    SControl();
    SControl(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags, int x,
             int y, int w, int h, int parentWindow, bool unused);
    SControl(const SControl&) = delete;
    SControl& operator=(const SControl&) = delete;
    ~SControl() override;

    // --- lifetime and window -------------------------------------------
    virtual bool Create(SGlobals* globals, SControl* parent, unsigned id, const char* name,
                        int flags, int x, int y, int w, int h, int parentWindow, bool unused);
    virtual void CreateContexts();
    virtual void CleanRessources();
    virtual void CleanUp();
    virtual void PrepareCleanUp();
    // The first step of taking a control down from another thread than the
    // one delivering its events: no event, timer tick or idle call reaches
    // it afterwards, and any that had already started has returned. A
    // window retires its children first. Deleting the control does this
    // too, but only after the derived parts are gone, so owners that delete
    // controls while events may run call it before delete.
    virtual void Retire();
    virtual void LoadControls() {}
    virtual void Reparent(int window);
    virtual void ReparentChildren() {}
    virtual void Inherit(int window);
    virtual void SetType(int) {}
    virtual void Enable(bool enable);
    virtual void EnableChildren(bool) {}
    virtual void Show();
    virtual void Hide();
    virtual void Reset() {}
    virtual void Toggle() {}
    virtual void Move(int dx, int dy);
    virtual void Move(Point& offset);
    virtual void Move(const Point& offset);
    virtual void Center();
    virtual void Center(Point& point);
    virtual void Foreground(bool raise);
    virtual void Minimized();
    virtual void WindowClose() {}
    virtual void WindowMinimize(bool) {}
    virtual void WindowMaximize(bool) {}
    virtual void CloseDialog() {}
    virtual void ClearState() {}
    virtual void CloseTip();
    virtual void Focussing(bool focused);
    virtual void Focus(bool take);
    virtual void FocusTopParent();
    virtual void ActivateOwner();

    // --- repaint requests (any thread) and drawing (event thread) -------
    virtual void Refresh();
    virtual void RefreshRectangle(const Rect& area);
    virtual void RefreshOutlines();
    virtual void RefreshRegion(context::SDrawRegion* region);
    virtual void RefreshArea(unsigned area);
    virtual void RefreshControls(long) {}
    virtual void Draw(const Rect& area);
    virtual void DrawRegion(context::SDrawRegion*) {}
    virtual void DrawArea(unsigned) {}
    virtual void DrawOutlines(const Rect& area);
    virtual void DrawBorder(const Rect& area);
    virtual void SetBitmaps(context::SDrawBitmap*, context::SDrawBitmap*) {}

    // --- input -----------------------------------------------------------
    virtual void MousePosition(int x, int y);
    virtual bool* MouseState();
    virtual void MouseStateChanged(bool*, int) {}
    virtual void MousePosChanged(int, int) {}
    virtual void MouseTracker(bool) {}
    virtual bool MouseTracking();
    virtual void Modifiers(int state);
    virtual void KeyStateChanged(int, bool, int, int) {}
    virtual void UpdateModifiers(int state, bool);
    virtual bool Key(int, bool) { return true; }
    virtual void MouseSetCapture();
    virtual void MouseReleaseCapture();
    virtual void MousePointer(int x, int y);

    // --- colours, forwarded to the drawing context -------------------------
    virtual void SetDrawingMode(bool mode);
    virtual void SetBackgroundMode(bool mode);
    virtual void SetBackground(int colour, bool which);
    virtual void SetBackgroundColour(bool which);
    virtual void SetBackgroundColour(int colour);
    virtual int GetBackgroundColour();
    virtual int GetForegroundColour();
    virtual void SetColours(int background, int backgroundTrue, int parentBackground,
                            int foreground, int foregroundTrue, int text, int textTrue);
    virtual void SetTextColour(int colour);
    virtual void SetTitleColour(bool) {}
    virtual void SetTitleText(const char* text);
    // Tells whoever sizes the window (a window manager, or a toolkit that
    // embeds it) that it is w x h and no other size: its size hints. Nothing
    // while the control has no window.
    void AnnounceFixedSize(int w, int h);
    virtual int GetFrameColour(bool enabled, bool highlighted);
    virtual void SetFrameColour(int enabled, int highlighted, int disabled);
    virtual Text& GetLabel();
    virtual void SetAlignment(int) {}
    virtual void SetOffset(Point) {}
    virtual void SetLabelOffset(Point&) {}
    virtual void SetTextSize(int) {}
    virtual void Highlight(bool, int, int, int) {}

    // --- timers ------------------------------------------------------------
    virtual void CreateTimer(int ms, bool start);
    virtual void CreateIdleTimer(int ms, bool flag);
    virtual void CreateIdleFunction(IdleFunction* function, void* argument);
    virtual void DestroyIdleTimer();
    virtual void DestroyIdleFunction();
    virtual void StartTimer(int ms);
    virtual void StopTimer(bool destroy);
    virtual threading::STimer* AddTimer(int ms, bool start);
    virtual void TimerProc(int) {}
    // A tick of one of this control's timers, on the timer's thread: sent
    // to the code-9 listeners unless the control is being released.
    void TimerTick(int identifier) override;
    virtual void IdleProc() {}
    virtual void Run() {}
    virtual void Stop() {}

    // --- events and the rest -------------------------------------------------
    virtual void ParseEvent(SEvent*) {}
    virtual void EnableHandlers() {}
    virtual void MenuProcess(short) {}
    virtual void ChangeMenu() {}
    virtual void ShowMenu(const Point&) {}
    virtual void CloseMenu() {}
    virtual void SetTooltip(STipWindow* tip, const char* text, int placement);
    virtual void SetTooltip(STipWindow* tip, const Text& text, int placement);
    virtual void SetTooltip(STipWindow* tip, STipContent* data, int placement);
    virtual void ShowTooltip(const Point& where);
    virtual void HideTooltip();
    virtual void EnableTooltip(bool enable);
    virtual void SetSize(int w, int h);
    virtual bool IsSubcontrol(unsigned id);
    virtual void SetRoundShape(bool on);

    // --- non-virtual ---------------------------------------------------------
    bool Enabled() const;
    // With this set the control counts as enabled even under a disabled
    // ancestor.
    void EnableWithoutParent(bool on) { enabledWithoutParent = on ? 1 : 0; }
    context::SDrawing* GetDevice() const { return drawing; }
    void SetPosition(int x, int y);
    void Resized(bool refresh);
    void GetClient2Screen(Point& point);
    void GetClient2Screen(int& x, int& y);
    void GetScreen2Client(Point& point);
    void GetScreen2Client(int& x, int& y);
    Point GetTopPosition();
    Point GetScreenPosition();
    void Destroy();

    bool EventHandled(int code) const;
    int AddEventListener(SControl* listener, int code);
    void RemoveEventListener(SControl* listener, int code);
    void EnableEventHandler(int code);
    void DisableEventHandler(int code);
    int SendEvent(int code, int kind, int value, float real, void* data, SControl* sender,
                  threading::SMutexID* lock);
    // Calls the record's listeners in order; the timers' tick path.
    int SendEvent(SEvent* event);
    static void PrepareEvent(SEvent& event, int code, int kind, int value, float real, void* data,
                             SControl* sender, threading::SMutexID* lock);

    bool KeyPressed(int) { return false; }
    bool KeyToggled(int) { return false; }
    int KeyStateGet() const;
    void KeyStateSet(int mask);
    void AddKeyShortcut(int keySymbol, int word = 0, int extra = 0);

    static unsigned long getProperty(unsigned long window, unsigned long atom);
    // Prints the error's lines on standard error and sets xerror. error is
    // an XErrorEvent*: Xlib declares that type unnamed, so it cannot be
    // named here without pulling in Xlib's macros.
    static int errorHandler(Display* display, void* error);
    static int eventProc(XEvent* event);
    // The process-wide control that mouse and key events are redirected to.
    static SControl* CaptureControl() { return capture.load(); }

    // Set by errorHandler; guarded readers clear it before their request.
    static std::atomic<int> xerror;

    // --- accessors ---------------------------------------------------------
    unsigned long GetWindow() const { return window.load(); }
    unsigned long GetParentWindow() const { return parentWindow; }
    unsigned GetId() const { return identifier; }
    SControl* GetParent() const { return parent; }
    SGlobals* GetGlobals() const { return globals; }
    const Rect& GetOuter() const { return outer; }
    const Rect& GetClient() const { return client; }
    int GetStyle() const { return style.load(); }
    int GetState() const { return state.load(); }
    bool IsShown() const { return (state.load() & kStateShown) != 0; }
    bool IsReleasing() const { return releasing.load(); }
    int GetTimerId() const { return timerIdentifier; }
    threading::STimer* GetTimer() const { return timer; }
    threading::STimerIdle* GetIdleTimer() const { return idleTimer; }
    STipContent* GetTooltipData() const { return tooltipData; }
    context::SInput* GetInput() const { return input; }
    // The 32-bit value stored in the window's "_KVORWND" property.
    uint32_t GetHandle() const { return handle; }
    // The connection the window was made on.
    const ConnectionRef& GetConnection() const { return connection; }
    // Its display while the window can take requests: null once the
    // connection closed or the window is gone, so that nothing is sent for
    // a window that no longer exists.
    Display* GetDisplay() const
    {
        return connection != nullptr && !WindowLost() ? connection->Get() : nullptr;
    }
    // Whether the window is gone without our asking: destroyed with the
    // host's window it (or an ancestor) lived in, or its connection closed.
    bool WindowLost() const
    {
        return windowLost.load() || (connection != nullptr && !connection->IsOpen()) ||
               (parent != nullptr && parent->WindowLost());
    }
    // The event procedure saw the window destroyed by someone else.
    void MarkWindowLost() { windowLost = true; }

protected:
    friend struct EventDispatch;
    friend class SWindow;

    void AddStyle(int flags) { style.fetch_or(flags); }
    void RemoveStyle(int flags) { style.fetch_and(~flags); }
    void AddState(int bits) { state.fetch_or(bits); }
    void RemoveState(int bits) { state.fetch_and(~bits); }
    bool HasStyle(int flags) const { return (style.load() & flags) == flags; }

    // Called by a child's destructor on the window that owns it, so that a
    // window never keeps a pointer to a child that is gone.
    virtual void ForgetChild(SControl*) {}
    int32_t DrawIdentifier();
    // Reads one 32-bit item of a property under the error trap; false when
    // the window is gone or the property is not exactly one such item.
    static bool ReadItem(Display* display, unsigned long window, unsigned long atom,
                         unsigned long& item);
    // The default cursor of the shared resources, when there is one.
    void SetCursor();
    void FreeCursor();
    // Where the tooltip opens when the pointer enters, in screen
    // coordinates.
    Point TooltipPlace();
    bool PointerWithin(const Rect& area);

    SGlobals* globals = nullptr;
    SControl* parent = nullptr;
    int32_t reserved0 = 0;
    unsigned identifier = 0;
    int32_t timerIdentifier = 0;
    Text name;
    Rect outer{0, 0, 0, 0};
    Rect client{0, 0, 0, 0};
    int32_t userWords[4] = {0, 0, 0, 0};
    std::atomic<int32_t> style{9};
    std::atomic<int32_t> state{0x7};
    SEventManager events;
    SEvent event;
    context::SDrawing* drawing = nullptr;
    context::SInput* input = nullptr;
    threading::STimer* timer = nullptr;
    threading::STimerIdle* idleTimer = nullptr;
    STipContent* tooltipData = nullptr;
    int32_t reserved1 = 0;
    std::vector<SKeyShortcut> shortcuts;
    uint8_t unusedFlag = 0;
    uint8_t acceptsPress = 1;
    std::atomic<bool> releasing{false};
    uint8_t cleanedUp = 0;
    uint8_t enabledWithoutParent = 0;
    std::atomic<unsigned long> window{0};
    unsigned long parentWindow = 0;
    unsigned long previousFocus = 0;
    int32_t reserved2[2] = {0, 0};
    unsigned long wmDeleteWindow = 0;
    uint32_t handle = 0;
    // The window that owns this control as a child (it deletes it), if any.
    SControl* owner = nullptr;
    // Where the window lives: the parent's connection, else the one in use
    // when the control was made.
    ConnectionRef connection;
    std::atomic<bool> windowLost{false};

private:
    void ResetFields();
    void CreateWindow(int x, int y, int w, int h);
    void CreateTopLevel(int x, int y, int w, int h, bool popup);
    void CreateChild(int x, int y, int w, int h);
    void SetHints(int w, int h);
    void SetDecorationHints();
    void SetWindowProperties();
    void ReleaseWindow();
    void DeleteDrawing();
    void DeleteTooltipData();

    static std::atomic<SControl*> capture;
};

// A listener may add or remove listeners while it is called, so the list is
// walked by index against its current size rather than by iterators.
inline int SControl::SendEvent(SEvent* record)
{
    if (record == nullptr)
        return 0;
    SEventHandler* handler = events.Handler(record->code);
    if (handler == nullptr)
        return 0;
    int called = 0;
    for (size_t i = 0; i < handler->Listeners().size(); ++i) {
        SControl* listener = handler->Listeners()[i];
        threading::SMutexID* lock = record->lock;
        if (lock != nullptr)
            lock->Lock();
        listener->ParseEvent(record);
        if (lock != nullptr)
            lock->Unlock();
        ++called;
    }
    return called;
}

}  // namespace kvor::gui
