// The panel's construction: the background bitmap, and the controls in
// their fixed order, geometry, colours, texts and tooltips.
#include "editor/SPluginPanel.h"

#include "editor/SStaticData.h"
#include "gui/SDrawFont.h"
#include "gui/SGlobals.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawPen.h"
#include "gui/SDrawing.h"
#include "gui/images/text_logo.h"
#include "gui/widgets/SButton.h"
#include "gui/widgets/SImageLabel.h"
#include "gui/widgets/SLabel.h"
#include "gui/widgets/SListBox.h"
#include "gui/widgets/SSlider.h"
#include "gui/widgets/SToolTip.h"
#include "runtime/datastring.h"

using kvor::gui::SControl;
using kvor::gui::SImageLabel;
using kvor::gui::SToolTip;
using kvor::gui::context::SDrawBitmap;
using kvor::gui::context::SDrawMemoryDevice;
using kvor::gui::context::SDrawPen;

namespace {

constexpr int kToggle = 4;
constexpr int kPush = 2;
constexpr int kRounded = 0x10;

// Colour i of the process-wide table.
int C(int slot) { return statdata.Colour(slot); }

}  // namespace

SPluginPanel::SPluginPanel(SGlobals* globals, SControl* parent, unsigned id, const char* name,
                           int style, int x, int y, int w, int h, int parentWindow, bool unused)
    : SWindow(globals, parent, id, name, style, x, y, w, h, parentWindow, unused)
{
    EnableEventHandler(kvor::gui::kEventValueChanged);
    EnableEventHandler(kvor::gui::kEventTimerTick);
    AddEventListener(this, kvor::gui::kEventTimerTick);
    backgroundBitmap = new SDrawBitmap(nullptr, w, h, false);
    kvor::gui::context::SDrawDevice* own = drawing != nullptr ? drawing->GetDevice() : nullptr;
    backgroundDevice = new SDrawMemoryDevice(own, backgroundBitmap);
    framePen = new SDrawPen(C(SStaticData::kYellow), 1, true);
}

SPluginPanel::~SPluginPanel()
{
    CleanUp();
    delete framePen;
    delete backgroundDevice;
    delete backgroundBitmap;
    framePen = nullptr;
    backgroundDevice = nullptr;
    backgroundBitmap = nullptr;
    modeButtons.clear();
    portButtons.clear();
}

void SPluginPanel::Focussing(bool focused) { SWindow::Focussing(focused); }

void SPluginPanel::LoadControls()
{
    SetColours(C(24), C(24), C(24), C(0), C(0), C(0), C(0));
    LoadTooltip();
    LoadLogo();
    LoadModeButtons();
    LoadPortButtons();
    LoadActionButtons();
    LoadLabels();
    LoadNodeList();
    nodeView = false;
    RefreshPanel();
}

void SPluginPanel::LoadTooltip()
{
    tooltip = new SToolTip(this, true);
    tooltip->SetColours(C(24), C(24), C(24), C(0), C(0), C(0), C(0));
    tooltip->textColour = C(SStaticData::kWhite);
    tooltip->firstLineColoured = 1;
    tooltip->titleColour = C(SStaticData::kOrange);
    tooltip->arrowColour = C(SStaticData::kRed);
    tooltip->roundShape = 1;
    tooltip->secondLineBold = 1;
}

template <typename Control>
Control* SPluginPanel::Make(const char* name, int style, int x, int y, int w, int h, int c0, int c1,
                            int c2)
{
    const unsigned id = static_cast<unsigned>(globals->identifierCounter.fetch_add(1) + 1);
    auto* control = new Control(globals, this, id, name, style, x, y, w, h,
                                static_cast<int>(GetWindow()), false);
    control->SetColours(C(c0), C(c1), C(c2), C(0), C(0), C(0), C(0));
    return control;
}

// The steps after construction: listener, tooltip, showing and adoption.
void SPluginPanel::Finish(SControl* control, const char* tip, bool listen, bool shown)
{
    if (listen)
        control->AddEventListener(this, kvor::gui::kEventValueChanged);
    if (tip != nullptr)
        control->SetTooltip(tooltip, tip, 0);
    if (shown)
        control->Show();
    Add(control);
}

SPluginPanel::Button* SPluginPanel::MakeButton(const char* name, int style, int x, int y, int w,
                                               int h, int c0, int c1, int c2, const char* text,
                                               int fontSize, int type)
{
    Button* button = Make<Button>(name, style, x, y, w, h, c0, c1, c2);
    button->SetLabel(text, statdata.FindFont(fontSize), 0);
    button->SetLabelColours(C(SStaticData::kWhite), C(SStaticData::kGrey));
    button->SetType(type);
    button->SetHoverColours(C(SStaticData::kWhite), C(SStaticData::kWhite));
    return button;
}

