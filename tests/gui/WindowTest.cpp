// A window's children: identifiers, ownership and deletion order.
#include "tests/gui/GuiFixture.h"

#include <memory>

using namespace guitest;
using namespace kvor::gui;

namespace {

std::vector<unsigned>* deletions = nullptr;

class Child : public SControl {
public:
    Child(SGlobals* globals, SControl* parent, unsigned id)
        : SControl(globals, parent, id, "child", 0, 0, 0, 4, 4, 0, false)
    {
    }
    ~Child() override
    {
        if (deletions != nullptr)
            deletions->push_back(GetId());
    }
};

class WindowTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        deletions = &deleted;
    }
    void TearDown() override
    {
        deletions = nullptr;
        GuiTest::TearDown();
    }
    std::vector<unsigned> deleted;
};

}  // namespace

TEST_F(WindowTest, ChildIdentifiersGiveTheRangeAndTheChildrenStyle)
{
    SWindow window(&globals, nullptr, 1, "window", 0, 0, 0, 50, 50, 0, false);
    EXPECT_EQ(window.LowestChildId(), -1);
    EXPECT_EQ(window.HighestChildId(), -1);
    auto* seven = new Child(&globals, &window, 7);
    auto* three = new Child(&globals, &window, 3);
    window.Add(seven);
    window.Add(three);
    window.Add(nullptr);
    window.Add(seven);  // already there
    EXPECT_EQ(window.Children().size(), 2u);
    EXPECT_EQ(window.LowestChildId(), 3);
    EXPECT_EQ(window.HighestChildId(), 7);
    EXPECT_EQ(window.GetStyle() & kStyleHasChildren, kStyleHasChildren);
    EXPECT_TRUE(window.IsSubcontrol(3u));
    EXPECT_FALSE(window.IsSubcontrol(4u));
    EXPECT_TRUE(window.IsSubcontrol(static_cast<int>(window.GetWindow())));

    window.Remove(seven, true);
    EXPECT_EQ(deleted, (std::vector<unsigned>{7}));
    EXPECT_EQ(window.HighestChildId(), 3);
    window.Remove(three, true);
    EXPECT_TRUE(window.Children().empty());
    EXPECT_EQ(window.GetStyle() & kStyleHasChildren, 0);
    EXPECT_EQ(window.LowestChildId(), -1);
}

TEST_F(WindowTest, TheWindowDeletesItsChildrenLastToFirst)
{
    {
        SWindow window(&globals, nullptr, 1, "window", 0, 0, 0, 50, 50, 0, false);
        for (unsigned id : {10u, 20u, 30u})
            window.Add(new Child(&globals, &window, id));
    }
    EXPECT_EQ(deleted, (std::vector<unsigned>{30, 20, 10}));
}

TEST_F(WindowTest, AChildDeletedDirectlyLeavesTheList)
{
    SWindow window(&globals, nullptr, 1, "window", 0, 0, 0, 50, 50, 0, false);
    auto* child = new Child(&globals, &window, 5);
    window.Add(child);
    window.Add(new Child(&globals, &window, 6));
    delete child;
    ASSERT_EQ(window.Children().size(), 1u);
    EXPECT_EQ(window.Children()[0].identifier, 6u);
    EXPECT_EQ(window.LowestChildId(), 6);
}

TEST_F(WindowTest, RemoveFindsTheChildItselfEvenWhenIdentifiersRepeat)
{
    SWindow window(&globals, nullptr, 1, "window", 0, 0, 0, 50, 50, 0, false);
    auto* first = new Child(&globals, &window, 0);
    auto* second = new Child(&globals, &window, 0);
    window.Add(first);
    window.Add(second);
    window.Remove(second, true);
    ASSERT_EQ(window.Children().size(), 1u);
    EXPECT_EQ(window.Children()[0].control, first);
}

TEST_F(WindowTest, RemoveWithoutDestroyHandsOwnershipBack)
{
    auto kept = std::make_unique<Child>(&globals, nullptr, 9);
    {
        SWindow window(&globals, nullptr, 1, "window", 0, 0, 0, 50, 50, 0, false);
        window.Add(kept.get());
        window.Remove(kept.get(), false);
    }
    EXPECT_TRUE(deleted.empty());
}

