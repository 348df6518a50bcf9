// The list box and its scroll bar on a real server: rows in the picture,
// scrolling by wheel, keys and dragging, selecting and scrolling to items.
#include "tests/gui/widgets/WidgetFixture.h"

#include "gui/widgets/SListBox.h"
#include "gui/widgets/SSlider.h"

#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace widgettest {
namespace {

using List = kvor::gui::SListBox<64, 14>;

class ListAndSlider : public WidgetTest {
protected:
    // The panel's node list: 110 x 110, white text on black, violet
    // selection, display mode.
    List* MakeList(int items)
    {
        List* list = Place<List>(0x20, 30, 30, 110, 110, false);
        list->SetFont(tarvenna::test::ToolkitResources().FindFont(8));
        list->SetFrameColour(Colour(20), Colour(0), Colour(23));
        list->LoadControls();
        list->RefreshLabels();
        list->SetColours(Colour(20), Colour(20), Colour(20), Colour(0), Colour(0), Colour(0),
                         Colour(0));
        list->selectedTextColour = Colour(0);
        list->selectionColour = Colour(8);
        list->scrollStep = 12;
        list->ScrollBar()->SetWheelIncrement(12);
        list->selectionMode = 0;
        for (int i = 0; i < items; ++i)
            list->AddItem(("Port 1:   ID: " + std::to_string(10 + i) + " (S)").c_str(), false,
                          false);
        list->RefreshLabels();
        list->Show();
        Drain();
        return list;
    }

