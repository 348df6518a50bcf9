// The info box in this process: its layout for a text and a title, the one
// box every call reuses, its OK button, calls from several threads, and
// the box on the module's own connection that nobody else reads.
#include "tests/gui/widgets/WidgetFixture.h"

#include "gui/SConnectionPump.h"
#include "gui/SDrawFont.h"
#include "gui/widgets/SButton.h"
#include "gui/widgets/SInfo.h"
#include "gui/widgets/SLabel.h"
#include "gui/widgets/SMessageDialog.h"
#include "tests/support/ProcessThreads.h"

#include <cstring>
#include <string>
#include <thread>

namespace widgettest {
namespace {

using kvor::gui::SConnectionPump;
using kvor::gui::SInfo;
using kvor::gui::SInfoDialog;
using kvor::gui::SMessageDialog;

const char kFailure[] = "Failed to load plugin\n(Reason: Host not supported (Usine))";

class InfoBox : public WidgetTest {
protected:
    static int Width(kvor::gui::context::SDrawFont* font, const char* text)
    {
        return XTextWidth(font->info, text, static_cast<int>(std::strlen(text)));
    }

    bool Mapped(unsigned long window)
    {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display, window, &attributes) != 0 &&
               attributes.map_state == IsViewable;
    }

    std::string WindowName(unsigned long window)
    {
        char* text = nullptr;
        std::string name;
        if (XFetchName(display, window, &text) && text != nullptr) {
            name = text;
            XFree(text);
        }
        return name;
    }

    // The picture of a box: black 10-pixel bands along the edges and the
    // slate ground inside.
    bool Painted(SMessageDialog& box)
    {
        const int w = box.GetClient().Width();
        const int h = box.GetClient().Height();
        const Picture picture = Shot(box);
        return picture.At(5, h / 2) == Pixel(20) && picture.At(w - 5, h / 2) == Pixel(20) &&
               picture.At(w / 2, h - 5) == Pixel(20) && picture.At(14, h - 15) == Pixel(24);
    }
};

TEST_F(InfoBox, TheLayoutFollowsTheTextAndOneBoxServesEveryCall)
{
    SInfo("", "");
    SMessageDialog* box = SInfoDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetClient(), (Rect{0, 0, 64, 128}));
    EXPECT_EQ(box->OkButton()->GetOuter().x1, 12);
    EXPECT_EQ(box->OkButton()->GetOuter().y1, 88);
    ASSERT_TRUE(PumpUntil([&] { return Mapped(box->GetWindow()) && Painted(*box); }));

    const unsigned long window = box->GetWindow();
    SInfo(kFailure, "Tarvenna");
    EXPECT_EQ(SInfoDialog(), box) << "the same box again";
    EXPECT_EQ(box->GetWindow(), window);
    EXPECT_STREQ(box->MessageText().data, kFailure);
    EXPECT_EQ(WindowName(window), "Tarvenna");

    const int widest = std::max(Width(box->MessageFont(), "Failed to load plugin"),
                                Width(box->MessageFont(), "(Reason: Host not supported (Usine))"));
    const int w = std::max(widest, Width(box->TitleFont(), "Tarvenna"));
    const int h = 2 * (box->MessageFont()->Ascent() + box->MessageFont()->Descent());
    EXPECT_EQ(box->GetClient(), (Rect{0, 0, w + 64, h + 128}));
    EXPECT_EQ(box->MessageLabel()->GetClient(), (Rect{0, 0, w + 44, h + 38}));
    EXPECT_EQ(box->TitleLabel()->GetClient(), (Rect{0, 0, w + 44, 20}));
    EXPECT_EQ(box->OkButton()->GetOuter().x1, (w + 64) / 2 - 20);
    EXPECT_EQ(box->OkButton()->GetOuter().y1, h + 88);
    // Centred on the 1280 x 1024 screen.
    EXPECT_EQ(Origin(*box).x, (1280 - w - 64) / 2);
    EXPECT_EQ(Origin(*box).y, (1024 - h - 128) / 2);
    ASSERT_TRUE(PumpUntil([&] { return Painted(*box); }));
}

