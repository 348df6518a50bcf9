// The plug-in's editor: what the VST 2 layer hands the host's editor calls
// to. It classifies the host, sizes the host's window, and turns the update
// notifications of the plug-in into panel refreshes run from the idle pass.
#pragma once

#include "gui/SConnection.h"
#include "plugin/HostRecognition.h"
#include "plugin/PluginEditor.h"
#include "plugin/VstRecords.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

typedef struct _XDisplay Display;

class AudioEffect;
class AudioEffectX;
class SGlobals;
class SPlugin;
class SPluginPanel;

namespace kvor::gui {
class SControl;
class SCursor;
class SMessageDialog;
}  // namespace kvor::gui

namespace kvor::threading {
class STimerIdle;
}  // namespace kvor::threading

class SPluginEditor : public PluginEditor {
public:
    static constexpr int kWidth = kEditorWidth;
    static constexpr int kHeight = kEditorHeight;
    static constexpr long kPendingEntries = 256;

    // Sets result to the host-refused load code when the host is one the
    // plug-in does not run in.
    SPluginEditor(AudioEffect* effect, SGlobals* globals, int& result);
    ~SPluginEditor() override;
    // The plug-in's editor maker (EditorMaker).
    static PluginEditor* Make(AudioEffect* effect, SGlobals* globals, int& result);

    // The display the host passes with the next opening; null when it
    // passes 0, and the editor then lives on the module's own connection.
    void SetOpeningDisplay(Display* display) override { openingDisplay = display; }
    bool open(void* parent) override;
    void close() override;
    void idle() override;
    void update() override;
    void postUpdate() override;
    void updateIndexed() override;
    void postUpdateIndexed(long index) override;
    void updateAtIndex(long index) override;
    virtual void idleslow();

    void GetHostApp(int& result);
    void SetSize(int width, int height);
    void ChangeSize(int dx, int dy);
    void Resize(int width, int height);
    ERect* GetRect();

    // The idle thread's entry: editor is the SPluginEditor to drive.
    static void idlestatic(void* editor);

    // Stops every event, idle pass and timer of the editor's windows and
    // waits for those running; the node calls it first when it goes.
    void RetireWindows() override;

    int32_t HostKind() const override { return hostKind; }
    unsigned long PanelWindow() const override;
    // The toolkit objects of the first opening; null until then.
    SPluginPanel* Panel() const { return panel.load(); }
    kvor::gui::SControl* Container() const { return container; }
    kvor::gui::SMessageDialog* MessageDialog() const { return messageDialog; }
    bool IsOpen() const { return isOpen.load() != 0; }
    int32_t EditorNumber() const { return editorNumber; }

protected:
    // Refreshes the panel's controls for one parameter index, or all of
    // them for -1. Runs on the idle thread, or on the caller's thread for
    // updateAtIndex.
    virtual void RefreshPanel(long index);
    // Resizes the host's window when the host will not do it itself.
    virtual void ResizeParent(int width, int height);

private:
    // The idle thread calls through the function word of this cell.
    struct IdleCell {
        uintptr_t reserved;
        void (*function)(void*);
    };

    // Whether the host sizes its window itself; only an answer of exactly 1
    // means yes.
    bool HostSizesWindow();
    AudioEffectX* Host() const;
    void WriteRect(int width, int height);
    void SetEditorClosed(uint8_t closed);
    void CopyPluginTexts();
    void ClearPending();

    // The toolkit's windows (SPluginEditorWindows.cpp).
    // Whether the windows made so far can serve an opening on `wanted`:
    // made on it, and not gone with an earlier host window.
    bool WindowsServe(const kvor::gui::ConnectionRef& wanted) const;
    // Sets the windows aside for deletion once no idle pass can use them.
    void RetireWindowsForRebuild();
    void DeleteRetiredWindows(bool wait);
    // Reparents the panel under the error trap; false when its window is
    // gone (the host destroyed its window first).
    bool MovePanel(unsigned long window);
    void CreateWindows();
    void CreatePanel();
    void ShowPanelIn(unsigned long window);
    void ParkPanel();
    void CreateCursor();
    void UseCursor(std::shared_ptr<kvor::gui::SCursor> next);
    void StartIdle();
    void StopIdle();
    // Hosts that pass no display leave our windows on the module's own
    // connection, whose events only a thread of ours reads.
    void StartPump();
    void StopPump();
    void DestroyWindows();

    IdleCell idleCell;
    int32_t editorNumber;
    SGlobals* globals;
    // Made with the toolkit's windows at the first opening (and again when
    // an opening cannot use them); null until then. The idle pass reads it
    // while an opening may replace it.
    std::atomic<SPluginPanel*> panel;
    AudioEffect* plugin;
    int32_t hostKind;
    // Read by the idle thread while any thread posts.
    std::atomic<int32_t> indexedPending;
    [[maybe_unused]] int32_t reserved;
    uint8_t neverOpened;
    std::atomic<uint8_t> isOpen;
    ERect rect;
    // Exists only while open; shared with an event being handled.
    std::shared_ptr<kvor::gui::SCursor> cursor;
    unsigned long parentWindow;
    // The container holds the panel while the editor is closed; it, the
    // panel and the dialog live from the first opening to destruction.
    kvor::gui::SControl* container;
    kvor::gui::SMessageDialog* messageDialog;
    unsigned long containerWindow;
    // Whether the windows were made on the module's own connection.
    bool onModuleConnection = false;
    Display* openingDisplay = nullptr;
    // The idle entry lives from the first opening to destruction: removing
    // it waits for a pass in progress, which may be waiting for a display
    // lock the host holds around its editor calls.
    std::unique_ptr<kvor::threading::STimerIdle> idleTimer;
    // Idle passes under way; windows set aside are deleted only at 0.
    std::atomic<int> passesRunning{0};
    struct Windows {
        SPluginPanel* panel;
        kvor::gui::SControl* container;
        kvor::gui::SMessageDialog* dialog;
    };
    std::vector<Windows> retired;
    std::atomic<uint8_t> pending[kPendingEntries];
    // The plug-in base whose flag, rectangle and texts the editor keeps;
    // null when the effect is some other kind.
    SPlugin* owner;
};
