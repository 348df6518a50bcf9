// What the plug-in base asks of its editor beyond the VST 2 layer's editor
// calls. The base knows no editor type: whoever makes the plug-in hands it
// a maker (an EditorMaker), and the base owns what the maker returns.
#pragma once

#include "plugin/AEffEditor.h"

#include <cstdint>

typedef struct _XDisplay Display;

class SGlobals;

// The editor's fixed size, which the base reports before any opening.
inline constexpr int kEditorWidth = 170;
inline constexpr int kEditorHeight = 200;

// effVendorSpecific's index for "which X window is the open panel": the
// module's other faces (an LV2 UI must name its window to the host) ask
// the node through its record, as a host would. "TvPw".
inline constexpr VstInt32 kPanelWindowQuery = 0x54765077;

class PluginEditor : public AEffEditor {
public:
    using AEffEditor::AEffEditor;

    // The display the host passes with the next opening; null when it
    // passes 0.
    virtual void SetOpeningDisplay(Display* display) = 0;
    // Stops every event, idle pass and timer of the editor's windows and
    // waits for those running: the plug-in calls it before any of its own
    // parts go.
    virtual void RetireWindows() = 0;
    // The host kind the editor recognised at construction (HostRecognition.h).
    virtual int32_t HostKind() const = 0;
    // The X window the panel shows in while the editor is open; 0 otherwise.
    virtual unsigned long PanelWindow() const = 0;
};

// Makes the editor of `effect`, with the instance's GUI bundle; may set
// result to a load failure code (a host the plug-in refuses).
using EditorMaker = PluginEditor* (*)(AudioEffect* effect, SGlobals* globals, int& result);
