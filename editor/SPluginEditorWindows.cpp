// The editor's toolkit windows: the container that keeps the panel while
// the editor is closed, the panel itself, the message dialog, the cursor and
// the idle registration.
#include "editor/SPluginEditor.h"
#include "editor/SPluginPanel.h"
#include "gui/Connections.h"
#include "gui/SConnectionPump.h"
#include "gui/SCursor.h"
#include "gui/SGlobals.h"
#include "gui/widgets/SMessageDialog.h"
#include "plugin/SPlugin.h"
#include "relay/VSTPlugin.h"
#include "runtime/datastring.h"

namespace {

constexpr int kPanelStyle = 0x80001;
constexpr int kIdlePeriodMs = 22;

// "Tarvenna (12345)": the random part keeps windows of several instances
// apart for whoever lists them.
void AppendWindowName(kvor::data::datastring<32, char>& name, SGlobals* globals)
{
    name.Append(kPluginProduct).Append(" (");
    name.Append(16, "%i", static_cast<int>(globals->randomGenerator.Integer()));
    name.Append(")");
}

}  // namespace

void SPluginEditor::RefreshPanel(long index)
{
    if (panel != nullptr)
        panel->RefreshControls(index);
}

// The container is made first and the panel inside it, so that even the
// first opening brings the panel into the host's window by reparenting.
// Hosts that learn a window's event procedure from its ReparentNotify (as
// most Linux hosts do) would never see a panel created directly in their
// window, and it would stay blank until the second opening.
void SPluginEditor::CreateWindows()
{
    if (globals == nullptr)
        return;
    onModuleConnection = kvor::gui::DisplayInUse() == dps;
    kvor::data::datastring<32, char> name;
    AppendWindowName(name, globals);
    const unsigned id = static_cast<unsigned>(globals->identifierCounter.exchange(0));
    container = new kvor::gui::SControl(globals, nullptr, id, name.data, 0, 0, 0, kWidth, kHeight,
                                        0, false);
    messageDialog = new kvor::gui::SMessageDialog();
    container->SetSize(kWidth, kHeight);
    containerWindow = container->GetWindow();
    CreatePanel();
}

void SPluginEditor::CreatePanel()
{
    kvor::data::datastring<32, char> name;
    AppendWindowName(name, globals);
    const unsigned id = static_cast<unsigned>(globals->identifierCounter.exchange(0));
    panel = new SPluginPanel(globals, nullptr, id, name.data, kPanelStyle, 0, 0, kWidth, kHeight,
                             static_cast<int>(containerWindow), false);
    panel->SetEditor(this);
    panel->SetPlugin(dynamic_cast<VSTPlugin*>(plugin));
    panel->LoadControls();
}

void SPluginEditor::ShowPanelIn(unsigned long window)
{
    SetSize(kWidth, kHeight);
    if (panel == nullptr)
        return;
    panel->Reparent(static_cast<int>(window));
    panel->Show();
}

void SPluginEditor::ParkPanel()
{
    if (panel != nullptr)
        panel->Reparent(static_cast<int>(containerWindow));
}

void SPluginEditor::CreateCursor()
{
    auto* made = new kvor::gui::SCursor(1, parentWindow);
    made->CreateDefault();
    UseCursor(made);
}

// The event procedure sets and frees the current cursor on the host's GUI
// thread, under the globals' mutex; the old one is deleted only once no
// event can reach it any more.
void SPluginEditor::UseCursor(kvor::gui::SCursor* next)
{
    kvor::gui::SCursor* old = cursor;
    if (globals != nullptr)
        globals->mutex.Lock();
    cursor = next;
    if (globals != nullptr) {
        globals->currentCursor = next;
        globals->mutex.Unlock();
    }
    delete old;
}

// Many hosts pass 0 instead of their display when they open an editor.
// Our windows then live on the module's own connection, and without a
// thread of ours reading its events the panel would never paint nor
// answer a click.
void SPluginEditor::StartPump()
{
    if (onModuleConnection && dps != nullptr)
        kvor::gui::SConnectionPump::ModuleConnection().Start(this, dps);
}

void SPluginEditor::StopPump()
{
    if (onModuleConnection)
        kvor::gui::SConnectionPump::ModuleConnection().Stop(this);
}

// The process-wide idle thread calls the function in the cell's second word
// with this editor, every 22 ms while it is open.
void SPluginEditor::StartIdle()
{
    idleCell.function = &SPluginEditor::idlestatic;
    if (panel == nullptr)
        return;
    panel->CreateIdleTimer(kIdlePeriodMs, false);
    panel->CreateIdleFunction(&idleCell.function, this);
}

// Removing the idle entry waits for a pass of it in progress, so no pass
// runs once this returns.
void SPluginEditor::StopIdle()
{
    if (panel != nullptr)
        panel->DestroyIdleTimer();
}

// The panel's events call into the node, and the idle pass and the host's
// GUI thread may be inside it right now: after this returns nothing runs in
// any of the editor's windows, and nothing new starts.
void SPluginEditor::RetireWindows()
{
    if (IsOpen())
        close();
    if (panel != nullptr)
        panel->Retire();
    if (container != nullptr)
        container->Retire();
    if (messageDialog != nullptr)
        messageDialog->Retire();
}

void SPluginEditor::DestroyWindows()
{
    RetireWindows();
    UseCursor(nullptr);
    delete panel;
    panel = nullptr;
    delete container;
    container = nullptr;
    delete messageDialog;
    messageDialog = nullptr;
}
