// A label: one or more lines of text in a rectangle over its own
// background, reporting mouse presses as value events (code 3: 1 left,
// 3 right, 2 middle). Without text it is a plain coloured square (the
// panel's lamps). SLabel<true> is the same widget made a second time, the
// base of the slider; SLabel<false> is the base of the button.
#pragma once

#include "gui/SWindow.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace kvor::gui {

namespace context {
class SDrawFont;
}

// Alignment bits of a label's text block in its client rectangle.
enum SLabelAlign : int {
    kLabelTopLeft = 0x1,
    kLabelTop = 0x2,
    kLabelBottomRight = 0x4,
    kLabelKeepVertical = 0x8,
};

template <bool B> class SLabel : public SWindow {
public:
    SLabel(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags, int x,
           int y, int w, int h, int parentWindow, bool unused);
    ~SLabel() override;

    // Stores font and alignment, then SetLabel(text).
    virtual void SetLabel(const char* text, context::SDrawFont* newFont, int newAlignment);
    // Without a font nothing changes. Otherwise the text is split into
    // lines, measured, laid out by the alignment and repainted.
    virtual void SetLabel(const char* text);
    virtual void SetLabel(const Text& text) { SetLabel(text.data); }
    virtual void SetLabel(const Text& text, context::SDrawFont* newFont, int newAlignment)
    {
        SetLabel(text.data, newFont, newAlignment);
    }
    virtual void SetLabelColours(int enabled, int disabled);
    // The enabled colour while the control counts as enabled, else the
    // disabled one.
    virtual int GetLabelColour();
    virtual void SetLabelRounding(int radius) { rounding = radius; }
    // Lines drawn turned a quarter, reading upwards.
    void SetVerticalText(bool on) { vertical = on ? 1 : 0; }

    void SetAlignment(int newAlignment) override;
    void SetLabelOffset(Point& offset) override { labelOffset = offset; }
    Text& GetLabel() override { return label; }
    // A copy of the text, for a thread other than the one that sets it.
    Text LabelNow() const
    {
        std::lock_guard<std::mutex> guard(textLock);
        return label;
    }
    void Highlight(bool on, int colour, int, int) override;
    void SetSize(int w, int h) override;
    void MouseStateChanged(bool* flags, int index) override;
    void Draw(const Rect& area) override;
    void DrawOutlines(const Rect& area) override;

    // Recomputes the line rectangles for the current size and alignment.
    void RedrawLabel();

    context::SDrawFont* GetFont() const { return font; }
    int GetAlignment() const { return alignment; }
    // Taken under the label's lock.
    int TextWidth() const;
    int TextHeight() const;
    std::vector<Rect> LineRectangles() const;
    std::vector<Text> Lines() const;
    bool IsHighlighted() const { return highlighted != 0; }

protected:
    // The text in its line rectangles, in GetLabelColour().
    void DrawLabel();
    // Fills the client rectangle: rounded over the parent background with
    // style 0x10, else plain, in the drawing context's current background.
    void DrawGround(const Rect& area);
    // A one-pixel outline of the area, rounded with style 0x10.
    void DrawFrame(const Rect& area, int colour);
    // The rectangles of lineCount equal bands of the text block.
    std::vector<Rect> LayOut(int lineCount) const;

    context::SDrawFont* font = nullptr;
    Text label;
    // Set from the idle thread while the GUI thread draws: guarded by
    // textLock, which is taken inside the display lock, never around it.
    std::vector<Text> lines;
    std::vector<Rect> lineRectangles;
    mutable std::mutex textLock;
    int32_t textWidth = 1;
    int32_t textHeight = 1;
    int32_t labelColour = 0;
    int32_t disabledLabelColour = 0;
    Point labelOffset{0, 0};
    int32_t alignment = 0;
    int32_t vertical = 0;
    int32_t rounding = 7;
    uint8_t highlighted = 0;
    int32_t highlightColour = 0;
};

extern template class SLabel<false>;
extern template class SLabel<true>;

}  // namespace kvor::gui
