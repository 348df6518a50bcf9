// A plug-in's editor hosted as Linux VST 2 hosts do: a top-level window of
// the host's own, the editor opened inside it, and the X events of the
// editor's windows handed to the event procedure the plug-in stores in their
// "_XEventProc" property. It drives the editor through the record's
// dispatcher alone, so it works with any way of getting an AEffect.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "plugin/VstRecords.h"

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace tarvenna::host {

struct RgbImage;

// How the host finds the procedure for an event.
enum class EventDelivery {
    // For every event of the host's display, the window's "_XEventProc" is
    // read then and there and, when set, called with the event.
    Property,
    // The host watches its window's children: a window reparented into it
    // teaches it the procedure (one 32-bit item), which then receives the
    // events of that window and of its descendants. Windows made directly
    // inside the host's window teach it nothing.
    Reparent,
};

// The X connections a host uses for the editor.
enum class Connections {
    // The one the host was made with, for its whole life.
    One,
    // Every Open() opens a new connection to the same server and makes its
    // window there; Close() destroys the window and closes the connection.
    NewPerOpeningClosed,
    // The same, but Close() leaves the old connection open and never reads
    // it again (the host closes it when it goes).
    NewPerOpeningUnread,
};

struct EditorHostOptions {
    // effEditOpen's value: the host's display, or 0 as many hosts pass.
    bool passDisplay = true;
    EventDelivery delivery = EventDelivery::Property;
    Connections connections = Connections::One;
    // Close() destroys the host's window before effEditClose, as hosts that
    // tear their editor window down first do; the next Open() makes a new
    // one.
    bool destroyWindowFirst = false;
    // XLockDisplay held on the host's display around effEditOpen and
    // effEditClose, as hosts that guard their connection with it do.
    bool lockDisplay = false;
    // How long the lock is held before the call it guards, as by a host
    // whose GUI thread does its own work under the lock first. The
    // plug-in's threads meanwhile queue up for the display.
    int lockHeldMs = 0;
    // Size the window to the editor's rectangle before opening. Otherwise,
    // and when the plug-in gives no rectangle, it keeps width x height.
    bool sizeToRect = true;
    int width = 320;
    int height = 240;
    // Where the window goes on its parent.
    int x = 0;
    int y = 0;
    // The window's parent: 0 for the root window (a top-level window of its
    // own), else a window of the host's that holds several editors.
    unsigned long parent = 0;
};

struct WindowSize {
    int width = 0;
    int height = 0;
};

// What the editor host did, for tests and the command line.
struct EditorHostRecord {
    int opens = 0;
    int closes = 0;
    int idles = 0;
    VstIntPtr openAnswer = 0;
    // The last rectangle effEditGetRect gave; nullopt when it gave none.
    std::optional<ERect> rect;
    std::size_t eventsRead = 0;
    // Events handed to a procedure.
    std::size_t eventsDispatched = 0;
    // Windows a procedure was read from, each once, in order.
    std::vector<unsigned long> procedureWindows;
    // Resizes made for the plug-in's audioMasterSizeWindow (ResizeFor).
    std::vector<WindowSize> requestedSizes;
};

class EditorHost {
public:
    using EventProcedure = void (*)(XEvent*);

    // `display` is the host's connection and must outlive this object;
    // null opens one to $DISPLAY, closed again by the destructor. With a new
    // connection per opening it names the server. From now on
    // ResizeFor(effect, ...) reaches this object.
    EditorHost(AEffect* effect, Display* display, EditorHostOptions options = {});
    // Closes the editor when open, destroys the window and closes the
    // connections the host opened.
    ~EditorHost();

    EditorHost(const EditorHost&) = delete;
    EditorHost& operator=(const EditorHost&) = delete;

    // False when no display could be opened.
    bool Usable() const { return display != nullptr; }
    // The connection the window is on now.
    Display* XDisplay() const { return display; }
    // The host's top-level window; 0 before the first Open and after
    // Destroy.
    unsigned long TopWindow() const { return window; }
    bool IsOpen() const { return editorOpen; }

    // Makes and maps the window when there is none, sizes it, then
    // effEditOpen with the window. True when the plug-in answered nonzero.
    bool Open();
    // effEditClose; false when the editor is not open. With a new
    // connection per opening, the window and the connection go too.
    bool Close();
    // Closes the editor when open, then destroys the window.
    void Destroy();
    // Reads and delivers the display's events for `milliseconds` (at least
    // one pass), sending effEditIdle about every 20 ms while open.
    void Pump(int milliseconds);
    // Delivers one event read from the host's display by whoever reads it:
    // events of another editor host's window on the same display go to
    // that host, so one loop can serve several editors.
    void HandleEvent(XEvent& event);
    // effEditIdle when the editor is open and the last one is 20 ms old,
    // for a loop of the host's own that does not call Pump.
    void IdleIfDue();

    // Resizes the top-level window and waits until the server has done it.
    bool Resize(int width, int height);
    // The window's pixels (children included) as a PNG file.
    bool Screenshot(const std::string& path);
    // The same pixels in memory; false when there is no mapped window.
    bool Capture(RgbImage& image);
    // A left click at (x, y) of the window, sent to the plug-in's window
    // found there as a user's press and release would arrive.
    bool Click(int x, int y);

    EditorHostRecord Recorded() const;

    // The host's answer to audioMasterSizeWindow when it sizes windows
    // itself: resizes the window of the editor host made for `effect`.
    // False when there is none.
    static bool ResizeFor(const AEffect* effect, int width, int height);

private:
    VstIntPtr Dispatch(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr);
    VstIntPtr DispatchHoldingDisplay(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr);
    bool MakeWindow();
    bool OpenConnection();
    void ReleaseConnection();
    bool CreateWindow();
    void DestroyWindow();
    bool MapAndWait();
    bool HasChildren();
    void AwaitEmptyWindow();
    std::optional<ERect> EditorRect();
    void SendIdle();

    void HandleOwnEvent(XEvent& event);
    static EditorHost* OwnerOf(Display* display, unsigned long window);
    void Deliver(XEvent& event, EventProcedure procedure);
    EventProcedure ReadProcedure(unsigned long target, bool oneItem);
    EventProcedure LearntProcedureFor(unsigned long target);
    void Learn(unsigned long child);
    void NoteProcedureWindow(unsigned long target);

    AEffect* effect;
    // The connection the host was made with, and the one in use now.
    Display* base;
    Display* display;
    bool ownsDisplay = false;
    // Connections of earlier openings, left open and unread.
    std::vector<Display*> unread;
    EditorHostOptions options;
    unsigned long window = 0;
    unsigned long eventProcedureAtom = 0;
    bool mapped = false;
    bool editorOpen = false;
    std::chrono::steady_clock::time_point lastIdle{};
    // Reparent delivery: children of the host's window and their procedure.
    std::map<unsigned long, EventProcedure> learnt;

    mutable std::mutex recordLock;  // guards record
    EditorHostRecord record;
};

}  // namespace tarvenna::host
