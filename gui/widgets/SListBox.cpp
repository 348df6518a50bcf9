// A list's items, its selection, its scroll position and its scroll bar.
#include "gui/widgets/SListBox.h"

#include "gui/SResourceCache.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawing.h"
#include "gui/widgets/DisplayLock.h"
#include "gui/widgets/Rounding.h"
#include "gui/widgets/SSlider.h"

#include <algorithm>
#include <cstring>

namespace kvor::gui {

template <int N, int H>
SListBox<N, H>::SListBox(SGlobals* globals, SControl* parent, unsigned id, const char* name,
                         int flags, int x, int y, int w, int h, int parentWindow, bool unused)
    : SWindow(globals, parent, id, name, flags, x, y, w, h, parentWindow, unused),
      selectedTextColour(SharedColour(SResourceCache::kBlack)),
      selectionColour(SharedColour(SResourceCache::kYellow))
{
    AddStyle(kStyleOutline);
    EnableEventHandler(kEventSliderChanged);
    itemBitmap = new context::SDrawBitmap(nullptr, std::max(1, w), kBitmapHeight, false);
    itemDevice = new context::SDrawMemoryDevice(drawing != nullptr ? drawing->GetDevice() : nullptr,
                                                itemBitmap);
}

// The device goes before the bitmap it draws on; the scroll bar goes with
// the other children.
template <int N, int H> SListBox<N, H>::~SListBox()
{
    delete itemDevice;
    itemDevice = nullptr;
    delete itemBitmap;
    itemBitmap = nullptr;
}

template <int N, int H> void SListBox<N, H>::LoadControls()
{
    selectedTextColour = SharedColour(SResourceCache::kBlack);
    selectionColour = SharedColour(SResourceCache::kYellow);
    if (scrollBar != nullptr)
        Remove(scrollBar, true);
    const int w = client.Width();
    const int h = client.Height();
    Text barName;
    barName.Append(name.data).Append(" (Scroll)");
    scrollBar =
        new ScrollBarType(globals, this, static_cast<unsigned>(DrawIdentifier()), barName.data,
                          kStyleCrossingOutlines | kStyleCaptureOnPress, w - kBarWidth, 0,
                          kBarWidth, h, static_cast<int>(GetWindow()), false);
    scrollBar->SetValueRange(0, 100, 100);
    scrollBar->SetValue(100, false);
    scrollBar->SetVertical(true);
    scrollBar->SetHandleZone(Rect{1, 1, kBarWidth - 1, h - 1});
    scrollBar->SetHandleSize(10, 10);
    scrollBar->SetBufferSize(kBarWidth, h);
    scrollBar->SetDoubleBuffer();
    scrollBar->SetWheelIncrement(5);
    scrollBar->SetColours(
        SharedColour(26), SharedColour(26), SharedColour(SResourceCache::kBlack),
        SharedColour(SResourceCache::kWhite), SharedColour(SResourceCache::kBlack),
        SharedColour(SResourceCache::kWhite), SharedColour(SResourceCache::kWhite));
    scrollBar->SetHoverColours(SharedColour(SResourceCache::kBlack),
                               SharedColour(SResourceCache::kBlueGrey));
    scrollBar->SetHandleColours(SharedColour(SResourceCache::kBlack),
                                SharedColour(SResourceCache::kDarkSlate));
    scrollBar->AddEventListener(this, kEventSliderChanged);
    Add(scrollBar);
}

// Reaching the first item that does not fit shows the scroll bar at the
// end of the list.
template <int N, int H> void SListBox<N, H>::AddItem(const char* text, bool redraw, bool select)
{
    int count;
    {
        std::lock_guard<std::mutex> guard(itemsLock);
        items.emplace_back();
        items.back().Append(text);
        count = static_cast<int>(items.size());
    }
    const int height = client.Height();
    if (count * rowHeight > height && (count - 1) * rowHeight <= height) {
        SDisplayLock lock(GetDisplay());
        scrollPosition = 0;
        scrolling = true;
        if (scrollBar != nullptr) {
            scrollBar->SetValue(0, false);
            scrollBar->Show();
        }
    } else if (count * rowHeight <= height) {
        scrolling = false;
    }
    if (select)
        selection = count - 1;
    if (redraw)
        RefreshLabels();
}

template <int N, int H>
void SListBox<N, H>::AddItemList(const std::vector<Text>& texts, bool redraw, bool select)
{
    for (const Text& text : texts)
        AddItem(text.data, redraw, select);
}

template <int N, int H> void SListBox<N, H>::RemoveItem(const char* text)
{
    if (text == nullptr)
        return;
    int count;
    {
        std::lock_guard<std::mutex> guard(itemsLock);
        const auto found = std::find_if(items.begin(), items.end(), [text](const Text& item) {
            return std::strcmp(item.data, text) == 0;
        });
        if (found == items.end())
            return;
        items.erase(found);
        count = static_cast<int>(items.size());
    }
    if (selection.load() >= count)
        selection = count - 1;
    if (count * rowHeight <= client.Height() && scrolling.exchange(false) && scrollBar != nullptr)
        scrollBar->Hide();
}

template <int N, int H> void SListBox<N, H>::ClearItems(bool redraw, bool resetScroll)
{
    {
        std::lock_guard<std::mutex> guard(itemsLock);
        items.clear();
    }
    selection = -1;
    if (scrollBar != nullptr)
        scrollBar->Hide();
    scrolling = false;
    if (resetScroll) {
        SDisplayLock lock(GetDisplay());
        scrollPosition = 100;
        if (scrollBar != nullptr)
            scrollBar->SetValue(100, false);
    }
    if (redraw)
        RefreshLabels();
}

// The owner rebuilds its list on one thread while the event thread draws
// and scrolls it: the items, the selection and the scroll state change
// together under the display lock that the drawing and every scroll hold,
// so no frame shows a list half replaced, no wheel step is lost between
// reading the position and putting it back, and the view does not move
// unless the list got too short for it.
template <int N, int H>
void SListBox<N, H>::ReplaceItems(const std::vector<Text>& texts, int select)
{
    const int count = static_cast<int>(texts.size());
    const bool scrolls = count * rowHeight > client.Height();
    {
        SDisplayLock lock(GetDisplay());
        const int shown = ScrollOffset();
        {
            std::lock_guard<std::mutex> guard(itemsLock);
            items = texts;
        }
        selection = select;
        scrolling = scrolls;
        scrollPosition = scrolls ? PositionShowing(shown, count) : 100;
        if (scrollBar != nullptr) {
            if (scrolls)
                scrollBar->Show();
            else
                scrollBar->Hide();
        }
        ShowScrollPosition();
    }
    RefreshLabels();
}

template <int N, int H> std::string SListBox<N, H>::GetItem(unsigned index)
{
    std::lock_guard<std::mutex> guard(itemsLock);
    return index < items.size() ? std::string(items[index].data) : std::string();
}

template <int N, int H> int SListBox<N, H>::CountItems()
{
    std::lock_guard<std::mutex> guard(itemsLock);
    return static_cast<int>(items.size());
}

template <int N, int H> void SListBox<N, H>::SetSelection(int index, bool redraw, bool scroll)
{
    const int previous = selection.exchange(index);
    if (scroll)
        ScrollSelection(false);
    if (!redraw && scrollBar == nullptr)
        return;
    if (previous == index)
        Refresh();
    else
        RefreshLabels();
}

// The selected item's place in the list as a scroll position: the first
// item is 100, the last 0.
template <int N, int H> void SListBox<N, H>::ScrollSelection(bool refresh)
{
    SDisplayLock lock(GetDisplay());
    const int selected = selection.load();
    const int count = CountItems();
    int position = 100;
    if (selected >= 0 && count > 1)
        position = 100 - RoundNudged(static_cast<float>(selected) * 100.0f /
                                     static_cast<float>(count - 1));
    scrollPosition = std::min(std::max(position, 0), 100);
    ShowScrollPosition();
    if (refresh && selected >= 0)
        Refresh();
}

template <int N, int H> void SListBox<N, H>::ShowScrollPosition()
{
    if (scrollBar == nullptr)
        return;
    scrollBar->SetValue(scrollPosition.load(), false);
    scrollBar->Refresh();
}

template <int N, int H> int SListBox<N, H>::HiddenHeight(int count) const
{
    return rowHeight * std::min(count, N) - client.Height() + 5;
}

template <int N, int H> int SListBox<N, H>::PositionShowing(int offset, int count) const
{
    const int hidden = HiddenHeight(count);
    if (hidden <= 0)
        return 100;
    const int kept = std::min(std::max(offset, 0), hidden);
    return 100 - RoundNudged(static_cast<float>(kept) * 100.0f / static_cast<float>(hidden));
}

template <int N, int H> int SListBox<N, H>::ScrollOffset()
{
    if (!scrolling.load())
        return 0;
    const float hidden = static_cast<float>(HiddenHeight(CountItems()));
    const int offset =
        RoundNudged(static_cast<float>(100 - scrollPosition.load()) * 0.01f * hidden);
    // Rows past the bitmap's capacity are not drawn, so the view stops at
    // its end.
    return std::min(std::max(offset, 0), std::max(0, kBitmapHeight - client.Height()));
}

template <int N, int H> void SListBox<N, H>::Focussing(bool isFocused)
{
    SWindow::Focussing(isFocused);
    focused = isFocused ? 1 : 0;
}

template <int N, int H> void SListBox<N, H>::ParseEvent(SEvent* event)
{
    if (event == nullptr || event->code != kEventSliderChanged ||
        !EventHandled(kEventSliderChanged) || scrollBar == nullptr || event->sender == nullptr ||
        event->sender->GetId() != scrollBar->GetId())
        return;
    const int position = scrollBar->GetValue();
    if (scrollPosition.exchange(position) != position)
        Refresh();
}

template class SListBox<64, 14>;

}  // namespace kvor::gui
