// The editor's one window: the node's panel, 170 x 200 pixels inside the
// host's window. It shows the logo, the mode, port, Thru, Panic and Nodes
// buttons, the node ID, the MIDI activity lamps and, instead of the
// buttons, the list of every node by port. Clicks become automated
// parameter changes of the node; the node's refresh notifications reach it
// through the editor's idle pass.
#pragma once

#include "gui/SWindow.h"
#include "gui/widgets/SLabel.h"
#include "relay/RelayLimits.h"

#include <atomic>
#include <cstdint>
#include <vector>

class SPluginEditor;
class VSTPlugin;

namespace kvor::gui {
template <bool B> class SButton;
template <int N, int H> class SListBox;
class SImageLabel;
class SToolTip;
}  // namespace kvor::gui

namespace kvor::gui::context {
class SDrawBitmap;
class SDrawMemoryDevice;
class SDrawPen;
}  // namespace kvor::gui::context

class SPluginPanel : public kvor::gui::SWindow {
public:
    using Button = kvor::gui::SButton<false>;
    using Label = kvor::gui::SLabel<false>;
    using NodeList = kvor::gui::SListBox<64, 14>;

    // A MIDI activity lamp. The idle pass picks its colour; the colour
    // reaches the drawing context only on the thread that draws, as it
    // draws.
    class Lamp : public Label {
    public:
        using Label::Label;
        // True when the colour changed.
        bool SetColour(int next) { return colour.exchange(next) != next; }
        int Colour() const { return colour.load(); }
        void Draw(const Rect& area) override;

    private:
        std::atomic<int32_t> colour{0};
    };

    SPluginPanel(SGlobals* globals, kvor::gui::SControl* parent, unsigned id, const char* name,
                 int style, int x, int y, int w, int h, int parentWindow, bool unused);
    ~SPluginPanel() override;

    void LoadControls() override;
    void Focussing(bool focused) override;
    // Brings the controls of one parameter index (or all, for -1) in line
    // with the node. Runs on the idle thread, the only one that switches
    // the view and builds the node list: a click on the Nodes button only
    // asks it to.
    void RefreshControls(long index) override;
    void Draw(const Rect& area) override;
    void MouseStateChanged(bool* flags, int index) override;
    void ParseEvent(kvor::gui::SEvent* event) override;

    // Draws the background into the off-screen bitmap and repaints.
    void RefreshPanel();
    void RefreshTimer(long) {}
    void RefreshLabels() {}

    void SetEditor(SPluginEditor* owner) { editor = owner; }
    void SetPlugin(VSTPlugin* node) { plugin = node; }

    // What tests and the editor look at.
    bool NodeView() const { return nodeView.load(); }
    const std::vector<Button*>& ModeButtons() const { return modeButtons; }
    const std::vector<Button*>& PortButtons() const { return portButtons; }
    Button* ThruButton() const { return thruButton; }
    Button* PanicButton() const { return panicButton; }
    Button* NodesButton() const { return nodesButton; }
    Label* IdLabel() const { return idLabel; }
    Lamp* MidiInLamp() const { return midiInLamp; }
    Lamp* MidiOutLamp() const { return midiOutLamp; }
    kvor::gui::SImageLabel* Logo() const { return logo; }
    NodeList* Nodes() const { return nodeList; }
    kvor::gui::SToolTip* Tooltip() const { return tooltip; }

private:
    struct LogoRect {
        int32_t left, top, right, bottom;
    };

    void LoadTooltip();
    void LoadLogo();
    void LoadModeButtons();
    void LoadPortButtons();
    void LoadActionButtons();
    void LoadLabels();
    void LoadNodeList();
    // Construction steps every control of the panel shares.
    template <typename Control>
    Control* Make(const char* name, int style, int x, int y, int w, int h, int c0, int c1, int c2);
    Button* MakeButton(const char* name, int style, int x, int y, int w, int h, int c0, int c1,
                       int c2, const char* text, int fontSize, int type);
    void Finish(kvor::gui::SControl* control, const char* tip, bool listen, bool shown);

    void OnControlChanged(unsigned sender, int value);
    // The view follows the Nodes button; a shown list is rebuilt.
    void SyncNodeView();
    void SwitchNodeView(bool nodes);
    // Rebuilds the node list from the process-wide tables, selecting this
    // node's line; with select, scrolls to it too.
    void ShowNodes(bool select);
    void SetLamp(Lamp* lamp, int slot);
    void RefreshIdLabel();
    void DrawBackground();
    void DrawPortGround();

    std::vector<Button*> modeButtons;
    std::vector<Button*> portButtons;
    Button* panicButton = nullptr;
    Button* thruButton = nullptr;
    Button* nodesButton = nullptr;
    Label* idLabel = nullptr;
    Lamp* midiInLamp = nullptr;
    Lamp* midiOutLamp = nullptr;
    kvor::gui::SImageLabel* logo = nullptr;
    LogoRect logoRect{0, 0, 0, 0};
    NodeList* nodeList = nullptr;
    char listenerCopy[kPortCount][kSlotCount] = {};
    // Written by the idle pass only.
    std::atomic<bool> nodeView{false};
    kvor::gui::SToolTip* tooltip = nullptr;
    SPluginEditor* editor = nullptr;
    VSTPlugin* plugin = nullptr;
    kvor::gui::context::SDrawMemoryDevice* backgroundDevice = nullptr;
    kvor::gui::context::SDrawBitmap* backgroundBitmap = nullptr;
    kvor::gui::context::SDrawPen* framePen = nullptr;
};
