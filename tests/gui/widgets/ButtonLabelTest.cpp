// Labels and buttons on a real server: what real clicks report, and the
// colours their text takes in the picture.
#include "tests/gui/widgets/WidgetFixture.h"

#include "gui/SDrawFont.h"
#include "gui/widgets/SButton.h"
#include "gui/widgets/SLabel.h"

namespace widgettest {
namespace {

using ButtonWidget = kvor::gui::SButton<false>;
using Label = kvor::gui::SLabel<false>;

class ButtonsAndLabels : public WidgetTest {
protected:
    // A button as the panel makes them: white text, grey when disabled,
    // black when on; slate ground, orange when on.
    ButtonWidget* MakeButton(int type, RecordingControl* listener, int y = 20)
    {
        auto* button = Place<ButtonWidget>(kvor::gui::kStyleSubclass, 20, y, 80, 24, false);
        button->SetColours(Colour(24), Colour(2), Colour(26), Colour(0), Colour(0), Colour(0),
                           Colour(0));
        button->SetLabel("Send", tarvenna::test::ToolkitResources().FindFont(8), 0);
        button->SetLabelColours(Colour(0), Colour(19));
        button->SetLabelColourActive(Colour(20));
        button->SetType(type);
        button->SetHoverColours(Colour(0), Colour(0));
        if (listener != nullptr)
            button->AddEventListener(listener, kvor::gui::kEventValueChanged);
        button->Show();
        Drain();
        return button;
    }
};

TEST_F(ButtonsAndLabels, AToggleReportsOneThenZeroAndAPushButtonReportsOneOnce)
{
    RecordingControl* toggleListener = Listener();
    ButtonWidget* toggle = MakeButton(4, toggleListener);
    Click(*toggle, 40, 12);
    ASSERT_TRUE(PumpUntil([&] { return Values(*toggleListener).size() == 1; }));
    EXPECT_EQ(toggle->GetValue(), 1);
    Click(*toggle, 40, 12);
    ASSERT_TRUE(PumpUntil([&] { return Values(*toggleListener).size() == 2; }));
    EXPECT_EQ(Values(*toggleListener), (std::vector<int>{1, 0}));
    EXPECT_EQ(toggle->GetValue(), 0);

    RecordingControl* pushListener = Listener();
    ButtonWidget* push = MakeButton(2, pushListener, 60);
    Click(*push, 40, 12);
    ASSERT_TRUE(PumpUntil([&] { return Values(*pushListener).size() == 1; }));
    EXPECT_EQ(Values(*pushListener), std::vector<int>{1});
    EXPECT_TRUE(PumpUntil([&] { return push->GetValue() == 0; }));
    Drain();
    EXPECT_EQ(Values(*pushListener).size(), 1u) << "the return to 0 is not reported";

    // Pressed, then dragged out before the release: back to 0 on the way
    // out, and nothing more at the release.
    MoveTo(*push, 40, 12);
    Drain();
    PressButton(Button1, true);
    ASSERT_TRUE(PumpUntil([&] { return push->GetValue() == 1; }));
    MoveTo(*host, 5, 5);
    EXPECT_TRUE(PumpUntil([&] { return push->GetValue() == 0; }));
    PressButton(Button1, false);
    Drain();
    EXPECT_EQ(push->GetValue(), 0);
    EXPECT_EQ(Values(*pushListener), (std::vector<int>{1, 1}));

    // From the program: reported only when asked, nothing when unchanged.
    EXPECT_TRUE(push->SetValue(1, false));
    EXPECT_FALSE(push->SetValue(1, false));
    Drain();
    EXPECT_EQ(Values(*pushListener).size(), 2u);
}

// Window ids are unique per server only: a press that names the button's
// window but comes from another connection is not the button's.
TEST_F(ButtonsAndLabels, AnEventFromAnotherConnectionDoesNotReachTheWindowOfThatId)
{
    ButtonWidget* toggle = MakeButton(4, nullptr);
    Display* other = XOpenDisplay(guitest::TestServer().server->Name().c_str());
    ASSERT_NE(other, nullptr);
    XEvent press{};
    press.xbutton = {ButtonPress, 0, False,       other,   toggle->GetWindow(),
                     0,           0, CurrentTime, 40,      12,
                     0,           0, 0,           Button1, True};
    SControl::eventProc(&press);
    EXPECT_EQ(toggle->GetValue(), 0);
    press.xbutton.display = display;
    SControl::eventProc(&press);
    EXPECT_EQ(toggle->GetValue(), 1) << "from its own connection it is";
    XCloseDisplay(other);
}

TEST_F(ButtonsAndLabels, TextTakesTheEnabledActiveAndDisabledColours)
{
    ButtonWidget* button = MakeButton(4, nullptr);
    const Rect inside{4, 4, 76, 20};
    Picture off = Shot(*button);
    ASSERT_TRUE(off.Read());
    EXPECT_GT(off.Count(Pixel(0), inside), 10) << "white text at 0";
    EXPECT_GT(off.Count(Pixel(24), inside), 500) << "slate ground at 0";
    EXPECT_EQ(off.Count(Pixel(20), inside), 0);

    button->SetValue(1, false);
    ASSERT_TRUE(PumpUntil([&] { return Shot(*button).Count(Pixel(2), inside) > 500; }));
    Picture on = Shot(*button);
    EXPECT_GT(on.Count(Pixel(20), inside), 10) << "black text at 1";
    EXPECT_EQ(on.Count(Pixel(0), inside), 0);

    button->SetValue(0, false);
    button->Enable(false);
    ASSERT_TRUE(PumpUntil([&] { return Shot(*button).Count(Pixel(19), inside) > 10; }));
    EXPECT_EQ(Shot(*button).Count(Pixel(0), inside), 0) << "grey text when disabled";

    auto* label = Place<Label>(0, 120, 20, 80, 24, false);
    label->SetColours(Colour(24), Colour(24), Colour(26), Colour(0), Colour(0), Colour(0),
                      Colour(0));
    label->SetLabel("ID:  07", tarvenna::test::ToolkitResources().FindFont(8), 0);
    label->SetLabelColours(Colour(0), Colour(19));
    label->Show();
    ASSERT_TRUE(PumpUntil([&] { return Shot(*label).Count(Pixel(0)) > 10; }));
    label->Enable(false);
    ASSERT_TRUE(PumpUntil([&] { return Shot(*label).Count(Pixel(19)) > 10; }));
    EXPECT_EQ(Shot(*label).Count(Pixel(0)), 0);
}

TEST_F(ButtonsAndLabels, LinesAreMeasuredAndPlacedAndPressesAreReported)
{
    auto* label = Place<Label>(0, 20, 60, 120, 60, false);
    label->SetLabel("ignored");
    EXPECT_EQ(label->GetLabel().data, std::string()) << "no font, no text";

    kvor::gui::context::SDrawFont* font = tarvenna::test::ToolkitResources().FindFont(8);
    label->SetLabel("a\nbb", font, 0);
    const int widthA = XTextWidth(font->info, "a", 1);
    const int widthB = XTextWidth(font->info, "bb", 2);
    const int lineHeight = font->Ascent() + font->Descent();
    EXPECT_EQ(label->TextWidth(), std::max(widthA, widthB));
    EXPECT_EQ(label->TextHeight(), 2 * lineHeight);
    // Centred: two equal bands in the middle of the label.
    const int x = (120 - label->TextWidth()) / 2;
    const int y = (60 - 2 * lineHeight) / 2;
    EXPECT_EQ(label->LineRectangles(),
              (std::vector<Rect>{{x, y, x + label->TextWidth(), y + lineHeight},
                                 {x, y + lineHeight, x + label->TextWidth(), y + 2 * lineHeight}}));
    label->SetAlignment(kvor::gui::kLabelBottomRight | kvor::gui::kLabelKeepVertical);
    EXPECT_EQ(label->LineRectangles().back().y2, 60);
    EXPECT_EQ(label->LineRectangles().back().x2, 120);

    RecordingControl* listener = Listener();
    label->AddEventListener(listener, kvor::gui::kEventValueChanged);
    label->Show();
    Drain();
    Click(*label, 10, 10, Button3);
    Click(*label, 10, 10, Button2);
    ASSERT_TRUE(PumpUntil([&] { return Values(*listener).size() == 2; }));
    EXPECT_EQ(Values(*listener), (std::vector<int>{3, 2}));
}

}  // namespace
}  // namespace widgettest
