// The drawable, mouse-driven base of value controls: a handle moved inside
// a zone, drawn off screen and copied to the window in one go. A vertical
// control has its maximum at the top.
#pragma once

#include "gui/widgets/SIHoverable.h"
#include "gui/widgets/SIValueRange.h"
#include "gui/widgets/SLabel.h"

namespace kvor::gui {

namespace context {
class SDrawBitmap;
class SDrawMemoryDevice;
}  // namespace context

// The code value controls report their changes with (kind 1, the value).
constexpr int kEventSliderChanged = 5;

// Slider type bits.
enum SSliderType : int {
    kSliderTrackA = 0x2,
    kSliderBitmapHandle = 0x4,
    kSliderTrackB = 0x8,
};

template <typename T, bool B> class SControllable;

template <>
class SControllable<int, true>
    : public SLabel<true>, public SIControllable<int>, public SIHoverable {
public:
    SControllable(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags,
                  int x, int y, int w, int h, int parentWindow, bool unused);
    ~SControllable() override;

    // Zone fill, zone outline, handle fill, handle outline.
    virtual void SetControlColours(int zoneFill, int zoneLine, int handleFill, int handleLine);
    // Handle outline, then handle fill.
    virtual void SetHandleColours(int line, int fill);
    virtual void SetValueColour(int colour) { valueColour = colour; }
    virtual int GetValueColour() { return valueColour; }
    virtual void SetValueFont(context::SDrawFont* font) { valueFont = font; }
    virtual void SetHandleZone(const Rect& zone) { handleZone = zone; }
    virtual void SetHandleSize(int w, int h);
    virtual void SetValueZone(const Rect& zone) { valueZone = zone; }
    virtual void SetValueOffset(const Point& offset) { valueOffset = offset; }
    void SetType(int newType) override { sliderType = newType; }
    void SetVertical(bool on) { vertical = on ? 1 : 0; }
    void SetBufferSize(int w, int h);
    // (Re)creates the off-screen buffer of the buffer size, and with the
    // bitmap handle type a bitmap of the handle's size.
    virtual void SetDoubleBuffer();
    // Where the handle starts along the control: the maximum puts it at
    // the zone's start (the top of a vertical control), the minimum at its
    // end.
    virtual int CalcHandleOffset();
    // Steps the value up or down by amount within the range; a change is
    // repainted and reported (code 5).
    virtual void ValueChange(bool up, int amount);
    virtual void SendControlEvent();

    void Reset() override { SIControllable<int>::Reset(); }
    void MouseStateChanged(bool* flags, int index) override;
    void Draw(const Rect& area) override;
    void DrawOutlines(const Rect& area) override;

    const Rect& HandleZone() const { return handleZone; }
    Rect HandleRect() const { return handleRect; }
    bool IsHovering() const { return hovering.load(); }

protected:
    virtual void DrawHandle();
    virtual void DrawValue();
    // Changes the value to the one at a pointer position along the control.
    void FollowPointer(int along);
    void OnPress(bool* flags, int index);
    void DeleteBuffers();
    int ZoneStart() const { return vertical ? handleZone.y1 : handleZone.x1; }
    int ZoneEnd() const { return vertical ? handleZone.y2 : handleZone.x2; }
    int HandleLength() const { return vertical ? handleHeight : handleWidth; }

    std::atomic<bool> hovering{false};
    context::SDrawBitmap* handleBitmap = nullptr;
    context::SDrawMemoryDevice* handleDevice = nullptr;
    context::SDrawBitmap* buffer = nullptr;
    context::SDrawMemoryDevice* bufferDevice = nullptr;
    context::SDrawFont* valueFont = nullptr;
    int32_t valueColour;
    int32_t zoneFill;
    int32_t zoneLine;
    int32_t handleFill;
    int32_t handleLine;
    int32_t sliderType = 0;
    int32_t bufferWidth = 0;
    int32_t bufferHeight = 0;
    int32_t handleWidth = 10;
    int32_t handleHeight = 10;
    Rect handleRect{0, 0, 0, 0};
    Rect handleZone{0, 0, 0, 0};
    Rect valueZone{0, 0, 0, 0};
    Point valueOffset{0, 0};
    uint8_t vertical = 1;
    Point pressRoot{0, 0};
};

}  // namespace kvor::gui
