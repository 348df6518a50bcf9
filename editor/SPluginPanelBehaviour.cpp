// What the panel does: clicks become automated parameter changes, the
// node's refresh notifications bring the controls in line, and the node
// list is built from the process-wide tables.
#include "editor/NodeListText.h"
#include "editor/SPluginEditor.h"
#include "editor/SPluginPanel.h"
#include "editor/SStaticData.h"
#include "gui/widgets/SButton.h"
#include "gui/widgets/SImageLabel.h"
#include "gui/widgets/SLabel.h"
#include "gui/widgets/SListBox.h"
#include "gui/widgets/SSlider.h"
#include "plugin/ParameterIndex.h"
#include "relay/Registry.h"
#include "relay/VSTPlugin.h"

#include <cmath>

namespace {

// The parameters' own rounding: a tiny bias so that exact halves round up
// the same way on every target.
int Round(float value) { return static_cast<int>(std::lround(value + 8.326e-17f)); }

}  // namespace

void SPluginPanel::ParseEvent(kvor::gui::SEvent* event)
{
    if (event == nullptr || !EventHandled(event->code) ||
        event->code != kvor::gui::kEventValueChanged || event->sender == nullptr)
        return;
    OnControlChanged(event->sender->GetId(), event->value);
}

// Senders are told apart by identifier, not address: an event may name a
// control that is being replaced.
void SPluginPanel::OnControlChanged(unsigned sender, int)
{
    if (plugin == nullptr)
        return;
    if (logo != nullptr && sender == logo->GetId()) {
        logo->Hide();
        return;
    }
    if (sender == modeButtons[0]->GetId()) {
        plugin->setParameterAutomated(kParameterMode,
                                      1.0f - static_cast<float>(modeButtons[0]->GetValue()));
    } else if (sender == modeButtons[1]->GetId()) {
        plugin->setParameterAutomated(kParameterMode,
                                      static_cast<float>(modeButtons[1]->GetValue()));
    } else if (sender == thruButton->GetId()) {
        plugin->setParameterAutomated(kParameterThru, static_cast<float>(thruButton->GetValue()));
    } else if (sender == panicButton->GetId()) {
        // One burst, and the parameter is off again afterwards.
        plugin->setParameterAutomated(kParameterPanic, 0.0f);
        plugin->setParameterAutomated(kParameterPanic, 1.0f);
        plugin->setParameterAutomated(kParameterPanic, 0.0f);
    } else if (sender == nodesButton->GetId()) {
        // The idle pass builds the list and may be doing so right now; it
        // switches the view at its next pass, after the button's new value.
        // Without an editor there is no idle pass, and this the only thread.
        if (editor != nullptr)
            editor->postUpdateIndexed(VSTPlugin::kNodeListChanged);
        else
            SyncNodeView();
    } else {
        for (int n = 0; n < static_cast<int>(portButtons.size()); ++n)
            if (sender == portButtons[n]->GetId())
                plugin->setParameterAutomated(kParameterPort, static_cast<float>(n) / 7.0f);
    }
}

void SPluginPanel::SyncNodeView()
{
    const bool wanted = nodesButton->GetValue() != 0;
    if (wanted != nodeView.load())
        SwitchNodeView(wanted);
    else if (wanted)
        ShowNodes(false);
}

// The list is complete before it shows, and the background loses the
// ports' ground before the buttons go.
void SPluginPanel::SwitchNodeView(bool nodes)
{
    std::vector<SControl*> controls(modeButtons.begin(), modeButtons.end());
    controls.insert(controls.end(), portButtons.begin(), portButtons.end());
    controls.push_back(thruButton);
    if (nodes)
        ShowNodes(true);
    nodeView = nodes;
    RefreshPanel();
    for (SControl* control : controls) {
        if (nodes)
            control->Hide();
        else
            control->Show();
    }
    if (nodes)
        nodeList->Show();
    else
        nodeList->Hide();
}

void SPluginPanel::RefreshControls(long index)
{
    if (plugin == nullptr || modeButtons.size() != 2)
        return;
    switch (index) {
    case kParameterMode: {
        const int mode = Round(plugin->getParameter(kParameterMode));
        modeButtons[0]->SetValue(1 - mode, false);
        modeButtons[1]->SetValue(mode, false);
        break;
    }
    case kParameterPort: {
        const int port = Round(7.0f * plugin->getParameter(kParameterPort));
        for (Button* button : portButtons)
            button->SetValue(0, false);
        if (port >= 0 && port < static_cast<int>(portButtons.size()))
            portButtons[port]->SetValue(1, false);
        break;
    }
    case kParameterThru:
        thruButton->SetValue(Round(plugin->getParameter(kParameterThru)), false);
        break;
    case VSTPlugin::kMidiInIdle:
        SetLamp(midiInLamp, SStaticData::kBlack);
        break;
    case VSTPlugin::kMidiInActive:
        SetLamp(midiInLamp, SStaticData::kOrange);
        break;
    case VSTPlugin::kMidiOutIdle:
        SetLamp(midiOutLamp, SStaticData::kBlack);
        break;
    case VSTPlugin::kMidiOutActive:
        SetLamp(midiOutLamp, SStaticData::kOrange);
        break;
    case VSTPlugin::kNodeListChanged:
        SyncNodeView();
        break;
    case -1:
        // Nothing reached a closed editor: the list may be out of date, and
        // the lamps show the activity of a node that may be off by now. A
        // node at work lights them again within a block.
        RefreshControls(kParameterMode);
        RefreshControls(kParameterPort);
        RefreshControls(kParameterThru);
        RefreshIdLabel();
        SetLamp(midiInLamp, SStaticData::kBlack);
        SetLamp(midiOutLamp, SStaticData::kBlack);
        SyncNodeView();
        break;
    default:
        break;
    }
}

void SPluginPanel::SetLamp(Lamp* lamp, int slot)
{
    if (lamp != nullptr && lamp->SetColour(statdata.Colour(slot)))
        lamp->Refresh();
}

void SPluginPanel::RefreshIdLabel()
{
    kvor::data::datastring<32, char> text;
    AppendNodeIdText(text, plugin->nodeId);
    idLabel->SetLabel(text.data);
    idLabel->Refresh();
}

void SPluginPanel::ShowNodes(bool select)
{
    if (nodeList == nullptr || plugin == nullptr)
        return;
    plugin->listlisteners(listenerCopy);
    std::vector<NodeList::Text> lines;
    int own = -1;
    for (int port = 0; port < kPortCount; ++port) {
        for (int column = 0; column < kSlotCount; ++column) {
            const char cell = listenerCopy[port][column];
            if (cell != kSendsInPort && cell != kReceivesInPort)
                continue;
            if (column + 1 == plugin->nodeId)
                own = static_cast<int>(lines.size());
            lines.emplace_back();
            AppendNodeListLine(lines.back(), port + 1, column + 1, cell == kSendsInPort);
        }
    }
    nodeList->ReplaceItems(lines, own);
    if (select)
        nodeList->ScrollSelection(true);
}
