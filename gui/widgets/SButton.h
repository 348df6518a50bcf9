// A button: a label with an integer value, a type that decides how presses
// change it, a pressed look, hover outlines and a text colour for its
// active state. Only SButton<false> exists.
#pragma once

#include "gui/widgets/SIHoverable.h"
#include "gui/widgets/SIValueHolder.h"
#include "gui/widgets/SLabel.h"

namespace kvor::gui {

// Press behaviour bits of a button's type.
enum SButtonType : int {
    kButtonNoPress = 0x1,
    kButtonPush = 0x2,
    kButtonReportOff = 0x4,
    kButtonDrag = 0x8,
    kButtonMenu = 0x10,
    kButtonBitmap = 0x20,
    kButtonReportOffToo = 0x40,
};

template <bool B> class SButton;

template <>
class SButton<false> : public SLabel<false>, public SIHoverable, public SIValueHolder<int> {
public:
    // Adds style 0x4: crossing the button repaints its outline.
    SButton(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags, int x,
            int y, int w, int h, int parentWindow, bool unused);
    ~SButton() override;

    void SetType(int newType) override { type = newType; }
    int GetType() const { return type; }
    // Also makes the enabled colour the active one.
    void SetLabelColours(int enabled, int disabled) override;
    virtual void SetLabelColourActive(int colour) { activeLabelColour = colour; }
    // Text shown instead of the label while the value is 1; null or empty
    // removes it. With refresh the button is repainted.
    virtual void SetLabelAlternative(const char* text, bool refresh);
    void SetBitmaps(context::SDrawBitmap* normal, context::SDrawBitmap* pressed) override;

    int GetValue() override { return value.load(); }
    // Stores a changed value, takes the pressed look for a value other than
    // 0, repaints and, with notify, reports the value (code 3). Returns
    // whether the value changed.
    bool SetValue(int newValue, bool notify) override;
    void Toggle() override;
    void Reset() override { SetValue(0, true); }
    void ClearState() override;
    int GetLabelColour() override;

    void MouseStateChanged(bool* flags, int index) override;
    void Draw(const Rect& area) override;
    void DrawOutlines(const Rect& area) override;

    bool IsHovering() const { return hovering.load(); }

private:
    void OnLeftPress();
    void OnRelease();
    void DrawAlternative();

    std::atomic<bool> hovering{false};
    int32_t type = kButtonPush;
    Text alternativeLabel;
    uint8_t alternativeSet = 0;
    int32_t activeLabelColour;
    context::SDrawBitmap* normalBitmap = nullptr;
    context::SDrawBitmap* pressedBitmap = nullptr;
    int32_t normalSize = 0;
    int32_t pressedSize = 0;
};

}  // namespace kvor::gui
