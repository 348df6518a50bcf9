// The message box: its construction, its layout for a text and a title,
// and its OK button.
#include "gui/widgets/SMessageDialog.h"

#include "gui/SCursor.h"
#include "gui/SDrawFont.h"
#include "gui/SGlobals.h"
#include "gui/SResourceCache.h"
#include "gui/widgets/SButton.h"
#include "gui/widgets/SLabel.h"
#include "gui/widgets/TextMeasure.h"

#include <algorithm>
#include <cstdio>

namespace kvor::gui {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
// Popup, full input mask, frame decoration and the panel bit.
constexpr int kDialogStyle = kStyleFullInput | kStyleFrame | kStylePopup | kStylePanel;

}  // namespace

SMessageDialog::SMessageDialog()
{
    ownGlobals = new SGlobals;
    char dialogName[48];
    std::snprintf(dialogName, sizeof dialogName, "SDialog (ID %i)",
                  static_cast<int>(ownGlobals->randomGenerator.Integer()));
    const unsigned id = static_cast<unsigned>(ownGlobals->identifierCounter.exchange(0));
    Create(ownGlobals, nullptr, id, dialogName, kDialogStyle, 0, 0, kWidth, kHeight, 0, false);
    cursor = std::make_shared<SCursor>(1, GetWindow());
    cursor->CreateDefault();
    cursor->Set();
    ownGlobals->currentCursor = cursor.get();
    ownGlobals->cursorHold = cursor;
    EnableEventHandler(kEventValueChanged);
    SetColours(SharedColour(24), SharedColour(24), SharedColour(20), SharedColour(2),
               SharedColour(0), SharedColour(0), SharedColour(0));
    titleFont = new context::SDrawFont(10, true, false, false, nullptr);
    messageFont = new context::SDrawFont(7, false, false, false, nullptr);
    MakeLabels();
    MakeButton();
    Refresh();
}

// The children go with the window; the fonts, the cursor and the shared
// resources they used go after them.
SMessageDialog::~SMessageDialog()
{
    CleanUp();
    while (!Children().empty())
        Remove(Children().back().control, true);
    ownGlobals->currentCursor = nullptr;
    ownGlobals->cursorHold = nullptr;
    cursor = nullptr;
    delete titleFont;
    titleFont = nullptr;
    delete messageFont;
    messageFont = nullptr;
    delete ownGlobals;
    ownGlobals = nullptr;
    globals = nullptr;
}

void SMessageDialog::MakeLabels()
{
    const int under = static_cast<int>(GetWindow());
    const struct {
        const char* suffix;
        int y;
        int h;
        SLabel<false>** label;
        context::SDrawFont* font;
    } made[] = {{" - TitleLabel", 10, 30, &titleLabel, titleFont},
                {" - MessageLabel", 40, kHeight - 90, &messageLabel, messageFont}};
    for (const auto& part : made) {
        Text labelName;
        labelName.Append(name.data).Append(part.suffix);
        const unsigned id = static_cast<unsigned>(ownGlobals->identifierCounter.fetch_add(1) + 1);
        auto* label = new SLabel<false>(ownGlobals, this, id, labelName.data, 0, 10, part.y,
                                        kWidth - 20, part.h, under, false);
        label->SetColours(SharedColour(24), SharedColour(24), SharedColour(20), SharedColour(2),
                          SharedColour(2), SharedColour(2), SharedColour(2));
        label->SetLabel("", part.font, 0);
        label->SetLabelColours(SharedColour(0), SharedColour(0));
        label->Show();
        Add(label);
        *part.label = label;
    }
}

void SMessageDialog::MakeButton()
{
    Text buttonName;
    buttonName.Append(name.data).Append(" - MessageButton");
    const unsigned id = static_cast<unsigned>(ownGlobals->identifierCounter.fetch_add(1) + 1);
    okButton =
        new SButton<false>(ownGlobals, this, id, buttonName.data, kStyleSubclass, kWidth / 2 - 20,
                           kHeight - 40, 40, 20, static_cast<int>(GetWindow()), false);
    okButton->SetColours(SharedColour(26), SharedColour(23), SharedColour(24), SharedColour(2),
                         SharedColour(20), SharedColour(0), SharedColour(0));
    okButton->SetLabel("OK", titleFont, 0);
    okButton->SetLabelColours(SharedColour(0), SharedColour(19));
    okButton->SetType(kButtonDrag);
    okButton->SetHoverColours(SharedColour(23), SharedColour(23));
    okButton->AddEventListener(this, kEventValueChanged);
    okButton->Show();
    Add(okButton);
}

SMessageDialog::Extent SMessageDialog::MeasureMessage(const char* text) const
{
    Extent extent{0, 0};
    if (messageFont == nullptr)
        return extent;
    int previous = -1;
    for (const Text& line : SplitLines(text)) {
        int height;
        if (line.data[0] != 0) {
            const STextExtent measured = MeasureText(line.data, messageFont);
            extent.width = std::max(extent.width, measured.width);
            height = measured.height;
        } else {
            height = previous >= 0 ? previous : MeasureText("W", messageFont).height;
        }
        extent.height += height;
        previous = height;
    }
    return extent;
}

// The box grows with the widest of message and title: 64 pixels wider,
// 128 higher than the message, with the button centred 40 pixels above
// the bottom edge.
void SMessageDialog::LayOut(const char* text, const char* title)
{
    const char* message = text != nullptr ? text : "";
    const char* heading = title != nullptr ? title : "";
    messageText.Clear(false);
    messageText.Append(message);
    titleText.Clear(false);
    titleText.Append(heading);
    SetTitleText(heading);
    titleLabel->SetLabel(heading);
    const Extent measured = MeasureMessage(message);
    const int w = std::max(measured.width, MeasureText(heading, titleFont).width);
    const int h = measured.height;
    messageLabel->SetLabel(message, messageFont, messageLabel->GetAlignment());
    messageLabel->RedrawLabel();
    titleLabel->SetSize(w + 44, 20);
    messageLabel->SetSize(w + 44, h + 38);
    okButton->SetPosition((w + 64) / 2 - 20, h + 88);
    SetSize(w + 64, h + 128);
}

void SMessageDialog::SetMessage(const char* text, const char* title) { LayOut(text, title); }

void SMessageDialog::ShowMessage(const char* text, const char* title)
{
    LayOut(text, title);
    Show();
    Foreground(true);
    shown = true;
}

void SMessageDialog::ShowModal(const char* text, const char* title)
{
    LayOut(text, title);
    SDialog::ShowModal();
}

// The press hides the box before its release arrives, and a hidden window
// never gets the release: the button is put back unpressed here, or the
// next showing would start with it held down and deaf to the next press.
void SMessageDialog::ParseEvent(SEvent* event)
{
    if (event == nullptr || event->code != kEventValueChanged ||
        !EventHandled(kEventValueChanged) || okButton == nullptr || event->sender != okButton ||
        event->value != 1)
        return;
    CloseDialog();
    if (okButton->GetStyle() & kStyleCaptureOnPress)
        okButton->MouseReleaseCapture();
    okButton->ClearState();
    okButton->SetValue(0, false);
}

}  // namespace kvor::gui
