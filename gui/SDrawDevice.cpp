#include "gui/SDrawDevice.h"

#include "gui/SControl.h"
#include "gui/SDrawFont.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawBrush.h"
#include "gui/SDrawPen.h"

#include <X11/Xlib.h>

namespace kvor::gui::context {

namespace {

// A context of a closed connection: the server dropped it with the
// connection, and only Xlib's own record of it is left to free (what
// XFreeGC does after its request).
void FreeContextOf(Display* display, const ConnectionRef& connection, GC context)
{
    if (context == nullptr)
        return;
    if (display != nullptr && connection != nullptr && connection->IsOpen())
        XFreeGC(display, context);
    else
        XFree(context);
}

}  // namespace

void ApplyPen(Display* display, GC context, const SDrawPen& pen)
{
    XSetLineAttributes(display, context, static_cast<unsigned>(pen.width),
                       pen.dashed ? LineOnOffDash : LineSolid, CapNotLast, JoinRound);
    XSetForeground(display, context, static_cast<unsigned long>(static_cast<uint32_t>(pen.colour)));
}

SDrawDevice::SDrawDevice()
    : drawable(0),
      context(nullptr),
      display(DisplayInUse()),
      connection(ConnectionInUse())
{
}

SDrawDevice::SDrawDevice(unsigned long target) : SDrawDevice()
{
    drawable = target;
    if (display != nullptr && drawable != 0)
        context = XCreateGC(display, drawable, 0, nullptr);
}

SDrawDevice::~SDrawDevice()
{
    if (Display* open = GetDisplay())
        XFlush(open);
    FreeContextOf(display, connection, context);
}

void SDrawDevice::SetPen(const SDrawPen* pen)
{
    if (pen != nullptr && Get() != nullptr)
        ApplyPen(display, Get(), *pen);
}

void SDrawDevice::SetBrush(const SDrawBrush* brush)
{
    if (brush != nullptr && Get() != nullptr)
        XSetForeground(display, Get(),
                       static_cast<unsigned long>(static_cast<uint32_t>(brush->PaintColour())));
}

// Font id 0 means no font was loaded; setting it would be a BadFont error.
void SDrawDevice::SetFont(const SDrawFont* font)
{
    if (font != nullptr && font->fontId != 0 && Get() != nullptr)
        XSetFont(display, Get(), font->fontId);
}

SDrawMemoryDevice::SDrawMemoryDevice(SDrawDevice* parentDevice, SDrawBitmap* selected)
    : parent(parentDevice),
      bitmap(nullptr),
      ownContext(nullptr)
{
    Select(selected);
}

SDrawMemoryDevice::~SDrawMemoryDevice() { FreeContext(); }

unsigned long SDrawMemoryDevice::GetDrawable() const
{
    return bitmap != nullptr ? bitmap->GetPixmap() : 0;
}

void SDrawMemoryDevice::Select(SDrawBitmap* selected)
{
    if (selected == nullptr)
        return;
    FreeContext();
    bitmap = selected;
    if (display != nullptr && bitmap->GetPixmap() != 0)
        ownContext = XCreateGC(display, bitmap->GetPixmap(), 0, nullptr);
}

void SDrawMemoryDevice::FreeContext()
{
    FreeContextOf(display, connection, ownContext);
    ownContext = nullptr;
}

}  // namespace kvor::gui::context
