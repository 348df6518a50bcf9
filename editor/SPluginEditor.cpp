#include "editor/SPluginEditor.h"

#include "editor/SStaticData.h"
#include "gui/Connections.h"
#include "gui/SCursor.h"
#include "gui/SGlobals.h"
#include "gui/XErrorTrap.h"
#include "plugin/AudioEffectX.h"
#include "plugin/LoadFailure.h"
#include "plugin/SPlugin.h"
#include "runtime/SThread.h"
#include "runtime/STimerIdle.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstring>

namespace {

// How long closing waits for an idle pass that is under way. A pass that
// takes longer is waiting for a display lock the host holds around the
// close: it finds the editor closed once it has it, and does nothing.
constexpr auto kCloseGrace = std::chrono::milliseconds(250);

}  // namespace

SPluginEditor::SPluginEditor(AudioEffect* effect, SGlobals* instanceGlobals, int& result)
    : PluginEditor(effect),
      idleCell{0, nullptr},
      editorNumber(0),
      globals(instanceGlobals),
      panel(nullptr),
      plugin(effect),
      hostKind(kHostUnknown),
      indexedPending(0),
      reserved(0),
      neverOpened(1),
      isOpen(0),
      rect{0, 0, 0, 0},
      cursor(nullptr),
      parentWindow(0),
      container(nullptr),
      messageDialog(nullptr),
      containerWindow(0),
      owner(dynamic_cast<SPlugin*>(effect))
{
    updateFlag = 0;
    // Xlib's thread support is switched on once, when the module is loaded
    // (gui/Connections): XInitThreads must come before any other Xlib call
    // of the process, which an editor's construction cannot promise.
    ClearPending();
    GetHostApp(result);
}

PluginEditor* SPluginEditor::Make(AudioEffect* effect, SGlobals* globals, int& result)
{
    return new SPluginEditor(effect, globals, result);
}

SPluginEditor::~SPluginEditor()
{
    if (IsOpen())
        close();
    DestroyWindows();
}

AudioEffectX* SPluginEditor::Host() const { return dynamic_cast<AudioEffectX*>(plugin); }

void SPluginEditor::GetHostApp(int& result)
{
    AudioEffectX* host = Host();
    if (host == nullptr)
        return;
    hostKind = RecogniseHost(*host);
    if (HostIsRefused(hostKind))
        result = kLoadHostRefused;
}

void SPluginEditor::CopyPluginTexts()
{
    if (owner == nullptr || globals == nullptr)
        return;
    if (const char* name = owner->NameText()) {
        globals->binaryName.Clear(false);
        globals->binaryName.Append(name);
    }
    if (const char* directory = owner->DirectoryText()) {
        globals->binaryDirectory.Clear(false);
        globals->binaryDirectory.Append(directory);
    }
}

void SPluginEditor::SetEditorClosed(uint8_t closed)
{
    if (owner != nullptr)
        owner->SetEditorClosed(closed != 0);
}

bool SPluginEditor::open(void* parent)
{
    systemWindow = parent;
    parentWindow = reinterpret_cast<uintptr_t>(parent);
    if (globals != nullptr)
        globals->parentWindow = parentWindow;
    CopyPluginTexts();
    // Every opening lives on the display it was given (the module's own for
    // 0): windows, contexts, fonts and cursor are made there.
    const kvor::gui::ConnectionRef wanted =
        kvor::gui::TrackConnection(openingDisplay != nullptr ? openingDisplay : dps);
    kvor::gui::UseConnection scope(wanted);
    statdata.AddColoursOnce();
    if (container != nullptr && !WindowsServe(wanted))
        RetireWindowsForRebuild();
    DeleteRetiredWindows(false);
    if (container == nullptr)
        CreateWindows();
    ShowPanelIn(parentWindow);
    StartPump();
    CreateCursor();
    neverOpened = 0;
    if (globals != nullptr)
        editorNumber = globals->identifierCounter.fetch_add(1) + 1;
    StartIdle();
    SetEditorClosed(0);
    isOpen = 1;
    // The first idle pass after opening redraws everything.
    postUpdate();
    return true;
}

