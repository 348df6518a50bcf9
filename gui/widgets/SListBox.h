// A list of text items: all items are drawn once into a tall off-screen
// bitmap (N rows of H pixels) and the window shows part of it, scrolled by
// a vertical scroll bar that appears only while the items do not fit.
// Items may be selected with the mouse, the keys and the wheel; in display
// mode (selection mode 0) those only scroll and the program selects.
#pragma once

#include "gui/SWindow.h"
#include "gui/widgets/SListBoxBase.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace kvor::gui {

namespace context {
class SDrawBitmap;
class SDrawFont;
class SDrawMemoryDevice;
}  // namespace context

template <typename T, bool B> class SSlider;

// Selection mode bits.
enum SListSelection : int {
    kListSelects = 0x1,
    kListTracksRange = 0x2,
};

template <int N, int H> class SListBox : public SListBoxBase, public SWindow {
public:
    using Rect = SWindow::Rect;
    using Text = SWindow::Text;
    using ScrollBarType = SSlider<int, true>;

    static constexpr int kRows = N;
    static constexpr int kRowHeight = H;
    static constexpr int kBitmapHeight = N * H + 5;
    // Room the scroll bar takes at the right edge.
    static constexpr int kBarWidth = 12;

    // Sets the outline style and takes the scroll bar's code 5.
    SListBox(SGlobals* globals, SControl* parent, unsigned id, const char* name, int flags, int x,
             int y, int w, int h, int parentWindow, bool unused);
    ~SListBox() override;

    void AddItem(const char* text, bool redraw, bool select) override;
    using SListBoxBase::AddItem;
    // Makes the scroll bar (hidden until the items stop fitting).
    void LoadControls() override;
    void Draw(const Rect& area) override;
    // Draws every item into the off-screen bitmap and repaints.
    void RefreshLabels() override;
    void MouseStateChanged(bool* flags, int index) override;
    void KeyStateChanged(int key, bool pressed, int modifiers, int keyClass) override;
    void Focussing(bool focused) override;
    void ParseEvent(SEvent* event) override;
    void AddItemList(const std::vector<Text>& texts, bool redraw, bool select) override;
    void RemoveItem(const char* text) override;
    void ClearItems(bool redraw, bool resetScroll) override;
    void ReplaceItems(const std::vector<Text>& texts, int select) override;
    std::string GetItem(unsigned index) override;
    int CountItems() override;
    void SetSelection(int index, bool redraw, bool scroll) override;
    void ScrollSelection(bool refresh) override;

    void SetFont(context::SDrawFont* itemFont) { font = itemFont; }
    ScrollBarType* ScrollBar() const { return scrollBar; }
    int GetSelection() const { return selection.load(); }
    bool IsScrolling() const { return scrolling.load(); }
    bool IsFocused() const { return focused != 0; }
    // The first pixel row of the bitmap that the window shows.
    int ScrollOffset();

    // Settings of the list, set by its owner. The list's own code changes
    // the scroll position (100 the top, 0 the end) only under the display
    // lock, with the scroll bar's value.
    std::atomic<int32_t> scrollPosition{100};
    int32_t scrollStep = 1;
    int32_t selectedTextColour;
    int32_t selectionColour;
    int32_t selectionMode = 0;

private:
    int RowAtPointer();
    void SendSelection(int value);
    void TrackRange(int row);
    // Moves the selection one item up or down; false when it cannot.
    bool MoveSelection(bool up);
    void ScrollBy(int change);
    // How far count items reach below the window, in pixels.
    int HiddenHeight(int count) const;
    // The scroll position that puts pixel row offset of count items at
    // the window's top, or the last rows there are.
    int PositionShowing(int offset, int count) const;
    void ShowScrollPosition();
    void DrawRows(const std::vector<Text>& rows, int right);

    // Items are changed on the idle thread and drawn on the GUI thread:
    // guarded by itemsLock, taken inside the display lock, never around it.
    std::vector<Text> items;
    std::mutex itemsLock;
    ScrollBarType* scrollBar = nullptr;
    context::SDrawMemoryDevice* itemDevice = nullptr;
    context::SDrawBitmap* itemBitmap = nullptr;
    context::SDrawFont* font = nullptr;
    std::atomic<bool> scrolling{false};
    int32_t rowHeight = H;
    uint8_t focused = 0;
    // The range of selection mode 0x2 (first, last); sent as event data.
    int32_t range[2] = {-1, -1};
    std::atomic<int32_t> selection{0};
    uint8_t doubleClick = 0;
};

extern template class SListBox<64, 14>;

}  // namespace kvor::gui
