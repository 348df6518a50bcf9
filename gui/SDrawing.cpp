// Construction, devices and the state of a drawing: colours, pen, brush,
// font, logic and fill modes.
#include "gui/SDrawing.h"

#include "gui/SResourceCache.h"
#include "gui/SColour.h"
#include "gui/SControl.h"
#include "gui/SDrawFont.h"
#include "gui/SDrawBrush.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawPen.h"

#include <X11/Xlib.h>

namespace kvor::gui::context {

namespace {

constexpr int kCopyLogic = 15;

// Colours are taken from the process-wide table, so that making a drawing
// or setting its colours asks the server nothing; only before the table
// exists is the colour allocated.
int32_t TableColour(int slot, int red, int green, int blue)
{
    if (SharedResources().ColourCount() > slot)
        return SharedResources().Colour(slot);
    return SCOL(red, green, blue);
}

int32_t Black() { return TableColour(SResourceCache::kBlack, 0, 0, 0); }
int32_t White() { return TableColour(SResourceCache::kWhite, 255, 255, 255); }
// SCOL(138, 145, 150), the table's blue-grey.
int32_t FrameDisabled() { return TableColour(SResourceCache::kBlueGrey, 138, 145, 150); }

unsigned long Pixel(int32_t colour)
{
    return static_cast<unsigned long>(static_cast<uint32_t>(colour));
}

}  // namespace

SDrawing::SDrawing(SControl* owner, SGlobals* shared)
    : device(nullptr),
      control(owner),
      globals(shared),
      font(nullptr),
      brush(nullptr),
      reserved{},
      background(Black()),
      parentBackground(background),
      backgroundTrue(background),
      backgroundFalse(background),
      foreground(White()),
      foregroundTrue(foreground),
      foregroundFalse(foreground),
      textFalse(foreground),
      textTrue(foreground),
      frameEnabled(background),
      frameDisabled(FrameDisabled()),
      frameHighlighted(background),
      reserved2(0),
      fillRule(0),
      previousFillRule(0),
      fillStyle(0),
      reserved3(0),
      logic(kCopyLogic),
      ownDevice(nullptr)
{
    if (control != nullptr && control->GetWindow() != 0) {
        ownDevice = new SDrawDevice(control->GetWindow());
        device = ownDevice;
    }
}

SDrawing::~SDrawing() { CleanDrawing(); }

void SDrawing::InitDrawing(SControl* owner, SDrawing* other)
{
    control = owner;
    if (other == nullptr || other->GetDevice() == nullptr)
        return;
    const unsigned long window = other->GetDevice()->GetDrawable();
    CleanDrawing();
    ownDevice = new SDrawDevice(window);
    device = ownDevice;
}

void SDrawing::SetDevice(SDrawDevice* newDevice) { device = newDevice; }

void SDrawing::CleanDrawing()
{
    if (device == ownDevice)
        device = nullptr;
    delete ownDevice;
    ownDevice = nullptr;
}

bool SDrawing::CanDraw() const
{
    return device != nullptr && device->GetDisplay() != nullptr && device->Get() != nullptr &&
           device->GetDrawable() != 0;
}

void SDrawing::SetContextForeground(int colour)
{
    if (device != nullptr && device->GetDisplay() != nullptr && device->Get() != nullptr)
        XSetForeground(device->GetDisplay(), device->Get(), Pixel(colour));
}

void SDrawing::SetColours(int newBackground, int newBackgroundTrue, int newParentBackground,
                          int newForeground, int newForegroundTrue, int text, int textForTrue)
{
    background = backgroundFalse = newBackground;
    backgroundTrue = newBackgroundTrue;
    parentBackground = newParentBackground;
    foreground = foregroundFalse = newForeground;
    foregroundTrue = newForegroundTrue;
    textFalse = text;
    textTrue = textForTrue;
    frameEnabled = frameHighlighted = newBackground;
    frameDisabled = FrameDisabled();
}

void SDrawing::SetBackgroundColour(bool which)
{
    background = which ? backgroundTrue : backgroundFalse;
}

void SDrawing::SetBackgroundColour(int colour) { background = colour; }

void SDrawing::SetBackground(int colour, bool which)
{
    (which ? backgroundTrue : backgroundFalse) = colour;
    SetBackgroundColour(which);
}

void SDrawing::SetForegroundColour(bool which)
{
    foreground = which ? foregroundTrue : foregroundFalse;
    SetContextForeground(foreground);
}

void SDrawing::SetTextColour(int colour, bool which)
{
    (which ? textTrue : textFalse) = colour;
    SetContextForeground(colour);
}

int SDrawing::GetFrameColour(bool enabled, bool highlighted) const
{
    if (enabled && highlighted)
        return frameHighlighted;
    return enabled ? frameEnabled : frameDisabled;
}

void SDrawing::SetFrameColour(int enabled, int highlighted, int disabled)
{
    frameEnabled = enabled;
    frameHighlighted = highlighted;
    frameDisabled = disabled;
}

void SDrawing::SetPen(const SDrawPen* pen)
{
    if (device != nullptr)
        device->SetPen(pen);
}

void SDrawing::SetBrush(SDrawBrush* newBrush)
{
    brush = newBrush;
    if (brush != nullptr)
        SetContextForeground(brush->PaintColour());
}

void SDrawing::SetFont(SDrawFont* newFont)
{
    font = newFont;
    if (device != nullptr)
        device->SetFont(font);
}

int SDrawing::LogicFunction(int code)
{
    static const int kFunctions[] = {
        GXclear, GXxor, GXinvert, GXorReverse,    GXandReverse, GXand,  GXor,  GXandInverted,
        GXnoop,  GXnor, GXequiv,  GXcopyInverted, GXorInverted, GXnand, GXset,
    };
    if (code < 0 || code >= static_cast<int>(sizeof(kFunctions) / sizeof(kFunctions[0])))
        return GXcopy;
    return kFunctions[code];
}

void SDrawing::SetLogic(int code)
{
    logic = code;
    if (device != nullptr && device->GetDisplay() != nullptr && device->Get() != nullptr)
        XSetFunction(device->GetDisplay(), device->Get(), LogicFunction(code));
}

// Values X does not know are kept but not sent: X would answer them with a
// BadValue error, and the default error handler ends the host.
void SDrawing::SetFillStyle(int style)
{
    fillStyle = style;
    const bool known = style >= FillSolid && style <= FillOpaqueStippled;
    if (known && device != nullptr && device->GetDisplay() != nullptr && device->Get() != nullptr)
        XSetFillStyle(device->GetDisplay(), device->Get(), style);
}

void SDrawing::SetFillMode(int rule)
{
    previousFillRule = fillRule;
    const bool known = rule == EvenOddRule || rule == WindingRule;
    if (known && device != nullptr && device->GetDisplay() != nullptr && device->Get() != nullptr)
        XSetFillRule(device->GetDisplay(), device->Get(), rule);
    fillRule = rule;
}

}  // namespace kvor::gui::context