// Nothing here waits without bound for the idle pass or the event thread:
// the host may hold its display lock around this call, and either may be
// waiting for it. A pass that began before the flag fell finds the editor
// closed once it has the display, and the windows outlive it.
void SPluginEditor::close()
{
    SetEditorClosed(1);
    isOpen = 0;
    const auto giveUp = std::chrono::steady_clock::now() + kCloseGrace;
    while (passesRunning.load() != 0 && std::chrono::steady_clock::now() < giveUp)
        kvor::threading::SThread::Sleep(1);
    ParkPanel();
    StopPump();
    parentWindow = 0;
    if (globals != nullptr)
        globals->parentWindow = 0;
    UseCursor(nullptr);
}

// A full refresh covers every index, so it wins over pending indexed ones.
void SPluginEditor::idle()
{
    struct PassCount {
        explicit PassCount(std::atomic<int>& count) : count(count) { ++count; }
        ~PassCount() { --count; }
        std::atomic<int>& count;
    } counted(passesRunning);
    if (!IsOpen())
        return;
    if (__atomic_exchange_n(&updateFlag, 0, __ATOMIC_ACQ_REL) != 0) {
        update();
        return;
    }
    if (indexedPending.exchange(0) != 0)
        updateIndexed();
}

void SPluginEditor::update()
{
    if (!IsOpen())
        return;
    ClearPending();
    RefreshPanel(-1);
}

void SPluginEditor::postUpdate() { __atomic_store_n(&updateFlag, 1, __ATOMIC_RELEASE); }

void SPluginEditor::updateIndexed()
{
    if (!IsOpen())
        return;
    for (long i = 0; i < kPendingEntries; ++i)
        if (pending[i].exchange(0) != 0)
            RefreshPanel(i);
}

// The entry goes in before the word, so an idle pass that sees the word
// also sees the entry.
void SPluginEditor::postUpdateIndexed(long index)
{
    if (index < 0 || index >= kPendingEntries)
        return;
    pending[index] = 1;
    indexedPending = 1;
}

void SPluginEditor::updateAtIndex(long index)
{
    if (!IsOpen() || static_cast<unsigned long>(index) >= kPendingEntries)
        return;
    pending[index] = 0;
    RefreshPanel(index);
}

// The panel's slow timer has nothing to do.
void SPluginEditor::idleslow() {}

void SPluginEditor::idlestatic(void* editor)
{
    if (editor != nullptr)
        static_cast<SPluginEditor*>(editor)->idle();
}

bool SPluginEditor::HostSizesWindow()
{
    return owner != nullptr && owner->HostCanDo("sizeWindow") == 1;
}

// The host's window lives on the display of the opening; it may already be
// gone, which is the host's affair, not an error for its handler.
void SPluginEditor::ResizeParent(int width, int height)
{
    Display* display = kvor::gui::DisplayInUse();
    if (display == nullptr || parentWindow == 0)
        return;
    kvor::gui::XErrorTrap trap(display);
    XResizeWindow(display, parentWindow, width, height);
}

void SPluginEditor::WriteRect(int width, int height)
{
    if (owner != nullptr)
        owner->SetEditorRect(width, height);
}

void SPluginEditor::SetSize(int width, int height)
{
    WriteRect(width, height);
    if (!HostSizesWindow())
        ResizeParent(width, height);
    if (AudioEffectX* host = Host())
        host->sizeWindow(width, height);
}

void SPluginEditor::ChangeSize(int dx, int dy)
{
    if ((dx == 0 && dy == 0) || owner == nullptr)
        return;
    const ERect r = owner->EditorRect();
    const int width = r.right + dx - r.left;
    const int height = r.bottom + dy - r.top;
    owner->SetEditorRect(width, height);
    if (!HostSizesWindow())
        ResizeParent(width, height);
    owner->sizeWindow(width, height);
}

void SPluginEditor::Resize(int width, int height)
{
    WriteRect(width, height);
    if (AudioEffectX* host = Host())
        host->sizeWindow(width, height);
}

ERect* SPluginEditor::GetRect()
{
    rect = ERect{0, 0, kHeight, kWidth};
    return &rect;
}

void SPluginEditor::ClearPending()
{
    for (std::atomic<uint8_t>& entry : pending)
        entry = 0;
}