    // White ink in each row band of the visible rows.
    static int InkedRows(const Picture& picture, int rows)
    {
        int inked = 0;
        for (int row = 0; row < rows; ++row)
            inked += picture.Count(Pixel(0), Rect{2, row * 14 + 2, 96, row * 14 + 16}) > 5;
        return inked;
    }
};

TEST_F(ListAndSlider, RowsAreShownAndTheScrollBarComesWithTheEighthItem)
{
    List* list = MakeList(7);
    EXPECT_FALSE(list->IsScrolling());
    EXPECT_FALSE(list->ScrollBar()->IsShown());
    ASSERT_TRUE(PumpUntil([&] { return InkedRows(Shot(*list), 7) == 7; }))
        << InkedRows(Shot(*list), 7);

    // A click below the last row selects nothing.
    RecordingControl* listener = Listener();
    list->AddEventListener(listener, kvor::gui::kEventValueChanged);
    list->selectionMode = kvor::gui::kListSelects;
    list->SetSelection(2, true, false);
    Click(*list, 30, 2 + 7 * 14 + 4);
    EXPECT_EQ(list->GetSelection(), -1);
    EXPECT_EQ(Values(*listener), std::vector<int>{-1});
    EXPECT_EQ(list->GetItem(6), "Port 1:   ID: 16 (S)");
    EXPECT_EQ(list->GetItem(7), "");

    list->AddItem("Port 8:   ID: 64 (R)", true, false);
    EXPECT_TRUE(list->IsScrolling());
    EXPECT_TRUE(list->ScrollBar()->IsShown());
    EXPECT_EQ(list->scrollPosition.load(), 0) << "the end of the list";
    EXPECT_EQ(list->ScrollBar()->GetValue(), 0);

    list->ClearItems(false, true);
    EXPECT_EQ(list->GetSelection(), -1);
    EXPECT_EQ(list->scrollPosition.load(), 100);
    EXPECT_FALSE(list->IsScrolling());
    EXPECT_FALSE(list->ScrollBar()->IsShown());
}

TEST_F(ListAndSlider, TheWheelAndTheArrowKeysScrollInDisplayMode)
{
    List* list = MakeList(20);
    ASSERT_EQ(list->scrollPosition.load(), 0);
    const Picture atEnd = Shot(*list);

    MoveTo(*list, 40, 50);
    Drain();
    PressButton(Button4, true);
    PressButton(Button4, false);
    ASSERT_TRUE(PumpUntil([&] { return list->scrollPosition.load() == 12; }));
    EXPECT_EQ(list->ScrollBar()->GetValue(), 12);
    EXPECT_EQ(list->GetSelection(), 0) << "display mode selects nothing";

    list->Focus(true);
    Key(XK_Up);
    ASSERT_TRUE(PumpUntil([&] { return list->scrollPosition.load() == 24; }));
    Key(XK_Down);
    Key(XK_Down);
    ASSERT_TRUE(PumpUntil([&] { return list->scrollPosition.load() == 0; }));
    EXPECT_EQ(list->ScrollBar()->GetValue(), 0);

    list->scrollPosition = 100;
    list->Refresh();
    ASSERT_TRUE(PumpUntil([&] {
        const Picture atStart = Shot(*list);
        return atStart.Count(Pixel(0)) != atEnd.Count(Pixel(0));
    })) << "the first rows replace the last ones";
}

// The panel's owner rebuilds its list on the idle thread whenever a node
// changes, while the user scrolls it on the event thread: a rebuild that
// keeps the rows in view must not put back a position read before a wheel
// step (20 rows: every position survives the rebuild's round trip).
TEST_F(ListAndSlider, NoWheelStepIsLostToARebuildOnAnotherThread)
{
    List* list = MakeList(20);
    std::vector<List::Text> texts(20);
    for (unsigned i = 0; i < texts.size(); ++i)
        texts[i].Append(list->GetItem(i).c_str());
    std::atomic<bool> done{false};
    std::thread owner([&] {
        while (!done.load()) {
            list->ReplaceItems(texts, -1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    const auto wheel = [&](unsigned button) {
        for (int step = 0; step < 5; ++step) {
            PressButton(button, true);
            PressButton(button, false);
        }
    };
    MoveTo(*list, 40, 50);
    for (int round = 0; round < 4; ++round) {
        wheel(Button4);
        EXPECT_TRUE(PumpUntil([&] { return list->scrollPosition.load() == 60; }))
            << "round " << round << ": " << list->scrollPosition.load();
        wheel(Button5);
        EXPECT_TRUE(PumpUntil([&] { return list->scrollPosition.load() == 0; }))
            << "round " << round << ": " << list->scrollPosition.load();
    }
    done = true;
    owner.join();
    Drain();
    EXPECT_EQ(list->ScrollBar()->GetValue(), list->scrollPosition.load());
}

// 20 rows of 14 pixels and 5 spare below them are 175 pixels more than
// the window's 110: position 60 (40 from the top) shows the list from pixel
// row 70, so the violet band of row 6 (pixel rows 86 to 99 of the list)
// starts at the window's 16th pixel row.
TEST_F(ListAndSlider, AScrollPositionShowsTheRowsItStandsFor)
{
    List* list = MakeList(20);
    list->SetSelection(6, true, false);
    list->scrollPosition = 60;
    list->Refresh();
    const auto violetRows = [&] {
        const Picture picture = Shot(*list);
        std::vector<int> rows;
        for (int y = 0; y < picture.height; ++y)
            if (picture.Count(Pixel(8), Rect{2, y, 96, y + 1}) > 40)
                rows.push_back(y);
        return rows;
    };
    ASSERT_TRUE(PumpUntil([&] { return !violetRows().empty(); }));
    const std::vector<int> rows = violetRows();
    EXPECT_EQ(rows.front(), 16);
    EXPECT_EQ(rows.back(), 29);
    EXPECT_EQ(rows.size(), 14u);
}

TEST_F(ListAndSlider, SelectionModesAndScrollingToTheSelection)
{
    List* list = MakeList(10);
    RecordingControl* listener = Listener();
    list->AddEventListener(listener, kvor::gui::kEventValueChanged);
    list->SetSelection(-1, true, false);

    Click(*list, 30, 2 + 14 + 7);
    EXPECT_EQ(list->GetSelection(), -1) << "mode 0: clicks select nothing";
    EXPECT_TRUE(Values(*listener).empty());

    list->selectionMode = kvor::gui::kListSelects;
    list->scrollPosition = 100;
    list->ScrollBar()->SetValue(100, false);
    Click(*list, 30, 2 + 2 * 14 + 7);
    EXPECT_EQ(list->GetSelection(), 2);
    EXPECT_EQ(Values(*listener), std::vector<int>{2});
    ASSERT_TRUE(PumpUntil([&] {
        return Shot(*list).Count(Pixel(8), Rect{2, 30, 96, 44}) > 100;
    })) << "the selected row is violet";

    list->SetSelection(3, true, true);
    EXPECT_EQ(list->scrollPosition.load(), 67);
    EXPECT_EQ(list->ScrollBar()->GetValue(), 67);
    list->SetSelection(9, true, true);
    EXPECT_EQ(list->scrollPosition.load(), 0);
    list->SetSelection(0, true, true);
    EXPECT_EQ(list->scrollPosition.load(), 100);
}

TEST_F(ListAndSlider, TheScrollBarHandleFollowsADragWithinItsRange)
{
    List* list = MakeList(20);
    auto* bar = list->ScrollBar();
    ASSERT_EQ(bar->GetValue(), 0);
    EXPECT_EQ(bar->CalcHandleOffset(), 99) << "the minimum at the bottom";

    MoveTo(*bar, 6, 104);
    Drain();
    PressButton(Button1, true);
    Drain();
    MoveTo(*bar, 6, 55);
    ASSERT_TRUE(PumpUntil([&] { return bar->GetValue() == 50; })) << bar->GetValue();
    EXPECT_EQ(list->scrollPosition.load(), 50);
    MoveTo(*bar, 6, 400);
    ASSERT_TRUE(PumpUntil([&] { return bar->GetValue() == 0; }));
    MoveTo(*bar, 6, -300);
    ASSERT_TRUE(PumpUntil([&] { return bar->GetValue() == 100; }));
    PressButton(Button1, false);
    Drain();
    EXPECT_EQ(list->scrollPosition.load(), 100);
    EXPECT_EQ(bar->CalcHandleOffset(), 1) << "the maximum at the top";
    ASSERT_TRUE(PumpUntil([&] {
        return Shot(*bar).Count(Pixel(24), Rect{2, 2, 10, 10}) > 30;
    })) << "the slate handle is drawn at the top";
}

// Control and a click put the bar back to its default, and the list
// follows it there.
TEST_F(ListAndSlider, AControlClickOnTheBarResetsItAndTheListFollows)
{
    List* list = MakeList(20);
    ASSERT_EQ(list->scrollPosition.load(), 0);
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    XTestFakeKeyEvent(display, control, True, 0);
    Click(*list->ScrollBar(), 6, 104);
    XTestFakeKeyEvent(display, control, False, 0);
    Drain();
    EXPECT_EQ(list->ScrollBar()->GetValue(), 100);
    EXPECT_EQ(list->scrollPosition.load(), 100);
}

TEST_F(ListAndSlider, RangesClampTheirDefaultAndStepsStopAtTheEnds)
{
    using Slider = kvor::gui::SSlider<int, true>;
    auto* slider = Place<Slider>(kvor::gui::kStyleCaptureOnPress, 200, 20, 12, 110, false);
    slider->SetValueRange(0, 100, 150);
    EXPECT_EQ(slider->GetValueDef(), 100);
    EXPECT_EQ(slider->GetValueMed(), 50);
    EXPECT_EQ(slider->ScaleValue(0.25f, true), 75);
    EXPECT_EQ(slider->ScaleValue(0.25f, false), 25);
    RecordingControl* listener = Listener();
    slider->AddEventListener(listener, kvor::gui::kEventSliderChanged);
    slider->SetValue(98, false);
    slider->ValueChange(true, 5);
    EXPECT_EQ(slider->GetValue(), 100);
    slider->ValueChange(true, 1);
    slider->SetValue(0, false);
    slider->ValueChange(false, 1);
    EXPECT_EQ(Values(*listener, kvor::gui::kEventSliderChanged), std::vector<int>{100})
        << "one report up to the maximum, none past either end";

    slider->SetValueRange(5, 5, 0);
    EXPECT_EQ(slider->GetUnit(), 1.0f);
    EXPECT_EQ(slider->GetValueDef(), 5);
}

}  // namespace
}  // namespace widgettest
