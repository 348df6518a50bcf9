// The panel's background, drawn once into an off-screen bitmap and copied on
// every repaint, and the clicks on the panel itself (the tooltip switch and
// the hidden logo).
#include "editor/SPluginPanel.h"
#include "editor/SStaticData.h"
#include "gui/SDrawFont.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawPen.h"
#include "gui/SDrawing.h"
#include "gui/widgets/DisplayLock.h"
#include "gui/widgets/SImageLabel.h"
#include "gui/widgets/SToolTip.h"

#include <X11/Xlib.h>

using kvor::gui::context::SDrawing;

namespace {

// Under the logo, seen only while it is hidden.
constexpr const char* kTitleLine = "Tarvenna 1.04";
constexpr const char* kNoticeLine = "Made by the Tarvenna team";
constexpr const char* kTechnologyLine = "VST Technology by Steinberg";

void UsePenAndBrush(SDrawing* drawing, int slot)
{
    const int colour = statdata.Colour(slot);
    drawing->SetPen(statdata.FindPen(colour));
    drawing->SetBrush(statdata.FindBrush(colour));
}

}  // namespace

// The idle pass draws here while the event thread may be drawing the panel
// with the same context: the display lock it draws under keeps it out
// until the context points at the window again.
void SPluginPanel::RefreshPanel()
{
    if (drawing == nullptr || backgroundDevice == nullptr)
        return;
    {
        kvor::gui::SDisplayLock lock(GetDisplay());
        kvor::gui::context::SDrawDevice* window = drawing->GetDevice();
        drawing->SetDevice(backgroundDevice);
        DrawBackground();
        if (!nodeView.load())
            DrawPortGround();
        drawing->SetDevice(window);
    }
    Refresh();
}

void SPluginPanel::DrawBackground()
{
    SControl::Draw(Rect{0, 0, client.x2 - client.x1, client.y2 - client.y1});

    drawing->SetFont(statdata.FindFont(7, false, false));
    drawing->SetTextColour(statdata.Colour(SStaticData::kWhite), false);
    drawing->DrawText(kTitleLine, 40, 16);
    drawing->SetTextColour(statdata.Colour(SStaticData::kBlueGrey), false);
    drawing->DrawText(kNoticeLine, 24, 28);
    drawing->DrawText(kTechnologyLine, 22, 40);

    drawing->SetFont(statdata.FindFont(8, true, false));
    drawing->DrawText("I", 147, 80);
    drawing->DrawText("O", 146, 136);
}

// The grounds of the mode and port buttons, shown only with the controls.
void SPluginPanel::DrawPortGround()
{
    UsePenAndBrush(drawing, 5);
    drawing->FillRoundedRect(32, 60, 136, 95, 7, 7);

    drawing->SetFont(statdata.FindFont(8, true, false));
    drawing->SetTextColour(statdata.Colour(SStaticData::kGrey), false);
    drawing->DrawRotatedText("P O R T S", Rect{12, 85, 32, 145}, 90, 0, Point{0, 0});

    UsePenAndBrush(drawing, 26);
    drawing->FillRect(32, 85, 136, 145);

    drawing->SetPen(framePen);
    drawing->DrawLine(32, 85, 136, 85);
    drawing->DrawLine(32, 85, 32, 145);
    drawing->DrawLine(136, 85, 136, 145);
    drawing->DrawLine(32, 145, 137, 145);
}

void SPluginPanel::Lamp::Draw(const Rect& area)
{
    SetBackgroundColour(static_cast<int>(colour.load()));
    Label::Draw(area);
}

// Every repaint is one copy of the background.
void SPluginPanel::Draw(const Rect&)
{
    if (drawing == nullptr || backgroundDevice == nullptr || backgroundBitmap == nullptr)
        return;
    const int width = client.x2 - client.x1;
    const int height = client.y2 - client.y1;
    drawing->DrawMemory(backgroundDevice, Point{0, 0}, Rect{0, 0, width, height});
    if (tooltip != nullptr)
        tooltip->DrawTiprect(drawing);
}

void SPluginPanel::MouseStateChanged(bool* flags, int index)
{
    SWindow::MouseStateChanged(flags, index);
    const bool press = (index >= kvor::gui::context::kMouseLeftDown &&
                        index <= kvor::gui::context::kMouseMiddleDown) ||
                       (index >= kvor::gui::context::kMouseLeftDouble &&
                        index <= kvor::gui::context::kMouseMiddleDouble);
    Display* display = kvor::gui::DisplayInUse();
    if (!press || display == nullptr || GetWindow() == 0)
        return;

    Window root, child;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y,
                       &mask))
        return;
    Point where{rootX, rootY};
    GetScreen2Client(where);

    if (tooltip != nullptr && where.x >= 1 && where.x <= 10 && where.y >= 1 && where.y <= 10) {
        tooltip->ToggleTooltips();
        tooltip->DrawTiprect(drawing);
    }
    if (logo != nullptr && where.x >= logoRect.left && where.x <= logoRect.right &&
        where.y >= logoRect.top && where.y <= logoRect.bottom)
        logo->Show();
}
