// The tip window of one window: a small borderless popup that shows the tip
// of whichever of the window's controls the pointer has entered, and the
// switch square that turns tips on and off for all of them.
#pragma once

#include "gui/SControl.h"
#include "gui/STip.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace kvor::gui {

class SWindow;
class SToolTipData;

namespace context {
class SDrawFont;
class SDrawing;
}  // namespace context

// Where a tip is shown beside its control.
enum STipPlacement : int {
    kTipAbove = 0,
    kTipRight = 1,
    kTipBelow = 2,
    kTipLeft = 3,
};

class SToolTip : public SControl, public STipWindow {
public:
    // A popup on the root window named after the window, added to it as a
    // child. The flag is not used.
    SToolTip(SWindow* window, bool unused);
    ~SToolTip() override;

    // New data laid out from the text, for the control's tip.
    STipContent* MakeContent(SControl* control, const char* text, int placement) override;
    // Shows the data's content at the point (screen coordinates), sized to
    // it; null does nothing.
    void Open(SToolTipData* data, const Point& where);
    // Takes the data as content without moving or showing; false for null.
    bool SetData(SToolTipData* data);
    void Close();
    // Turns tips on or off on every control that uses this tip.
    void EnableTooltips(bool on);
    void ToggleTooltips();
    // Fills the switch square in the colour that tells whether tips are on.
    void DrawTiprect(context::SDrawing* target);

    // Controls that use this tip, each once. Data that goes away takes its
    // control off the list, so the list never holds a control that is gone.
    void Register(SControl* control) override;
    void Unregister(SControl* control);
    // Data that goes away while shown stops being shown.
    void Forget(SToolTipData* data);

    void MouseStateChanged(bool* flags, int index) override;
    void Draw(const Rect& area) override;

    SWindow* Owner() const { return ownerWindow; }
    SToolTipData* Current() const { return current; }
    context::SDrawFont* NormalFont() const { return normalFont; }
    context::SDrawFont* BoldFont() const { return boldFont; }
    bool IsOpen() const { return open.load(); }
    bool TooltipsOn() const { return tooltipsOn != 0; }
    bool Flipped() const { return flipped != 0; }
    void SetFlipped(bool on) { flipped = on ? 1 : 0; }
    int SwitchColour() const { return switchColour; }
    const Rect& SwitchSquare() const { return switchSquare; }
    const std::vector<SControl*>& Controls() const { return controls; }

    // How tips look; the owner sets them after construction.
    int32_t textColour;
    int32_t alignment = 0;
    int32_t firstLineColoured = 1;
    int32_t titleColour;
    int32_t arrowColour;
    uint8_t roundShape = 0;
    uint8_t secondLineBold = 0;

private:
    void HearCrossings();
    void DrawFrame(int w, int h);
    void DrawArrow(int w, int h);

    SWindow* ownerWindow;
    SToolTipData* current = nullptr;
    context::SDrawFont* normalFont = nullptr;
    context::SDrawFont* boldFont = nullptr;
    int32_t openWord = 0;
    std::atomic<bool> open{false};
    uint8_t flipped = 0;
    std::vector<SControl*> controls;
    Rect switchSquare{1, 1, 10, 10};
    int32_t switchColour;
    int32_t tooltipsOn = 0;
};

}  // namespace kvor::gui