TEST_F(WindowTest, EnablingAndModifiersReachEveryChild)
{
    SWindow window(&globals, nullptr, 1, "window", 0, 0, 0, 50, 50, 0, false);
    auto* child = new Child(&globals, &window, 2);
    window.Add(child);
    window.EnableChildren(false);
    EXPECT_EQ(child->GetState() & kStateEnabled, 0);
    window.EnableChildren(true);
    EXPECT_EQ(child->GetState() & kStateEnabled, kStateEnabled);

    window.KeyStateSet(ShiftMask | Mod1Mask);
    window.UpdateModifiers(0, false);
    EXPECT_EQ(child->KeyStateGet(), ShiftMask | Mod1Mask);
    EXPECT_TRUE(child->MouseState()[context::kMouseShift]);
    EXPECT_TRUE(child->MouseState()[context::kMouseAlt]);
    EXPECT_FALSE(child->MouseState()[context::kMouseControl]);
}

TEST_F(WindowTest, MenuIsAChildShownOnceAndClosed)
{
    SWindow window(&globals, nullptr, 1, "window", 0, 0, 0, 50, 50, 0, false);
    window.Show();
    auto* menu = new SWindow(&globals, &window, 2, "menu", 0, 0, 0, 10, 10, 0, false);
    window.SetMenu(menu);
    EXPECT_EQ(window.GetMenu(), menu);
    EXPECT_EQ(window.Children().size(), 1u);
    window.ShowMenu({3, 4});
    EXPECT_TRUE(window.MenuShown());
    EXPECT_TRUE(menu->IsShown());
    EXPECT_EQ(menu->GetOuter().x1, 3);
    window.CloseMenu();
    EXPECT_FALSE(window.MenuShown());
    EXPECT_FALSE(menu->IsShown());
    auto* other = new SWindow(&globals, &window, 3, "other", 0, 0, 0, 10, 10, 0, false);
    window.SetMenu(other);
    EXPECT_EQ(window.Children().size(), 1u);
    EXPECT_EQ(window.GetMenu(), other);
}

TEST_F(WindowTest, CleanUpRunsOnceAndDestroyLeavesNoWindow)
{
    RecordingControl control(&globals, nullptr, 1, 0, 0, 0, 10, 10);
    control.CreateTimer(1000, false);
    control.CleanUp();
    EXPECT_TRUE(control.IsReleasing());
    EXPECT_EQ(control.GetTimer(), nullptr);
    EXPECT_EQ(control.GetInput(), nullptr);
    EXPECT_EQ(control.GetDevice(), nullptr);
    control.CleanUp();
    control.Destroy();
    EXPECT_EQ(control.GetWindow(), 0u);
    control.Refresh();  // nothing to send to
}

TEST_F(WindowTest, LoopRunsUntilStopForAPopup)
{
    SWindow popup(&globals, nullptr, 1, "popup", kStylePopup, 0, 0, 10, 10, 0, false);
    std::thread stopper([&popup] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        popup.Stop();
        // Loop waits in XNextEvent; an event wakes it to see the flag.
        Display* other = XOpenDisplay(DisplayString(TestDisplay()));
        XEvent wake{};
        wake.xclient.type = ClientMessage;
        wake.xclient.window = popup.GetWindow();
        wake.xclient.message_type = XInternAtom(other, "WM_MENU_LEFT", False);
        wake.xclient.format = 32;
        XSendEvent(other, popup.GetWindow(), False, StructureNotifyMask, &wake);
        XCloseDisplay(other);
    });
    EXPECT_EQ(popup.Loop(), 0);
    stopper.join();
    EXPECT_FALSE(popup.IsRunning());
}

TEST_F(WindowTest, MaximizeKeepsItsStateBit)
{
    SWindow window(&globals, nullptr, 1, "window", 0, 0, 0, 10, 10, 0, false);
    window.WindowMaximize(false);
    EXPECT_EQ(window.GetState() & kStateNotMaximized, kStateNotMaximized);
    window.WindowMaximize(true);
    EXPECT_EQ(window.GetState() & kStateNotMaximized, 0);
}
