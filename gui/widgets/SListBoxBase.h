// The interface of the toolkit's text lists. The window-side operations
// (drawing, input, focus, events, loading) are the same code the list's
// window reaches through its own table.
#pragma once

#include "gui/Geometry.h"
#include "runtime/datastring.h"

#include <string>
#include <vector>

namespace kvor::gui {

struct SEvent;
class SListBoxItembase;

class SListBoxBase {
public:
    using Rect = math::geom::Rectangle<int, 2>;
    using Text = data::datastring<32, char>;

    virtual ~SListBoxBase() = default;

    // Appends a copy of the text; with select it becomes the selection,
    // with redraw the items are drawn anew.
    virtual void AddItem(const char* text, bool redraw, bool select) = 0;
    // Items of other kinds are not kept by text lists.
    virtual void AddItem(SListBoxItembase*, bool, bool) {}
    virtual void LoadControls() = 0;
    virtual void Draw(const Rect& area) = 0;
    virtual void RefreshLabels() = 0;
    virtual void MouseStateChanged(bool* flags, int index) = 0;
    virtual void KeyStateChanged(int key, bool pressed, int modifiers, int keyClass) = 0;
    virtual void Focussing(bool focused) = 0;
    virtual void ParseEvent(SEvent* event) = 0;
    virtual void AddItemList(const std::vector<Text>& texts, bool redraw, bool select) = 0;
    virtual void RemoveItem(const char* text) = 0;
    virtual void ClearItems(bool redraw, bool resetScroll) = 0;
    // Puts texts in the place of the items in one step, with item select
    // selected (-1: none), and redraws. What the window shows stays where it
    // was: the same pixel rows, or the last there are when the list got
    // shorter.
    virtual void ReplaceItems(const std::vector<Text>& texts, int select) = 0;
    // A copy of the text of item index, taken under the item lock: the idle
    // thread may replace the items at any moment. Empty when there is none.
    virtual std::string GetItem(unsigned index) = 0;
    virtual int CountItems() = 0;
    virtual void SetSelection(int index, bool redraw, bool scroll) = 0;
    virtual void ScrollSelection(bool refresh) = 0;
};

}  // namespace kvor::gui
