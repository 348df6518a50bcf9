// What a list shows and how it answers the mouse and the keys.
#include "gui/widgets/SListBox.h"

#include "gui/Keys.h"
#include "gui/SResourceCache.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawing.h"
#include "gui/widgets/DisplayLock.h"
#include "gui/widgets/PointerQuery.h"
#include "gui/widgets/SSlider.h"

#include <algorithm>

namespace kvor::gui {

namespace {

// The arrows among the editing keys, as the event procedure passes them.
constexpr int kKeyUp = 6;
constexpr int kKeyDown = 7;

}  // namespace

// The items are drawn off screen with the window's own drawing context, so
// the event thread must not draw the list meanwhile: the lock of the
// display the list lives on, which the event thread draws under, keeps it
// out.
template <int N, int H> void SListBox<N, H>::RefreshLabels()
{
    if (drawing == nullptr || itemDevice == nullptr)
        return;
    {
        SDisplayLock lock(GetDisplay());
        std::lock_guard<std::mutex> guard(itemsLock);
        context::SDrawDevice* window = drawing->GetDevice();
        drawing->SetDevice(itemDevice);
        const int ground = drawing->GetBackgroundColour();
        SResourceCache& shared = SharedResources();
        drawing->SetPen(shared.FindPen(ground));
        drawing->SetBrush(shared.FindBrush(ground));
        drawing->FillRect(0, 0, client.Width(), kBitmapHeight);
        drawing->SetFont(font);
        const int right = scrolling.load() ? client.Width() - 14 : client.Width() - 2;
        DrawRows(items, right);
        drawing->SetDevice(window);
    }
    Refresh();
}

template <int N, int H> void SListBox<N, H>::DrawRows(const std::vector<Text>& rows, int right)
{
    SResourceCache& shared = SharedResources();
    const int ground = drawing->GetBackgroundColour();
    const int text = drawing->GetForegroundColour();
    const int selected = selection.load();
    const int count = std::min(static_cast<int>(rows.size()), N);
    for (int i = 0; i < count; ++i) {
        const Rect row{2, i * rowHeight + 2, right, (i + 1) * rowHeight + 2};
        const bool chosen = i == selected;
        const int fill = chosen ? selectionColour : ground;
        drawing->SetPen(shared.FindPen(fill));
        drawing->SetBrush(shared.FindBrush(fill));
        drawing->FillRect(row);
        if (chosen)
            drawing->DrawRect(row);
        drawing->SetTextColour(chosen ? selectedTextColour : text, false);
        drawing->DrawText(rows[i], 4, i * rowHeight + 2);
    }
}

template <int N, int H> void SListBox<N, H>::Draw(const Rect&)
{
    if (drawing == nullptr || itemDevice == nullptr || itemBitmap == nullptr)
        return;
    const int w = client.Width();
    const int h = client.Height();
    Rect source{0, 0, w, h};
    Rect shown{0, 0, w, h};
    if (scrolling.load()) {
        const int offset = ScrollOffset();
        source = Rect{0, offset, w - kBarWidth, offset + h};
        shown = Rect{0, 0, w - kBarWidth, h};
    }
    drawing->DrawMemory(itemDevice, Point{0, 0}, source);
    DrawOutlines(shown);
}

// The row under the pointer, -1 for none: above the first row, on the top
// two pixels while the list shows its start, or past the last item.
template <int N, int H> int SListBox<N, H>::RowAtPointer()
{
    const SPointerPlace place = QueryPointer(*this);
    if (!place.known)
        return -1;
    const int offset = ScrollOffset();
    const int along = place.y + offset - 2;
    if (along < 0)
        return -1;
    if (place.y <= 1 && (!scrolling.load() || scrollPosition.load() == 100))
        return -1;
    const int row = along / rowHeight;
    return row < CountItems() ? row : -1;
}

template <int N, int H> void SListBox<N, H>::TrackRange(int row)
{
    if (row < 0) {
        range[0] = range[1] = 0;
    } else if (range[0] < 0) {
        range[0] = range[1] = row;
    } else {
        range[0] = std::min(range[0], row);
        range[1] = std::max(range[1], row);
    }
}

template <int N, int H> void SListBox<N, H>::SendSelection(int value)
{
    SendEvent(kEventValueChanged, kEventKindValue, value, 0.0f, range, this, nullptr);
}

template <int N, int H> bool SListBox<N, H>::MoveSelection(bool up)
{
    if (!(selectionMode & kListSelects))
        return false;
    const int selected = selection.load();
    const int next = up ? selected - 1 : selected + 1;
    if (up ? selected <= 0 : selected >= CountItems() - 1)
        return false;
    SetSelection(next, true, true);
    SendSelection(0);
    return true;
}

template <int N, int H> void SListBox<N, H>::ScrollBy(int change)
{
    SDisplayLock lock(GetDisplay());
    scrollPosition = std::min(std::max(scrollPosition.load() + change, 0), 100);
    ShowScrollPosition();
    Refresh();
}

template <int N, int H> void SListBox<N, H>::MouseStateChanged(bool* flags, int index)
{
    SWindow::MouseStateChanged(flags, index);
    const bool selects = (selectionMode & kListSelects) != 0;
    switch (index) {
    case context::kMouseLeftDown:
    case context::kMouseLeftDouble: {
        if (!selects)
            break;
        const int row = RowAtPointer();
        SetSelection(row, true, false);
        if (index == context::kMouseLeftDouble)
            doubleClick = 1;
        if ((selectionMode & kListTracksRange) && flags[context::kMouseShift])
            TrackRange(row);
        SendSelection(row);
        break;
    }
    case context::kMouseRightDown:
    case context::kMouseRightDouble:
        if (!selects)
            break;
        SetSelection(-1, true, true);
        SendSelection(-1);
        break;
    case context::kMouseReleased:
        doubleClick = 0;
        break;
    case context::kMouseWheel: {
        if (!scrolling.load())
            break;
        SDisplayLock lock(GetDisplay());
        if (flags[context::kMouseControl] && selects)
            MoveSelection(flags[context::kMouseWheelUp]);
        else if (scrollBar != nullptr)
            scrollBar->ValueChange(flags[context::kMouseWheelUp], scrollStep);
        break;
    }
    default:
        break;
    }
}

template <int N, int H>
void SListBox<N, H>::KeyStateChanged(int key, bool pressed, int, int keyClass)
{
    if (!pressed || keyClass != kKeyEditing)
        return;
    if (key == kKeyUp) {
        if (!MoveSelection(true))
            ScrollBy(scrollStep);
    } else if (key == kKeyDown) {
        if (!MoveSelection(false))
            ScrollBy(-scrollStep);
    }
}

template void SListBox<64, 14>::RefreshLabels();
template void SListBox<64, 14>::DrawRows(const std::vector<Text>&, int);
template void SListBox<64, 14>::Draw(const Rect&);
template int SListBox<64, 14>::RowAtPointer();
template void SListBox<64, 14>::TrackRange(int);
template void SListBox<64, 14>::SendSelection(int);
template bool SListBox<64, 14>::MoveSelection(bool);
template void SListBox<64, 14>::ScrollBy(int);
template void SListBox<64, 14>::MouseStateChanged(bool*, int);
template void SListBox<64, 14>::KeyStateChanged(int, bool, int, int);

}  // namespace kvor::gui
