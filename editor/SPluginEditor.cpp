#include "editor/SPluginEditor.h"

#include "editor/SStaticData.h"
#include "gui/Connections.h"
#include "gui/SCursor.h"
#include "gui/SGlobals.h"
#include "gui/XErrorTrap.h"
#include "plugin/AudioEffectX.h"
#include "plugin/LoadFailure.h"
#include "plugin/ModuleState.h"
#include "plugin/SPlugin.h"
#include "runtime/SThread.h"
#include "runtime/STimerIdle.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstring>

namespace {

// Host product strings are searched in this order; the first hit wins.
struct HostPattern {
    const char* text;
    int32_t kind;
};

constexpr HostPattern kHostPatterns[] = {
    {"Samplitude", kHostSamplitude}, {"SAVIHost", kHostSaviHost},   {"Melodyne", kHostMelodyne},
    {"Tracktion", kHostTracktion},   {"Cantabile", kHostCantabile}, {"Phrazor", kHostPhrazor},
    {"Usine", kHostUsine},           {"energyXT", kHostEnergyXT},
};

constexpr int kHostTextSize = 128;

// How long closing waits for an idle pass that is under way. A pass that
// takes longer is waiting for a display lock the host holds around the
// close: it finds the editor closed once it has it, and does nothing.
constexpr auto kCloseGrace = std::chrono::milliseconds(250);

}  // namespace

SPluginEditor::SPluginEditor(AudioEffect* effect, SGlobals* instanceGlobals, int& result)
    : AEffEditor(effect),
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
    char vendor[kHostTextSize] = {};
    char product[kHostTextSize] = {};
    host->getHostVendorString(vendor);
    host->getHostProductString(product);
    product[kHostTextSize - 1] = 0;

    hostKind = kHostUnknown;
    if (product[0] == 0)
        return;
    if (std::strstr(product, "Cubase") != nullptr) {
        hostKind = host->getHostVendorVersion() > kCubase4Version ? kHostCubase4 : kHostCubase;
        return;
    }
    for (const HostPattern& pattern : kHostPatterns) {
        if (std::strstr(product, pattern.text) != nullptr) {
            hostKind = pattern.kind;
            break;
        }
    }
    if (hostKind == kHostUsine)
        result = kLoadHostRefused;
}

void SPluginEditor::CopyPluginTexts()
{
    if (owner == nullptr || globals == nullptr)
        return;
    if (owner->nameText != nullptr) {
        globals->binaryName.Clear(false);
        globals->binaryName.Append(owner->nameText->data);
    }
    if (owner->directoryText != nullptr) {
        globals->binaryDirectory.Clear(false);
        globals->binaryDirectory.Append(owner->directoryText->data);
    }
}

// Only the flag is guarded: the plug-in reads it under the same mutex
// before it posts updates from its own threads.
void SPluginEditor::SetEditorClosed(uint8_t closed)
{
    if (owner == nullptr)
        return;
    owner->mutex.Lock();
    owner->editorClosed = closed;
    owner->mutex.Unlock();
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
        owner->editorRect = ERect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
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
    ERect& r = owner->editorRect;
    r.right = static_cast<int16_t>(r.right + dx);
    r.bottom = static_cast<int16_t>(r.bottom + dy);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (HostSizesWindow())
        r = ERect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    else
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