void SPluginPanel::LoadLogo()
{
    const unsigned id = static_cast<unsigned>(globals->identifierCounter.fetch_add(1) + 1);
    logo = new SImageLabel(globals, this, static_cast<int>(id), "(REZU) Label: Logo", 0, 10, 10,
                           150, 50, static_cast<int>(GetWindow()));
    logo->LoadBackground(const_cast<char**>(kvor::images::text_logo), 150, 50);
    Finish(logo, nullptr, true, true);
    const Rect& outer = logo->GetOuter();
    logoRect = LogoRect{outer.x1, outer.y1, outer.x2, outer.y2};
}

void SPluginPanel::LoadModeButtons()
{
    Button* send =
        MakeButton("(QRNe) Button: Send", kRounded, 34, 62, 42, 20, 20, 10, 5, "Send", 7, kToggle);
    Finish(send, "Option:\nEnable Send Mode", true, true);
    Button* receive = MakeButton("(QRNe) Button: Receive", kRounded, 92, 62, 42, 20, 20, 10, 5,
                                 "Receive", 7, kToggle);
    Finish(receive, "Option:\nEnable Receive Mode", true, true);
    modeButtons = {send, receive};
}

void SPluginPanel::LoadPortButtons()
{
    for (int port = 1; port <= kPortCount; ++port) {
        kvor::data::datastring<32, char> name, text, tip;
        name.Append("(QRNe) Button: Port ").Append(8, "%i", port);
        text.Append(8, "%i", port);
        tip.Append("Option:\nSelect Port ").Append(8, "%i", port);
        const int x = 36 + 25 * ((port - 1) % 4);
        const int y = port <= 4 ? 90 : 120;
        Button* button = MakeButton(name.data, 0, x, y, 20, 20, 20, 7, 24, text.data, 8, kToggle);
        button->SetLabelColourActive(C(SStaticData::kBlack));
        Finish(button, tip.data, true, true);
        portButtons.push_back(button);
    }
}

void SPluginPanel::LoadActionButtons()
{
    thruButton = MakeButton("(QRNe) Button: Thru", kRounded, 34, 150, 100, 20, 20, 2, 24,
                            "Midi Through", 8, kToggle);
    thruButton->SetLabelColourActive(C(SStaticData::kBlack));
    Finish(thruButton, "Option:\nMidi Through", true, true);

    panicButton = MakeButton("(QRNe) Button: Panic", 0, 142, 172, 15, 15, 1, 23, 24, "P", 7, kPush);
    panicButton->SetLabelColours(C(SStaticData::kBlack), C(SStaticData::kGrey));
    Finish(panicButton, "Action:\nSend Midi Panic", true, true);

    nodesButton =
        MakeButton("(QRNe) Button: Nodes", 0, 12, 172, 15, 15, 20, 8, 24, "N", 7, kToggle);
    Finish(nodesButton, "Option:\nShow Nodes", true, true);
}

void SPluginPanel::LoadLabels()
{
    idLabel = Make<Label>("(QRNe) Label: ID", 0, 30, 172, 110, 16, 24, 24, 24);
    idLabel->SetLabel("", statdata.FindFont(8), 0);
    idLabel->SetLabelColours(C(SStaticData::kWhite), C(SStaticData::kGrey));
    Finish(idLabel, "Display:\nNode ID", false, true);

    midiInLamp = Make<Lamp>("(QRNe) Label: MIDI In", 0, 144, 95, 10, 10, 20, 20, 24);
    midiInLamp->SetColour(C(SStaticData::kBlack));
    Finish(midiInLamp, "Display:\nMidi Input Activity", false, true);
    midiOutLamp = Make<Lamp>("(QRNe) Label: MIDI Out", 0, 144, 125, 10, 10, 20, 20, 24);
    midiOutLamp->SetColour(C(SStaticData::kBlack));
    Finish(midiOutLamp, "Display:\nMidi Output Activity", false, true);
}

void SPluginPanel::LoadNodeList()
{
    nodeList = Make<NodeList>("(QRNe) Listbox: Node List", 0x20, 30, 60, 110, 110, 20, 20, 20);
    nodeList->SetFont(statdata.FindFont(8));
    nodeList->SetFrameColour(C(20), C(0), C(23));
    nodeList->LoadControls();
    nodeList->RefreshLabels();
    nodeList->SetColours(C(20), C(20), C(20), C(0), C(0), C(0), C(0));
    nodeList->selectedTextColour = C(SStaticData::kWhite);
    nodeList->selectionColour = C(SStaticData::kViolet);
    nodeList->scrollStep = 12;
    nodeList->ScrollBar()->SetWheelIncrement(12);
    nodeList->selectionMode = 0;
    Finish(nodeList, "Display:\nNode List", false, false);
}
