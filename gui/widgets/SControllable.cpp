// A value control's range logic, the presses on it and its value changes.
#include "gui/widgets/SControllable.h"

#include "gui/SResourceCache.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawing.h"
#include "gui/widgets/PointerQuery.h"

#include <algorithm>

namespace kvor::gui {

SControllable<int, true>::SControllable(SGlobals* globals, SControl* parent, unsigned id,
                                        const char* name, int flags, int x, int y, int w, int h,
                                        int parentWindow, bool unused)
    : SLabel<true>(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused),
      valueColour(SharedColour(SResourceCache::kCyan)),
      zoneFill(SharedColour(SResourceCache::kRed)),
      zoneLine(SharedColour(SResourceCache::kRed)),
      handleFill(SharedColour(SResourceCache::kWhite)),
      handleLine(SharedColour(SResourceCache::kBlue))
{
}

SControllable<int, true>::~SControllable() { DeleteBuffers(); }

void SControllable<int, true>::DeleteBuffers()
{
    delete handleDevice;
    handleDevice = nullptr;
    delete handleBitmap;
    handleBitmap = nullptr;
    delete bufferDevice;
    bufferDevice = nullptr;
    delete buffer;
    buffer = nullptr;
}

void SControllable<int, true>::SetControlColours(int newZoneFill, int newZoneLine,
                                                 int newHandleFill, int newHandleLine)
{
    zoneFill = newZoneFill;
    zoneLine = newZoneLine;
    handleFill = newHandleFill;
    handleLine = newHandleLine;
}

void SControllable<int, true>::SetHandleColours(int line, int fill)
{
    handleLine = line;
    handleFill = fill;
}

void SControllable<int, true>::SetHandleSize(int w, int h)
{
    handleWidth = w;
    handleHeight = h;
}

void SControllable<int, true>::SetBufferSize(int w, int h)
{
    bufferWidth = w;
    bufferHeight = h;
}

void SControllable<int, true>::SetDoubleBuffer()
{
    DeleteBuffers();
    context::SDrawDevice* own = drawing != nullptr ? drawing->GetDevice() : nullptr;
    buffer = new context::SDrawBitmap(nullptr, bufferWidth, bufferHeight, false);
    bufferDevice = new context::SDrawMemoryDevice(own, buffer);
    if (sliderType & kSliderBitmapHandle) {
        handleBitmap = new context::SDrawBitmap(nullptr, handleWidth, handleHeight, false);
        handleDevice = new context::SDrawMemoryDevice(own, handleBitmap);
    }
}

int SControllable<int, true>::CalcHandleOffset()
{
    const int travel = ZoneEnd() - ZoneStart() - HandleLength();
    const float share =
        static_cast<float>(travel) * static_cast<float>(GetValue() - valueMin) * unit;
    return ZoneEnd() - RoundNudged(share) - HandleLength();
}

void SControllable<int, true>::SendControlEvent()
{
    SendEvent(kEventSliderChanged, kEventKindValue, GetValue(), 0.0f, nullptr, this, nullptr);
}

void SControllable<int, true>::ValueChange(bool up, int amount)
{
    const int current = GetValue();
    int next = current;
    if (up && current < valueMax)
        next = current + amount;
    else if (!up && current > valueMin)
        next = current - amount;
    if (next == current)
        return;
    if (amount == 1)
        SetValue(next, false);
    else if (!SetValueClipped(next))
        return;
    Refresh();
    SendControlEvent();
}

void SControllable<int, true>::FollowPointer(int along)
{
    const int start = ZoneStart();
    const int end = ZoneEnd();
    const int clamped = std::min(std::max(along, start), end);
    const float travel = static_cast<float>(end - start - HandleLength());
    float share = 0.0f;
    if (travel > 0.0f)
        share = (static_cast<float>(clamped - start) - static_cast<float>(HandleLength()) / 2.0f) /
                travel;
    share = std::min(std::max(share, 0.0f), 1.0f);
    if (SetValue(ScaleValue(share, vertical != 0), false)) {
        Refresh();
        SendControlEvent();
    }
}

// Inside the handle zone the middle button steps towards the pointer; the
// other buttons start a drag (Control resets to the default instead, and
// reports it like any change, or a list would not follow its bar).
void SControllable<int, true>::OnPress(bool* flags, int index)
{
    if (!hovering.exchange(true))
        RefreshOutlines();
    const SPointerPlace place = QueryPointer(*this);
    if (!place.known || !handleZone.ContainsInclusive(place.x, place.y))
        return;
    if (index == context::kMouseMiddleDown || index == context::kMouseMiddleDouble) {
        const int along = vertical ? place.y : place.x;
        const bool beyondMiddle = along > (ZoneStart() + ZoneEnd()) / 2;
        ValueChange(vertical ? !beyondMiddle : beyondMiddle, 1);
        return;
    }
    pressRoot = Point{place.rootX, place.rootY};
    if (flags[context::kMouseControl] && ResetValue()) {
        Refresh();
        SendControlEvent();
    }
}

void SControllable<int, true>::MouseStateChanged(bool* flags, int index)
{
    SLabel<true>::MouseStateChanged(flags, index);
    switch (index) {
    case context::kMouseEntered:
    case context::kMouseMoving:
        if (!hovering.exchange(true))
            RefreshOutlines();
        break;
    case context::kMouseLeft:
        hovering = false;
        RefreshOutlines();
        break;
    case context::kMouseLeftDown:
    case context::kMouseRightDown:
    case context::kMouseMiddleDown:
    case context::kMouseLeftDouble:
    case context::kMouseRightDouble:
    case context::kMouseMiddleDouble:
        OnPress(flags, index);
        break;
    case context::kMouseReleased:
        hovering = PointerInside(*this);
        RefreshOutlines();
        break;
    case context::kMouseCaptured:
        if (CaptureControl() == this) {
            const SPointerPlace place = QueryPointer(*this);
            if (!place.known || !handleZone.ContainsInclusive(place.x, place.y))
                MouseReleaseCapture();
        }
        break;
    default:
        break;
    }
}

}  // namespace kvor::gui
