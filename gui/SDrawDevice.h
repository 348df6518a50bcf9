// Where a drawing goes: an X drawable with a graphics context. The window
// device draws on a control's window; the memory device draws on the pixmap
// of a bitmap it borrows, for drawing off screen and copying in one go.
#pragma once

#include "gui/SConnection.h"

typedef struct _XDisplay Display;
typedef struct _XGC* GC;

namespace kvor::gui::context {

class SDrawPen;
class SDrawBrush;
class SDrawFont;
class SDrawBitmap;

class SDrawDevice {
public:
    // A new graphics context with no values on the drawable. Without a
    // display or a drawable there is none, and nothing is drawn.
    explicit SDrawDevice(unsigned long drawable);
    // Flushes and frees the context.
    virtual ~SDrawDevice();

    SDrawDevice(const SDrawDevice&) = delete;
    SDrawDevice& operator=(const SDrawDevice&) = delete;

    virtual GC Get() const { return context; }
    virtual unsigned long GetDrawable() const { return drawable; }
    // Null once the connection is closed: nothing is drawn any more.
    Display* GetDisplay() const { return connection != nullptr ? connection->Get() : nullptr; }

    // The same effect on this device's context as SDrawing's operations of
    // the same name; null arguments are ignored.
    void SetPen(const SDrawPen* pen);
    void SetBrush(const SDrawBrush* brush);
    void SetFont(const SDrawFont* font);

protected:
    // For devices that keep their own context.
    SDrawDevice();

    unsigned long drawable;
    GC context;
    // The connection the context was made on; a context belongs to it.
    Display* display;
    ConnectionRef connection;
};

class SDrawMemoryDevice : public SDrawDevice {
public:
    // Borrows both; with a bitmap, makes a context on its pixmap.
    SDrawMemoryDevice(SDrawDevice* parent, SDrawBitmap* bitmap);
    ~SDrawMemoryDevice() override;

    GC Get() const override { return ownContext; }
    // The selected bitmap's pixmap, 0 without one.
    unsigned long GetDrawable() const override;

    // Switches to another bitmap (null is ignored): a new context on its
    // pixmap replaces the old one.
    void Select(SDrawBitmap* bitmap);
    SDrawBitmap* Selected() const { return bitmap; }
    SDrawDevice* Parent() const { return parent; }

private:
    void FreeContext();

    SDrawDevice* parent;
    SDrawBitmap* bitmap;
    GC ownContext;
};

// Sets pen width, style, cap, join and colour on a context.
void ApplyPen(Display* display, GC context, const SDrawPen& pen);

}  // namespace kvor::gui::context
