// Pointer shapes: X font cursors, an invisible cursor, and the toolkit's own
// orange arrow that the editor and the message dialog use.
#pragma once

#include "gui/Connections.h"

#include <cstdint>

typedef struct _XDisplay Display;

namespace kvor::gui {

namespace context {
class SDrawBitmap;
}

class SCursor {
public:
    // Cursor kinds of the constructor.
    enum Kind : unsigned {
        kInvisible = 0,
        kHand = 2,
        kWatch = 3,
    };
    static constexpr int kArrowSize = 24;

    // No cursor and no window.
    SCursor();
    // Kind 2 the hand, 3 the watch, 0 an invisible cursor, anything else the
    // left arrow; defined on the window at once (when it is not 0).
    SCursor(unsigned kind, unsigned long window);
    // Undefines the cursor on its window and frees it.
    virtual ~SCursor();

    SCursor(const SCursor&) = delete;
    SCursor& operator=(const SCursor&) = delete;

    // Defines the cursor on its window.
    virtual void Set();
    // Takes it off the window again.
    virtual void Free();

    // Makes the built-in arrow (black outline, orange inside, hot spot at
    // its tip), replacing the cursor held so far; it is not defined on any
    // window until Set.
    void CreateDefault();
    // The built-in arrow again, in a w x h cursor with the hot spot given;
    // the two data arguments are not used. Sizes and hot spots are kept
    // within the arrow's 24 x 24.
    void Create(const void* image, const void* mask, int w, int h, int hotX, int hotY);
    // A cursor from two one-bit bitmaps (white on black), which are deleted.
    // Bitmaps of another depth make no cursor: X would refuse them.
    void Create(context::SDrawBitmap* source, context::SDrawBitmap* mask, int hotX, int hotY);

    unsigned Kind() const { return kind; }
    unsigned long Window() const { return window; }
    bool Invisible() const { return invisible != 0; }
    unsigned long XCursor() const { return cursor; }

    // The arrow in X bitmap format, 3 bytes a row, least significant bit
    // first: the outline (drawn in the foreground) and the whole shape.
    static const unsigned char* ArrowImage();
    static const unsigned char* ArrowMask();

protected:
    void Release();
    void DefineOn(unsigned long target);
    void UndefineOn(unsigned long target);

    unsigned kind;
    unsigned long window;
    int32_t invisible;
    unsigned long cursor;
    Display* display;
    // Whether display is still open: after a close the cursor went with it.
    ConnectionRef connection;
    bool Live() const { return connection != nullptr && connection->IsOpen(); }
};

// The left arrow of the cursor font, for the root window; it remembers
// whether it is defined there.
class SCursorDefault : public SCursor {
public:
    SCursorDefault();
    // Leaves the root window as it is unless the cursor is defined there.
    ~SCursorDefault() override;

    void Set() override;
    void Free() override;
    bool Defined() const { return defined != 0; }

private:
    int32_t defined;
};

}  // namespace kvor::gui
