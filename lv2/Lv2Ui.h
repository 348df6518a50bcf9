// The panel as an LV2 X11 UI: the editor a VST 2 host opens, embedded in
// the window the LV2 host gives (ui:parent). The host hands over the node
// itself (instance-access), so the UI is the node's own panel, not a copy
// that talks to it through ports. The panel lives on the module's own X
// connection and threads; the host is called only from its own idle calls,
// where the controls the panel moved are written to the host's ports.
#pragma once

#include "lv2/Lv2Node.h"

#include <lv2/ui/ui.h>

namespace lv2face {

class Lv2Ui {
public:
    // Null with a line on standard error when the host does not give the
    // node and a parent window, or the panel cannot open.
    static Lv2Ui* Make(LV2UI_Write_Function write, LV2UI_Controller controller,
                       LV2UI_Widget* widget, const LV2_Feature* const* features);
    ~Lv2Ui();

    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    // The host's idle call: the editor's idle, and the panel's changes to
    // the host. 0: the UI stays open; 1 once the node is gone.
    int Idle();

private:
    Lv2Ui(std::shared_ptr<PanelLink> link, LV2UI_Write_Function write, LV2UI_Controller controller);

    std::shared_ptr<PanelLink> link;
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    Lv2Node::PanelChanges written;
};

// The UI descriptor the module exports as lv2ui_descriptor.
const LV2UI_Descriptor* UiDescriptor(uint32_t index);

}  // namespace lv2face
