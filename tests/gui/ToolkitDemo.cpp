// A small window of the toolkit: shapes, text in the panel's two small
// fonts, a turned caption, pixel digits, the logo and the arrow cursor.
//
//   gui_demo                 opens the window on $DISPLAY until it is closed
//   gui_demo picture.png     draws it once and saves what the window shows
//
// The pointer is not part of a window's picture, so the arrow is also
// drawn, enlarged, from the cursor's own bitmaps.
#include "gui/SGlobals.h"
#include "tests/gui/ToolkitResources.h"
#include "gui/SCursor.h"
#include "gui/SDrawFont.h"
#include "gui/SWindow.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawing.h"
#include "gui/images/text_logo.h"
#include "host/PngWriter.h"
#include "host/WindowCapture.h"
#include "gui/Connections.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <memory>
#include <string>

using tarvenna::test::ToolkitResources;

namespace {

using kvor::gui::SCursor;
using kvor::gui::SWindow;
using kvor::gui::context::SDrawBitmap;
using kvor::gui::context::SDrawing;
using kvor::gui::context::SDrawMemoryDevice;
using Rect = SDrawing::Rect;
using Point = SDrawing::Point;

constexpr int kWidth = 360;
constexpr int kHeight = 250;

class DemoWindow : public SWindow {
public:
    explicit DemoWindow(SGlobals* globals)
        : SWindow(globals, nullptr, 1, "Tarvenna toolkit", 0x200 | 0x20000, 40, 40, kWidth, kHeight,
                  0, false),
          logo(kvor::images::text_logo, 150, 50, false)
    {
    }

    void Draw(const Rect& area) override
    {
        SDrawing* d = GetDevice();
        d->SetColours(Colour(26), Colour(26), Colour(26), Colour(0), Colour(0), Colour(0),
                      Colour(0));
        d->DrawBackground(area, false);
        DrawLogo(*d);
        DrawShapes(*d);
        DrawTexts(*d);
        DrawDigits(*d);
        DrawArrow(*d, 340, 160);
        drawn = true;
    }

    bool drawn = false;

private:
    static int Colour(int slot) { return ToolkitResources().Colour(slot); }

    void DrawLogo(SDrawing& d)
    {
        SDrawMemoryDevice memory(d.GetDevice(), &logo);
        d.DrawMemory(&memory, Point{10, 10}, Rect{0, 0, logo.Width(), logo.Height()});
    }

    void DrawShapes(SDrawing& d)
    {
        d.SetPen(ToolkitResources().FindPen(Colour(2)));
        d.DrawRect(175, 12, 215, 52);
        d.SetBrush(ToolkitResources().FindBrush(Colour(3)));
        d.FillRect(222, 12, 262, 52);
        d.SetBrush(ToolkitResources().FindBrush(Colour(19)));
        d.FillRoundedRect(269, 12, 309, 52, 10, 10);
        d.SetPen(ToolkitResources().FindPen(Colour(22)));
        d.DrawEllipse(316, 12, 350, 52);
        d.SetBrush(ToolkitResources().FindBrush(Colour(2)));
        d.FillPie(175, 60, 215, 100, 30, 300);
        d.SetBrush(ToolkitResources().FindBrush(Colour(13)));
        d.FillChord(222, 60, 262, 100, 0, 180);
        const Point star[] = {{289, 60}, {299, 100}, {269, 75}, {309, 75}, {279, 100}};
        d.SetBrush(ToolkitResources().FindBrush(Colour(1)));
        d.FillPoly(star, 5);
        d.SetPen(ToolkitResources().FindPen(Colour(11)));
        const Point zigzag[] = {{316, 100}, {324, 62}, {332, 100}, {340, 62}, {348, 100}};
        d.DrawPoly(zigzag, 5);
    }

