// A button's value and how presses change it.
#include "gui/widgets/SButton.h"

#include "gui/SResourceCache.h"
#include "gui/SDrawBitmap.h"
#include "gui/widgets/PointerQuery.h"

namespace kvor::gui {

SButton<false>::SButton(SGlobals* globals, SControl* parent, unsigned id, const char* name,
                        int flags, int x, int y, int w, int h, int parentWindow, bool unused)
    : SLabel<false>(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused),
      activeLabelColour(SharedResources().Colour(SResourceCache::kWhite))
{
    AddStyle(kStyleCrossingOutlines);
}

SButton<false>::~SButton() = default;

void SButton<false>::SetLabelColours(int enabled, int disabled)
{
    SLabel<false>::SetLabelColours(enabled, disabled);
    activeLabelColour = enabled;
}

void SButton<false>::SetLabelAlternative(const char* text, bool refresh)
{
    {
        std::lock_guard<std::mutex> guard(textLock);
        alternativeLabel.Clear(false);
        alternativeLabel.Append(text);
        alternativeSet = text != nullptr && *text != 0 ? 1 : 0;
    }
    if (refresh)
        Refresh();
}

void SButton<false>::SetBitmaps(context::SDrawBitmap* normal, context::SDrawBitmap* pressed)
{
    normalBitmap = normal;
    pressedBitmap = pressed;
    normalSize = normal != nullptr ? normal->Width() * normal->Height() : 0;
    pressedSize = pressed != nullptr ? pressed->Width() * pressed->Height() : 0;
}

bool SButton<false>::SetValue(int newValue, bool notify)
{
    if (!SIValueHolder<int>::SetValue(newValue, notify))
        return false;
    SetDrawingMode(newValue != 0);
    Refresh();
    if (notify)
        SendEvent(kEventValueChanged, kEventKindValue, newValue, 0.0f, nullptr, this, nullptr);
    return true;
}

void SButton<false>::Toggle()
{
    if (GetValue() >= 1)
        SetValue(0, (type & (kButtonReportOff | kButtonReportOffToo)) != 0);
    else
        SetValue(1, true);
}

// A push button does not stay down once the press is forgotten.
void SButton<false>::ClearState()
{
    if (CaptureControl() == this)
        MouseReleaseCapture();
    if (input != nullptr)
        input->Reset();
    hovering = false;
    if ((type & kButtonPush) && GetValue() != 0)
        SetValue(0, false);
    Refresh();
}

int SButton<false>::GetLabelColour()
{
    if (!Enabled())
        return disabledLabelColour;
    return GetValue() == 1 ? activeLabelColour : labelColour;
}

// The drag type reports the press and the release; the others change the
// value by their type. Menus are not part of this toolkit's buttons, so a
// menu button presses like a plain one.
void SButton<false>::OnLeftPress()
{
    hovering = true;
    if (type & kButtonDrag) {
        SetValue(1, true);
        return;
    }
    if (type & kButtonNoPress)
        return;
    Toggle();
}

void SButton<false>::OnRelease()
{
    if ((type & kButtonPush) && GetValue() == 1)
        Toggle();
    else if ((type & kButtonDrag) && GetValue() != 0)
        SetValue(0, true);
    hovering = PointerInside(*this);
    RefreshOutlines();
}

void SButton<false>::MouseStateChanged(bool* flags, int index)
{
    SWindow::MouseStateChanged(flags, index);
    switch (index) {
    case context::kMouseEntered:
        hovering = true;
        if ((type & kButtonDrag) && flags[context::kMouseLeftDown])
            SetValue(1, false);
        break;
    case context::kMouseMoving:
        if (!hovering.exchange(true))
            RefreshOutlines();
        break;
    case context::kMouseLeft:
        if ((type & kButtonPush) && GetValue() == 1)
            Toggle();
        else if ((type & kButtonDrag) && GetValue() != 0)
            SetValue(0, false);
        hovering = false;
        RefreshOutlines();
        break;
    case context::kMouseLeftDown:
    case context::kMouseLeftDouble:
        OnLeftPress();
        break;
    case context::kMouseReleased:
        OnRelease();
        break;
    default:
        break;
    }
}

}  // namespace kvor::gui
