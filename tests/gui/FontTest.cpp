// Fonts: the X core font names a request asks for, what the server gives for
// them, the default font, measuring, and what an unknown name does.
#include <gtest/gtest.h>

#include "tests/gui/ToolkitResources.h"
#include "gui/SDrawFont.h"
#include "tests/gui/Canvas.h"
#include "tests/gui/ToolkitDisplay.h"

#include <X11/Xatom.h>

#include <string>
#include <vector>

namespace tarvenna::test {
namespace {

using kvor::gui::context::SDrawFont;
using kvor::gui::context::SDrawing;
using Names = std::vector<std::string>;

// The full name the server resolved the loaded font to.
std::string ResolvedName(Display* display, const SDrawFont& font)
{
    unsigned long atom = 0;
    if (font.info == nullptr || !XGetFontProperty(font.info, XA_FONT, &atom))
        return "";
    char* name = XGetAtomName(display, atom);
    std::string text = name != nullptr ? name : "";
    XFree(name);
    return text;
}

TEST(FontNames, PixelSizeAddsAQuarterRoundedDown)
{
    EXPECT_EQ(SDrawFont::PixelSize(10), 12);
    EXPECT_EQ(SDrawFont::PixelSize(7), 8);
    EXPECT_EQ(SDrawFont::PixelSize(6), 7);
    EXPECT_EQ(SDrawFont::PixelSize(12), 15);
    EXPECT_EQ(SDrawFont::PixelSize(0), 0);
    EXPECT_EQ(SDrawFont::PixelSize(-3), -4);
}

TEST(FontNames, MiddleSizesAskForHelveticaOfOneSize)
{
    EXPECT_EQ(SDrawFont::CandidateNames(10, true, false, nullptr),
              Names{"-adobe-helvetica-bold-r-*--12-*-*-*-*-*-iso8859-1"});
    EXPECT_EQ(SDrawFont::CandidateNames(7, false, true, nullptr),
              Names{"-adobe-helvetica-medium-o-*--8-*-*-*-*-*-iso8859-1"});
    EXPECT_EQ(SDrawFont::CandidateNames(8, false, false, ""),
              Names{"-adobe-helvetica-medium-r-*--10-*-*-*-*-*-iso8859-1"});
}

TEST(FontNames, SmallSizesAskForTheFixedFontWhateverTheStyle)
{
    const Names fixed{"-misc-fixed-medium-r-*--7-*-*-*-*-*-iso8859-1"};
    EXPECT_EQ(SDrawFont::CandidateNames(6, false, false, nullptr), fixed);
    EXPECT_EQ(SDrawFont::CandidateNames(6, true, true, nullptr), fixed);
    EXPECT_EQ(SDrawFont::CandidateNames(4, false, false, nullptr),
              Names{"-misc-fixed-medium-r-*--5-*-*-*-*-*-iso8859-1"});
}

TEST(FontNames, LargeSizesCountDownToThirteenThenTakeTheBoldThirtyFour)
{
    const Names expected{
        "-adobe-helvetica-medium-r-normal--19-*-*-*-*-*-iso8859-1",
        "-adobe-helvetica-medium-r-normal--18-*-*-*-*-*-iso8859-1",
        "-adobe-helvetica-medium-r-normal--17-*-*-*-*-*-iso8859-1",
        "-adobe-helvetica-medium-r-normal--16-*-*-*-*-*-iso8859-1",
        "-adobe-helvetica-medium-r-normal--15-*-*-*-*-*-iso8859-1",
        "-adobe-helvetica-medium-r-normal--14-*-*-*-*-*-iso8859-1",
        "-adobe-helvetica-medium-r-normal--13-*-*-*-*-*-iso8859-1",
        "-adobe-helvetica-bold-r-normal--34-*-*-*-*-*-iso8859-1",
    };
    EXPECT_EQ(SDrawFont::CandidateNames(12, false, false, nullptr), expected);
    const Names boldItalic = SDrawFont::CandidateNames(11, true, true, nullptr);
    ASSERT_EQ(boldItalic.size(), 6u);
    EXPECT_EQ(boldItalic.front(), "-adobe-helvetica-bold-r-normal--17-*-*-*-*-*-iso8859-1")
        << "italic is ignored from 13 pixels on";
}

TEST(FontNames, AFaceNameMakesTheOnlyCandidate)
{
    EXPECT_EQ(SDrawFont::CandidateNames(10, true, true, "adobe-times"),
              Names{"-adobe-times-bold-i-bold--12-*-*-*-*-*-iso8859-1"});
    EXPECT_EQ(SDrawFont::CandidateNames(10, false, false, "adobe-times"),
              Names{"-adobe-times-medium-r-normal--12-*-*-*-*-*-iso8859-1"});
}

class Fonts : public ToolkitSuite<Fonts> {
public:
    static std::vector<std::string> Screens() { return {"320x240x24"}; }
};

TEST_F(Fonts, TheServerGivesTheSizeAndWeightAskedFor)
{
    SDrawFont bold(10, true, false, false, nullptr);
    ASSERT_TRUE(bold.Loaded());
    EXPECT_NE(bold.fontId, 0u);
    EXPECT_EQ(bold.LoadedName(), "-adobe-helvetica-bold-r-*--12-*-*-*-*-*-iso8859-1");
    const std::string resolved = ResolvedName(display(), bold);
    EXPECT_NE(resolved.find("-Helvetica-Bold-R-"), std::string::npos) << resolved;
    EXPECT_NE(resolved.find("--12-"), std::string::npos) << resolved;

    SDrawFont italic(7, false, true, false, nullptr);
    ASSERT_TRUE(italic.Loaded());
    EXPECT_NE(ResolvedName(display(), italic).find("-Helvetica-Medium-O-"), std::string::npos);

    SDrawFont small(6, true, true, false, nullptr);
    ASSERT_TRUE(small.Loaded());
    EXPECT_NE(ResolvedName(display(), small).find("-Misc-Fixed-Medium-R-"), std::string::npos);
    EXPECT_EQ(small.size, 6);
    EXPECT_EQ(small.bold, 1);
}

TEST_F(Fonts, LargeSizesTakeTheFirstCandidateTheServerHas)
{
    SDrawFont large(12, false, false, false, nullptr);
    ASSERT_TRUE(large.Loaded());
    for (const std::string& name : SDrawFont::CandidateNames(12, false, false, nullptr)) {
        int count = 0;
        char** found = XListFonts(display(), name.c_str(), 1, &count);
        if (found != nullptr)
            XFreeFontNames(found);
        if (count > 0) {
            EXPECT_EQ(large.LoadedName(), name);
            break;
        }
    }
}

// The default handler of X errors ends the process; a host must never lose
// its process to a font the server does not have.
TEST_F(Fonts, AnUnknownNameLeavesAFontThatDrawsNothing)
{
    XErrorCounter errors(display());
    {
        SDrawFont unknown(10, false, false, false, "nosuchfoundry-nosuchfamily");
        EXPECT_FALSE(unknown.Loaded());
        EXPECT_EQ(unknown.fontId, 0u);
        EXPECT_EQ(unknown.Ascent(), 0);

        Canvas canvas(display(), 60, 20);
        SDrawing& drawing = canvas.drawing();
        drawing.SetForegroundColour(false);
        drawing.SetFont(&unknown);
        EXPECT_EQ(drawing.GetFont(), &unknown);
        drawing.DrawText("Tarvenna", 0, 0);
        drawing.DrawLabel("Tarvenna", SDrawing::Rect{0, 0, 60, 20}, 0, SDrawing::Point{0, 0});
        drawing.DrawRotatedText("Tarvenna", SDrawing::Rect{0, 0, 60, 20}, 90, 0,
                                SDrawing::Point{0, 0});
        EXPECT_EQ(canvas.read().countInk(kBlack), 0);
        int w = -1, h = -1;
        SDrawing::GetTextDimensions("Tarvenna", &w, &h, &unknown);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
    }
    EXPECT_EQ(errors.count(), 0);
}

TEST_F(Fonts, TheDefaultFontIsTheServersAndIsNeverUnloaded)
{
    XErrorCounter errors(display());
    {
        SDrawFont standard(true);
        ASSERT_TRUE(standard.Loaded());
        EXPECT_EQ(standard.size, 10);
        EXPECT_EQ(standard.fontId, 0u) << "it belongs to the default context";
        EXPECT_GT(standard.Ascent(), 0);
        EXPECT_STREQ(standard.face.data, "");

        Canvas canvas(display(), 80, 30);
        canvas.drawing().SetFont(&standard);
        canvas.drawing().SetForegroundColour(false);
        canvas.drawing().DrawText("Fixed", 2, 2);
        const Box box = canvas.read().inkBox(kBlack);
        EXPECT_FALSE(box.empty());
        EXPECT_GE(box.y1, 2);
        EXPECT_LE(box.y2, 2 + standard.Ascent() + standard.Descent());
    }
    EXPECT_EQ(errors.count(), 0);
}

TEST_F(Fonts, TextIsMeasuredWithTheFontsExtents)
{
    SDrawFont* font = ToolkitResources().FindFont(10);
    ASSERT_TRUE(font->Loaded());
    int w = -1, h = -1;
    SDrawing::GetTextDimensions("Tarvenna", &w, &h, font);
    EXPECT_EQ(w, XTextWidth(font->info, "Tarvenna", 8));
    EXPECT_EQ(h, font->info->ascent + font->info->descent);
    EXPECT_GT(w, 30);
    SDrawing::GetTextDimensions("", &w, &h, font);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    w = h = -1;
    SDrawing::GetTextDimensions("x", &w, &h, nullptr);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    SDrawing::GetTextDimensions("x", nullptr, &h, font);
    EXPECT_GT(h, 0);
}

TEST_F(Fonts, TheCacheKeepsOneFontPerSizeAndStyle)
{
    const std::size_t before = ToolkitResources().Fonts().Count();
    SDrawFont* plain = ToolkitResources().FindFont(9);
    EXPECT_EQ(ToolkitResources().FindFont(9), plain);
    SDrawFont* bold = ToolkitResources().FindFont(9, true);
    EXPECT_NE(bold, plain);
    EXPECT_EQ(bold->bold, 1);
    EXPECT_EQ(ToolkitResources().FindFont(9, true), bold);
    EXPECT_EQ(ToolkitResources().Fonts().Count(), before + 2);
}

// A server without scaled fonts and only the 75 dpi Helvetica: the sizes a
// large request counts through are really tried in order.
TEST(FontFallback, LargeRequestsSettleOnTheLargestSizeTheServerHas)
{
    ToolkitDisplay server(
        {"320x240x24"}, {"-fp", "/usr/share/fonts/X11/misc/,/usr/share/fonts/X11/75dpi/:unscaled"});
    ASSERT_TRUE(server.ready()) << server.error();
    SDrawFont twelve(12, false, false, false, nullptr);
    EXPECT_EQ(twelve.LoadedName(), "-adobe-helvetica-medium-r-normal--18-*-*-*-*-*-iso8859-1")
        << "19 pixels is not there, 18 is";
    SDrawFont eleven(11, false, false, false, nullptr);
    EXPECT_EQ(eleven.LoadedName(), "-adobe-helvetica-medium-r-normal--14-*-*-*-*-*-iso8859-1")
        << "17, 16 and 15 are not there";
    XErrorCounter errors(server.display());
    SDrawFont none(10, false, false, false, "adobe-nosuchfamily");
    EXPECT_FALSE(none.Loaded());
    EXPECT_EQ(errors.count(), 0);
}

}  // namespace
}  // namespace tarvenna::test