    void DrawTexts(SDrawing& d)
    {
        d.SetFont(ToolkitResources().FindFont(7));
        d.SetTextColour(Colour(0), false);
        d.DrawText("Size 7: Send  Receive  Thru  Panic", 10, 70);
        d.SetFont(ToolkitResources().FindFont(8));
        d.SetTextColour(Colour(18), false);
        d.DrawText("Size 8: Nodes  Port 1 - 8  MIDI In / Out", 10, 88);
        d.SetFont(ToolkitResources().FindFont(8, true));
        d.SetTextColour(Colour(2), false);
        d.DrawLabelRect("", Rect{10, 110, 160, 130}, Colour(24), Point{0, 0});
        d.SetForegroundColour(false);
        d.DrawLabel("centred label", Rect{10, 110, 160, 130}, 0, Point{0, 0});
        d.SetTextColour(Colour(2), false);
        d.DrawRotatedText("Tarvenna", Rect{165, 110, 185, 240}, 90, 0, Point{0, 0});
        d.SetTextColour(Colour(21), false);
        d.DrawRotatedText("turned", Rect{190, 120, 270, 200}, 30, 0, Point{0, 0});
    }

    void DrawDigits(SDrawing& d)
    {
        d.SetPen(ToolkitResources().FindPen(Colour(12)));
        for (int digit = 0; digit <= 9; ++digit)
            d.DrawPixelNumber(10 + digit * 8, 140, digit);
        d.SetFont(ToolkitResources().FindFont(7));
        d.SetForegroundColour(false);
        d.DrawText("seven-segment digits", 10, 155);
    }

    // The cursor's image and mask, three screen pixels to a cursor pixel.
    void DrawArrow(SDrawing& d, int x, int y)
    {
        const unsigned char* image = SCursor::ArrowImage();
        const unsigned char* mask = SCursor::ArrowMask();
        for (int row = 0; row < SCursor::kArrowSize; ++row)
            for (int column = 0; column < SCursor::kArrowSize; ++column) {
                const int bit = row * 3 + column / 8;
                const unsigned flag = 1u << (column % 8);
                if (!(mask[bit] & flag))
                    continue;
                d.SetBrush(
                    ToolkitResources().FindBrush((image[bit] & flag) ? Colour(20) : Colour(2)));
                d.FillRect(x + column * 3 - 60, y + row * 3 - 30, x + column * 3 - 57,
                           y + row * 3 - 27);
            }
    }

    SDrawBitmap logo;
};

bool WritePng(Display* display, unsigned long window, const std::string& path)
{
    tarvenna::host::RgbImage image;
    return tarvenna::host::CaptureWindow(display, window, image) &&
           tarvenna::host::WritePng(path, image);
}

// Runs the event procedure until the window has drawn itself once.
void DrawOnce(Display* display, DemoWindow& window)
{
    while (!window.drawn) {
        XEvent event;
        XNextEvent(display, &event);
        kvor::gui::SControl::eventProc(&event);
    }
    XSync(display, False);
}

}  // namespace

int main(int argc, char** argv)
{
    // What a plug-in's start-up does: connect to $DISPLAY, build the colours
    // and hand them to the toolkit.
    kvor::gui::OpenModuleConnection();
    if (dps == nullptr)
        return 1;
    ToolkitResources().AddStandardColours();
    kvor::gui::SetSharedResources(&ToolkitResources());
    SGlobals globals;
    DemoWindow* window = new DemoWindow(&globals);
    // As the editor does: the orange arrow for the window, used by the
    // event procedure whenever the pointer moves over it.
    auto cursor = std::make_shared<SCursor>(1, window->GetWindow());
    cursor->CreateDefault();
    cursor->Set();
    globals.currentCursor = cursor.get();
    globals.cursorHold = cursor;
    window->Show();
    if (argc > 1) {
        DrawOnce(dps, *window);
        const bool written = WritePng(dps, window->GetWindow(), argv[1]);
        // The cursor undefines itself on the window when it goes, so it
        // goes first.
        globals.currentCursor = nullptr;
        globals.cursorHold = nullptr;
        cursor.reset();
        delete window;
        std::printf(written ? "wrote %s\n" : "could not write %s\n", argv[1]);
        return written ? 0 : 1;
    }
    return window->Loop();
}
