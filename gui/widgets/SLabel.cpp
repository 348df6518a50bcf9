// A label's text: splitting, measuring and laying out its lines, its
// colours and the presses it reports.
#include "gui/widgets/SLabel.h"

#include "gui/widgets/ClickValue.h"
#include "gui/widgets/TextMeasure.h"

#include <algorithm>

namespace kvor::gui {

template <bool B>
SLabel<B>::SLabel(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags,
                  int x, int y, int w, int h, int parentWindow, bool unused)
    : SWindow(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused)
{
}

template <bool B> SLabel<B>::~SLabel() = default;

template <bool B>
void SLabel<B>::SetLabel(const char* text, context::SDrawFont* newFont, int newAlignment)
{
    {
        std::lock_guard<std::mutex> guard(textLock);
        font = newFont;
        alignment = newAlignment;
    }
    SetLabel(text);
}

template <bool B> void SLabel<B>::SetLabel(const char* text)
{
    if (font == nullptr)
        return;
    // The text may be our own label's: copied before the label changes.
    Text copy;
    copy.Append(text);
    std::vector<Text> split = SplitLines(copy.data);
    int widest = 0;
    int total = 0;
    for (const Text& line : split) {
        const STextExtent extent = MeasureText(line.data, font);
        widest = std::max(widest, extent.width);
        total += extent.height;
    }
    {
        std::lock_guard<std::mutex> guard(textLock);
        label = copy;
        lines.swap(split);
        textWidth = widest;
        textHeight = total;
        lineRectangles = LayOut(static_cast<int>(lines.size()));
    }
    // Outside the lock: the repaint request takes Xlib's, and the GUI
    // thread holds Xlib's while it waits for ours to draw.
    Refresh();
}

// The block goes to the bottom right (bit 4), else the top left (bit 1),
// else the middle; then bit 2 lifts it to the top, bit 8 keeps it where it
// is, and without either it is centred vertically.
template <bool B> std::vector<SControl::Rect> SLabel<B>::LayOut(int lineCount) const
{
    std::vector<Rect> bands;
    if (lineCount <= 0)
        return bands;
    const int w = client.Width();
    const int h = client.Height();
    int x;
    int y;
    if (alignment & kLabelBottomRight) {
        x = w - textWidth;
        y = h - textHeight;
    } else if (alignment & kLabelTopLeft) {
        x = 0;
        y = 0;
    } else {
        x = (w - textWidth) / 2;
        y = (h - textHeight) / 2;
    }
    if (alignment & kLabelTop)
        y = 0;
    else if (!(alignment & kLabelKeepVertical))
        y = (h - textHeight) / 2;
    const int band = textHeight / lineCount;
    for (int i = 0; i < lineCount; ++i) {
        const int bottom = i + 1 == lineCount ? y + textHeight : y + (i + 1) * band;
        bands.push_back(Rect{x, y + i * band, x + textWidth, bottom});
    }
    return bands;
}

template <bool B> void SLabel<B>::RedrawLabel()
{
    std::lock_guard<std::mutex> guard(textLock);
    lineRectangles = LayOut(static_cast<int>(lines.size()));
}

template <bool B> void SLabel<B>::SetAlignment(int newAlignment)
{
    std::lock_guard<std::mutex> guard(textLock);
    alignment = newAlignment;
    lineRectangles = LayOut(static_cast<int>(lines.size()));
}

template <bool B> void SLabel<B>::SetSize(int w, int h)
{
    SControl::SetSize(w, h);
    RedrawLabel();
}

template <bool B> void SLabel<B>::SetLabelColours(int enabled, int disabled)
{
    labelColour = enabled;
    disabledLabelColour = disabled;
}

template <bool B> int SLabel<B>::GetLabelColour()
{
    return Enabled() ? labelColour : disabledLabelColour;
}

template <bool B> void SLabel<B>::Highlight(bool on, int colour, int, int)
{
    highlightColour = colour;
    if (static_cast<uint8_t>(on) == highlighted)
        return;
    highlighted = on ? 1 : 0;
    RefreshOutlines();
}

template <bool B> void SLabel<B>::MouseStateChanged(bool* flags, int index)
{
    SWindow::MouseStateChanged(flags, index);
    const int value = ClickValue(index);
    if (value == 0)
        return;
    SendEvent(kEventValueChanged, kEventKindValue, value, 0.0f, nullptr, this, nullptr);
}

template <bool B> int SLabel<B>::TextWidth() const
{
    std::lock_guard<std::mutex> guard(textLock);
    return textWidth;
}

template <bool B> int SLabel<B>::TextHeight() const
{
    std::lock_guard<std::mutex> guard(textLock);
    return textHeight;
}

template <bool B> std::vector<SControl::Rect> SLabel<B>::LineRectangles() const
{
    std::lock_guard<std::mutex> guard(textLock);
    return lineRectangles;
}

template <bool B> std::vector<SControl::Text> SLabel<B>::Lines() const
{
    std::lock_guard<std::mutex> guard(textLock);
    return lines;
}

template class SLabel<false>;
template class SLabel<true>;

}  // namespace kvor::gui
