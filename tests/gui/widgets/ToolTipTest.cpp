// Tooltips on a real server: the layout of a tip from its text, the tip
// opening beside a control when the pointer enters it and closing when it
// leaves the control or the tip, the other side near each of the display's
// edges, and the switch.
#include "tests/gui/widgets/WidgetFixture.h"

#include "gui/SDrawFont.h"
#include "gui/SDrawObject.h"
#include "gui/widgets/SLabel.h"
#include "gui/widgets/SToolTip.h"
#include "gui/widgets/SToolTipData.h"

namespace widgettest {
namespace {

using kvor::gui::SToolTip;
using kvor::gui::SToolTipData;
using Label = kvor::gui::SLabel<false>;

class ToolTips : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        if (host == nullptr)
            return;
        tip = new SToolTip(host, true);
        tip->SetColours(Colour(24), Colour(24), Colour(24), Colour(0), Colour(0), Colour(0),
                        Colour(0));
        tip->textColour = Colour(0);
        tip->titleColour = Colour(2);
        tip->arrowColour = Colour(4);
        tip->roundShape = 1;
        tip->secondLineBold = 1;
    }

    bool Mapped(const SControl& control)
    {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display, control.GetWindow(), &attributes) != 0 &&
               attributes.map_state == IsViewable;
    }

    int TextWidth(const char* text)
    {
        return XTextWidth(tip->NormalFont()->info, text, static_cast<int>(std::strlen(text)));
    }
    int LineHeight() { return tip->NormalFont()->Ascent() + tip->NormalFont()->Descent(); }

    SToolTip* tip = nullptr;
};

TEST_F(ToolTips, ATipIsLaidOutFromItsText)
{
    ASSERT_TRUE(tip->NormalFont()->Loaded());
    const int w = TextWidth("Send");
    const int h = LineHeight();
    SToolTipData above(tip, nullptr, kvor::gui::kTipAbove);
    above.AddLabel("Send", 0);
    EXPECT_EQ(above.LabelWidth(), w + 48);
    EXPECT_EQ(above.LabelHeight(), h + 20);
    ASSERT_EQ(above.Objects().size(), 1u);
    EXPECT_EQ(above.Objects()[0]->rectangle, (Rect{24, 6, 24 + w, 6 + h + 4}));
    SToolTipData right(tip, nullptr, kvor::gui::kTipRight);
    right.AddLabel("Send", 0);
    EXPECT_EQ(right.Objects()[0]->rectangle.x1, 28);

    // Three measured lines, the empty one as high as the first; the empty
    // line gets no object. The first is in the title colour, the second
    // bold.
    SToolTipData lines(tip, nullptr, kvor::gui::kTipAbove);
    lines.AddLabel("Action:\n\nSend Midi Panic", 0);
    EXPECT_EQ(lines.LabelHeight(), 3 * h + 20);
    EXPECT_EQ(lines.LabelWidth(), TextWidth("Send Midi Panic") + 48);
    ASSERT_EQ(lines.Objects().size(), 2u);
    const auto* first = static_cast<kvor::gui::context::STextObjectX*>(lines.Objects()[0]);
    const auto* second = static_cast<kvor::gui::context::STextObjectX*>(lines.Objects()[1]);
    EXPECT_EQ(first->textColour, Colour(2));
    EXPECT_EQ(second->textColour, Colour(0));
    EXPECT_EQ(second->font, tip->BoldFont());
    EXPECT_EQ(lines.ContentHeight(), 3 * h + 4);
}

TEST_F(ToolTips, EnteringAControlWithTipsOnOpensItsTipBesideItAndLeavingClosesIt)
{
    Label* label = Place<Label>(0, 150, 120, 60, 20, false);
    label->SetTooltip(tip, "Option:\nMidi Through", kvor::gui::kTipAbove);
    label->Show();
    Drain();
    MoveTo(*label, 30, 10);
    Drain();
    EXPECT_FALSE(tip->IsOpen()) << "tips start off";
    MoveTo(*host, 5, 5);
    Drain();

    tip->EnableTooltips(true);
    EXPECT_TRUE(label->GetState() & kvor::gui::kStateTooltips);
    MoveTo(*label, 30, 10);
    ASSERT_TRUE(PumpUntil([&] { return tip->IsOpen() && Mapped(*tip); }));
    const auto& data = *static_cast<SToolTipData*>(label->GetTooltipData());
    const int tipWidth = data.ContentWidth() + 48;
    const int tipHeight = data.ContentHeight() + 16;
    EXPECT_EQ(tip->GetClient().Width(), tipWidth);
    EXPECT_EQ(tip->GetClient().Height(), tipHeight);
    const Point control = Origin(*label);
    const Point opened = Origin(*tip);
    EXPECT_EQ(opened.y, control.y - tipHeight - 3) << "above the control";
    const int spare = 60 - tipWidth;  // negative: the tip is wider
    EXPECT_EQ(opened.x, control.x + (spare >= 0 ? spare / 2 : -((1 - spare) / 2)));
    ASSERT_TRUE(PumpUntil([&] {
        return Shot(*tip).Count(Pixel(4), Rect{tipWidth / 2 - 3, tipHeight - 6, tipWidth / 2 + 4,
                                               tipHeight}) > 5;
    })) << "the red arrow at the bottom edge points at the control";
    EXPECT_GT(Shot(*tip).Count(Pixel(2)), 10) << "the first line in orange";

    MoveTo(*host, 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return !tip->IsOpen() && !Mapped(*tip); }));

    // A tip the pointer has gone into closes when the pointer leaves it.
    const Point inHost = Origin(*host);
    tip->Open(static_cast<SToolTipData*>(label->GetTooltipData()),
              Point{inHost.x + 200, inHost.y + 200});
    ASSERT_TRUE(PumpUntil([&] { return Mapped(*tip); }));
    MoveTo(*tip, 20, 10);
    Drain();
    EXPECT_TRUE(tip->IsOpen());
    MoveTo(*host, 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return !tip->IsOpen() && !Mapped(*tip); }));
}

