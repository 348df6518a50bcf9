// The image label on a real server: the image's left part in a narrower
// label, and the values its clicks report.
#include "tests/gui/widgets/WidgetFixture.h"

#include "gui/SDrawBitmap.h"
#include "gui/images/text_logo.h"
#include "gui/widgets/SImageLabel.h"

namespace widgettest {
namespace {

using kvor::gui::SImageLabel;

class ImageLabel : public WidgetTest {};

TEST_F(ImageLabel, ANarrowLabelShowsTheLeftPartOfTheImage)
{
    auto* logo = Place<SImageLabel>(0, 10, 10, 100, 50);
    // Loaded twice: the first image and its device are freed (the leak
    // checker of the sanitizer build would find them otherwise).
    logo->LoadBackground(const_cast<char**>(kvor::images::text_logo), 150, 50);
    logo->LoadBackground(const_cast<char**>(kvor::images::text_logo), 150, 50);
    ASSERT_NE(logo->Bitmap(), nullptr);
    ASSERT_NE(logo->Device(), nullptr);
    ASSERT_EQ(logo->Bitmap()->Width(), 150);
    logo->Show();

    const Picture image(display, logo->Bitmap()->GetPixmap(), 150, 50);
    ASSERT_TRUE(image.Read());
    ASSERT_TRUE(PumpUntil([&] {
        const Picture shown = Shot(*logo);
        for (int y = 0; y < 50; y += 7)
            for (int x = 0; x < 100; x += 3)
                if (shown.At(x, y) != image.At(x, y))
                    return false;
        return true;
    })) << "the label shows columns 0 to 99 of the image";
}

TEST_F(ImageLabel, ClicksReportOneThreeAndTwo)
{
    auto* logo = Place<SImageLabel>(0, 10, 10, 150, 50);
    RecordingControl* listener = Listener();
    logo->AddEventListener(listener, kvor::gui::kEventValueChanged);
    logo->Show();
    Drain();
    Click(*logo, 20, 20, Button3);
    Click(*logo, 20, 20, Button3);
    Click(*logo, 20, 20, Button1);
    Click(*logo, 20, 20, Button2);
    ASSERT_TRUE(PumpUntil([&] { return Values(*listener).size() == 4; }));
    EXPECT_EQ(Values(*listener), (std::vector<int>{3, 3, 1, 2}))
        << "a press and a double click each report once; releases report nothing";
}

}  // namespace
}  // namespace widgettest
