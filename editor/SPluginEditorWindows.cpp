// The editor's toolkit windows: the container that keeps the panel while
// the editor is closed, the panel itself, the message dialog, the cursor and
// the idle registration.
#include "editor/SPluginEditor.h"
#include "editor/SPluginPanel.h"
#include "gui/Connections.h"
#include "gui/SConnectionPump.h"
#include "gui/SCursor.h"
#include "gui/SGlobals.h"
#include "gui/XErrorTrap.h"
#include "gui/widgets/SMessageDialog.h"
#include "plugin/SPlugin.h"
#include "relay/VSTPlugin.h"
#include "runtime/STimerIdle.h"
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

// Runs on the idle thread while the host may hold the panel's display lock,
// destroy the window the panel lives in and close its connection. The
// requests are guarded: an error of ours never reaches the host's handler,
// and tells us the panel went with the host's window. The editor may have
// closed while the pass waited for the display, and the host may be closing
// the connection right after (it waits for the trap).
void SPluginEditor::RefreshPanel(long index)
{
    SPluginPanel* target = panel.load();
    if (target == nullptr || target->WindowLost())
        return;
    kvor::gui::XErrorTrap trap(target->GetConnection());
    if (!trap.Holds() || !IsOpen())
        return;
    target->RefreshControls(index);
    trap.Sync();
    if (trap.Failed())
        target->MarkWindowLost();
}

// Windows live on the connection they were made on. An opening on another
// display (a host with a connection per window), after that connection
// closed, or after the panel went with the host's last window needs new
// ones; the node's settings are not in them, so nothing is lost.
bool SPluginEditor::WindowsServe(const kvor::gui::ConnectionRef& wanted) const
{
    // Without any display (no X server) there is nothing to rebuild on.
    const SPluginPanel* current = panel.load();
    const bool sameConnection = wanted == nullptr
                                    ? current != nullptr && current->GetConnection() == nullptr
                                    : kvor::gui::SameConnection(current->GetConnection(), wanted);
    return current != nullptr && container != nullptr && sameConnection && !current->WindowLost() &&
           !container->WindowLost();
}

// An idle pass may still be inside the old panel (it found the editor open
// before the last close): the windows are retired now, so no event or timer
// reaches them, and deleted once no pass runs.
void SPluginEditor::RetireWindowsForRebuild()
{
    SPluginPanel* old = panel.exchange(nullptr);
    if (old != nullptr)
        old->Retire();
    if (container != nullptr)
        container->Retire();
    if (messageDialog != nullptr)
        messageDialog->Retire();
    retired.push_back(Windows{old, container, messageDialog});
    container = nullptr;
    messageDialog = nullptr;
    containerWindow = 0;
}

void SPluginEditor::DeleteRetiredWindows(bool wait)
{
    if (retired.empty() || (!wait && passesRunning.load() != 0))
        return;
    for (const Windows& windows : retired) {
        delete windows.panel;
        delete windows.container;
        delete windows.dialog;
    }
    retired.clear();
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
    auto* made = new SPluginPanel(globals, nullptr, id, name.data, kPanelStyle, 0, 0, kWidth,
                                  kHeight, static_cast<int>(containerWindow), false);
    made->SetEditor(this);
    made->SetPlugin(dynamic_cast<VSTPlugin*>(plugin));
    made->LoadControls();
    // LV2 hosts embed the panel through a toolkit wrapper (suil) that sizes
    // it to the host's window unless its hints say its size is fixed.
    made->AnnounceFixedSize(kWidth, kHeight);
    panel = made;
}

// The host's window may already be gone when the host closes the editor
// (many destroy it first); the panel then went with it.
bool SPluginEditor::MovePanel(unsigned long window)
{
    SPluginPanel* target = panel.load();
    if (target == nullptr || target->WindowLost() || target->GetDisplay() == nullptr)
        return false;
    kvor::gui::XErrorTrap trap(target->GetDisplay());
    target->Reparent(static_cast<int>(window));
    trap.Sync();
    if (!trap.Failed())
        return true;
    target->MarkWindowLost();
    return false;
}

void SPluginEditor::ShowPanelIn(unsigned long window)
{
    SetSize(kWidth, kHeight);
    if (MovePanel(window))
        panel.load()->Show();
}

void SPluginEditor::ParkPanel() { MovePanel(containerWindow); }

unsigned long SPluginEditor::PanelWindow() const
{
    SPluginPanel* shown = panel.load();
    return IsOpen() && shown != nullptr ? shown->GetWindow() : 0;
}

void SPluginEditor::CreateCursor()
{
    auto made = std::make_shared<kvor::gui::SCursor>(1, parentWindow);
    made->CreateDefault();
    UseCursor(std::move(made));
}

// The event procedure takes its own reference to the current cursor under
// the globals' mutex and sets or frees it outside, so neither side makes an
// X call under the mutex: the host may hold the display lock around this
// call while the event thread waits for it inside Xlib. The old cursor is
// freed by whoever lets go of it last.
void SPluginEditor::UseCursor(std::shared_ptr<kvor::gui::SCursor> next)
{
    std::shared_ptr<kvor::gui::SCursor> old = std::move(cursor);
    cursor = next;
    if (globals == nullptr)
        return;
    globals->mutex.Lock();
    globals->cursorHold.swap(next);
    globals->currentCursor = cursor.get();
    globals->mutex.Unlock();
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
// with this editor, every 22 ms. The entry is made at the first opening
// and stays: a pass of a closed editor does nothing.
void SPluginEditor::StartIdle()
{
    // Written once, before the entry exists: the idle thread reads the cell.
    if (idleTimer != nullptr)
        return;
    idleCell.function = &SPluginEditor::idlestatic;
    idleTimer = std::make_unique<kvor::threading::STimerIdle>(nullptr, 0, kIdlePeriodMs, false);
    idleTimer->SetFunction(&idleCell.function, this);
    idleTimer->AddEntry();
}

// Removing the idle entry waits for a pass in progress, so no pass runs
// once this returns. Only for destruction: see idleTimer.
void SPluginEditor::StopIdle() { idleTimer.reset(); }

// The panel's events call into the node, and the idle pass and the host's
// GUI thread may be inside it right now: after this returns nothing runs in
// any of the editor's windows, and nothing new starts.
void SPluginEditor::RetireWindows()
{
    if (IsOpen())
        close();
    StopIdle();
    if (SPluginPanel* current = panel.load())
        current->Retire();
    if (container != nullptr)
        container->Retire();
    if (messageDialog != nullptr)
        messageDialog->Retire();
}

void SPluginEditor::DestroyWindows()
{
    RetireWindows();
    UseCursor(nullptr);
    delete panel.exchange(nullptr);
    delete container;
    container = nullptr;
    delete messageDialog;
    messageDialog = nullptr;
    DeleteRetiredWindows(true);
}