TEST_F(InfoBox, OkHidesTheBoxAndTheNextCallShowsItAgain)
{
    SInfo(kFailure, "Tarvenna");
    SMessageDialog* box = SInfoDialog();
    ASSERT_TRUE(PumpUntil([&] { return Mapped(box->GetWindow()) && Painted(*box); }));
    Click(*box->OkButton(), 20, 10);
    ASSERT_TRUE(PumpUntil([&] { return !Mapped(box->GetWindow()); }));
    EXPECT_FALSE(box->IsShownDialog());
    EXPECT_EQ(box->OkButton()->GetValue(), 0) << "the button is not left pressed";

    SInfo("Failed to load bank", "Tarvenna");
    ASSERT_TRUE(PumpUntil([&] { return Mapped(box->GetWindow()) && Painted(*box); }));
    Click(*box->OkButton(), 20, 10);
    ASSERT_TRUE(PumpUntil([&] { return !Mapped(box->GetWindow()); })) << "OK answers again";
}

TEST_F(InfoBox, CallsFromSeveralThreadsTakeTurns)
{
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t)
        callers.emplace_back([t] {
            for (int i = 0; i < 5; ++i) {
                const std::string text = "Failed to load program\nthread " + std::to_string(t) +
                                         " call " + std::to_string(i);
                SInfo(text.c_str(), "Tarvenna");
            }
        });
    for (std::thread& caller : callers)
        caller.join();
    SMessageDialog* box = SInfoDialog();
    ASSERT_NE(box, nullptr);
    const std::string shown = box->MessageText().data;
    EXPECT_EQ(shown.find("Failed to load program\nthread "), 0u) << shown;
    const int w = std::max(Width(box->MessageFont(), "Failed to load program"),
                           Width(box->MessageFont(), shown.substr(shown.find('\n') + 1).c_str()));
    EXPECT_EQ(box->GetClient().Width(), std::max(w, Width(box->TitleFont(), "Tarvenna")) + 64)
        << "laid out for the text it shows";
    ASSERT_TRUE(PumpUntil([&] { return Mapped(box->GetWindow()) && Painted(*box); }));
}

// Before any editor is opened the box lives on the module's own connection;
// nothing in the test reads its events, the pump does.
TEST_F(InfoBox, OnTheModulesOwnConnectionThePumpPaintsTheBoxAndAnswersOk)
{
    SConnectionPump& pump = SConnectionPump::ModuleConnection();
    Display* own = XOpenDisplay(DisplayString(display));
    ASSERT_NE(own, nullptr);
    Display* savedOwn = dps;
    dps = own;
    dp = nullptr;
    const int threadsBefore = tarvenna::test::ThreadsOfProcess();

    SInfo(kFailure, "Tarvenna");
    SMessageDialog* box = SInfoDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetDisplay(), own) << "made anew on that connection";
    // What the test's connection still holds concerns the box that went.
    XSync(display, True);
    EXPECT_TRUE(pump.IsRunning());
    const auto looks = [&](auto condition) {
        return tarvenna::test::WaitUntil(condition, std::chrono::seconds(2));
    };
    EXPECT_TRUE(looks([&] { return Mapped(box->GetWindow()) && Painted(*box); }));

    MoveTo(*box->OkButton(), 20, 10);
    PressButton(Button1, true);
    PressButton(Button1, false);
    EXPECT_TRUE(looks([&] { return !Mapped(box->GetWindow()); }));
    EXPECT_TRUE(looks([&] { return !pump.IsRunning(); })) << "no window needs it any more";
    EXPECT_TRUE(looks([&] { return tarvenna::test::ThreadsOfProcess() == threadsBefore; }));

    // Back on the test's display: the box is made there again, before the
    // connection it lived on goes.
    dp = display;
    SInfo("", "");
    EXPECT_EQ(SInfoDialog()->GetDisplay(), display);
    EXPECT_FALSE(pump.IsRunning());
    dps = savedOwn;
    XCloseDisplay(own);
}

}  // namespace
}  // namespace widgettest