// At the right, left and bottom edges of the screen the tip goes to the
// opposite side of its control.
TEST_F(ToolTips, AtEveryEdgeOfTheDisplayTheTipOpensOnTheOtherSide)
{
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    struct Edge {
        int x, y, placement;
    };
    for (const Edge edge :
         {Edge{width - 60, 300, kvor::gui::kTipRight}, Edge{0, 300, kvor::gui::kTipLeft},
          Edge{300, height - 20, kvor::gui::kTipBelow}}) {
        auto* control =
            new Label(&globals, nullptr, NextId(), "edge", 0, edge.x, edge.y, 60, 20, 0, false);
        control->SetTooltip(tip, "Display:\nNode ID", edge.placement);
        tip->EnableTooltips(true);
        control->Show();
        Drain();
        MoveTo(*control, 30, 10);
        ASSERT_TRUE(PumpUntil([&] { return tip->IsOpen(); })) << edge.placement;
        EXPECT_TRUE(tip->Flipped()) << edge.placement;
        const Point beside = Origin(*control);
        const Point opened = Origin(*tip);
        if (edge.placement == kvor::gui::kTipRight)
            EXPECT_EQ(opened.x, beside.x - tip->GetClient().Width() - 3);
        else if (edge.placement == kvor::gui::kTipLeft)
            EXPECT_EQ(opened.x, beside.x + 60 + 3);
        else
            EXPECT_EQ(opened.y, beside.y - tip->GetClient().Height() - 3);
        MoveTo(*host, 5, 5);
        ASSERT_TRUE(PumpUntil([&] { return !tip->IsOpen(); }));
        delete control;
        XSync(display, True);
    }
}

TEST_F(ToolTips, AtTheTopOfTheDisplayTheTipOpensBelowAndTheSwitchTogglesEveryControl)
{
    // A control at the very top of the screen, outside the host window.
    auto* top = new Label(&globals, nullptr, NextId(), "top", 0, 300, 0, 60, 20, 0, false);
    top->SetTooltip(tip, "Display:\nNode ID", kvor::gui::kTipAbove);
    Label* other = Place<Label>(0, 10, 10, 20, 20, false);
    other->SetTooltip(tip, "Other", kvor::gui::kTipRight);
    tip->ToggleTooltips();
    EXPECT_EQ(tip->SwitchColour(), Colour(4));
    top->Show();
    Drain();
    MoveTo(*top, 30, 10);
    ASSERT_TRUE(PumpUntil([&] { return tip->IsOpen(); }));
    EXPECT_TRUE(tip->Flipped());
    EXPECT_EQ(Origin(*tip).y, 20 + 3) << "below the control";
    ASSERT_TRUE(PumpUntil([&] {
        const int w = tip->GetClient().Width();
        return Shot(*tip).Count(Pixel(4), Rect{w / 2 - 3, 0, w / 2 + 4, 6}) > 5;
    })) << "the arrow on the top edge";
    MoveTo(*host, 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return !tip->IsOpen(); }));

    tip->ToggleTooltips();
    EXPECT_EQ(tip->SwitchColour(), Colour(10));
    EXPECT_FALSE(top->GetState() & kvor::gui::kStateTooltips);
    EXPECT_FALSE(other->GetState() & kvor::gui::kStateTooltips);
    EXPECT_EQ(tip->Controls().size(), 2u);
    delete top;
    EXPECT_EQ(tip->Controls().size(), 1u) << "a control that goes leaves the tip";
    // What is still queued concerns the window that went.
    XSync(display, True);
}

}  // namespace
}  // namespace widgettest
