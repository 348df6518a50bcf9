// How a toolkit window leads back to its control and to the event
// procedure.
//
// Both window properties hold one format-32 item, and X carries 32 bits per
// item. On i386 the control's address and the procedure's address fit and
// are stored as they are. On x86_64 they do not: "_KVORWND" holds a 32-bit
// handle that this table maps back to the control, and "_XEventProc" holds
// the address of a small jump to SControl::eventProc placed below 2 GiB,
// which a host can call just as it would call the procedure itself (Xlib
// hands it back sign-extended, which leaves such an address unchanged).
//
// The table also answers whether a control still exists, so an event that
// arrives for a window whose control is already gone finds nothing.
#pragma once

#include <cstdint>

typedef struct _XDisplay Display;

namespace kvor::gui {

class SControl;

namespace handles {

// Gives the control a handle (never 0) and remembers it.
uint32_t Register(SControl* control);
// Forgets the handle; later look-ups of it yield null. Waits, as Retire
// does, for uses held by other threads.
void Unregister(uint32_t handle);
// Remembers which window, made on which connection, the handle's control
// has, so that the event procedure finds the control without asking the
// server for the window's "_KVORWND".
void BindWindow(uint32_t handle, Display* display, unsigned long window);
// The handle of the control whose window this is, by the binding made on
// the same connection; 0 when the window is not ours there (or no longer).
uint32_t HandleOfWindow(Display* display, unsigned long window);
// The control registered under handle, or null (also once it is retired).
SControl* Lookup(uint32_t handle);

// The event procedure holds a use of the control it dispatches to, from
// look-up to return, so that a thread deleting the control can wait for it.
// Acquire gives the control with a use taken, or null when the handle is
// unknown or retired; every successful Acquire is paired with a Release.
SControl* Acquire(uint32_t handle);
void Release(uint32_t handle);
// From now on Acquire of the handle fails; returns once no other thread
// holds a use of it. Uses the calling thread holds itself (a control
// retired from inside its own event) are not waited for.
void Retire(uint32_t handle);
// How many controls are registered (for tests).
unsigned Count();

// The 32-bit value to store in "_XEventProc"; 0 when no executable page
// below 2 GiB could be had.
uint32_t EventProcedureItem();

}  // namespace handles

// The atoms the toolkit uses on every event or repaint, interned once per
// connection and forgotten when the connection closes.
struct ToolkitAtoms {
    unsigned long kvorWindow;      // "_KVORWND"
    unsigned long eventProcedure;  // "_XEventProc"
    unsigned long paintRegion;     // "WM_PAINT_REGION"
    unsigned long paintArea;       // "WM_PAINT_AREA"
    unsigned long paintOutlines;   // "WM_PAINT_OUTLINES"
    unsigned long menuEntered;     // "WM_MENU_ENTERED"
    unsigned long menuLeft;        // "WM_MENU_LEFT"
    unsigned long protocols;       // "WM_PROTOCOLS"
};

// Null display gives all-zero atoms.
ToolkitAtoms AtomsOf(Display* display);

// X refuses windows of no width or height; a control keeps its own
// (possibly empty) rectangle and its window is at least one pixel.
inline unsigned WindowExtent(int extent) { return static_cast<unsigned>(extent > 1 ? extent : 1); }

}  // namespace kvor::gui
