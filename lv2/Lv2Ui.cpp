#include "lv2/Lv2Ui.h"

#include "plugin/PluginEditor.h"

#include <lv2/instance-access/instance-access.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

namespace lv2face {

namespace {

const LV2_Feature* FindFeature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
        if (std::strcmp((*f)->URI, uri) == 0)
            return *f;
    return nullptr;
}

LV2UI_Handle UiInstantiate(const LV2UI_Descriptor*, const char*, const char*,
                           LV2UI_Write_Function write, LV2UI_Controller controller,
                           LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    return Lv2Ui::Make(write, controller, widget, features);
}

void UiCleanup(LV2UI_Handle ui) { delete static_cast<Lv2Ui*>(ui); }

// The panel follows the node, which takes the host's control values in its
// run call; nothing the host sends the UI adds to that.
void UiPortEvent(LV2UI_Handle, uint32_t, uint32_t, uint32_t, const void*) {}

int UiIdle(LV2UI_Handle ui) { return static_cast<Lv2Ui*>(ui)->Idle(); }

const void* UiExtensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idle = {UiIdle};
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idle : nullptr;
}

const LV2UI_Descriptor kUiDescriptor = {kUiUri, UiInstantiate, UiCleanup, UiPortEvent,
                                        UiExtensionData};

}  // namespace

Lv2Ui::Lv2Ui(std::shared_ptr<PanelLink> link, LV2UI_Write_Function write,
             LV2UI_Controller controller)
    : link(std::move(link)),
      write(write),
      controller(controller)
{
    // What the panel changed before this UI existed is in the node already
    // and was the business of an earlier UI.
    this->link->node->TakePanelChanges(written, [](uint32_t, float) {});
}

Lv2Ui* Lv2Ui::Make(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                   const LV2_Feature* const* features)
{
    const LV2_Feature* instance = FindFeature(features, LV2_INSTANCE_ACCESS_URI);
    const LV2_Feature* parent = FindFeature(features, LV2_UI__parent);
    if (instance == nullptr || instance->data == nullptr || parent == nullptr) {
        std::fprintf(stderr, "tarvenna: the LV2 host gives the panel no %s; no panel opened\n",
                     instance == nullptr || instance->data == nullptr ? "plug-in instance"
                                                                      : "parent window");
        return nullptr;
    }
    Lv2Node& node = *static_cast<Lv2Node*>(instance->data);
    // Without an X connection of the module's own, the editor opens with
    // no window at all.
    const unsigned long window = node.OpenPanel(parent->data) ? node.PanelWindow() : 0;
    if (window == 0) {
        node.ClosePanel();
        std::fprintf(stderr, "tarvenna: the panel could not open in the LV2 host's window "
                             "(no connection to the X display?)\n");
        return nullptr;
    }
    auto* ui = new Lv2Ui(node.Link(), write, controller);
    *widget = reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(window));
    if (const LV2_Feature* resize = FindFeature(features, LV2_UI__resize)) {
        const auto* host = static_cast<const LV2UI_Resize*>(resize->data);
        if (host != nullptr && host->ui_resize != nullptr)
            host->ui_resize(host->handle, kEditorWidth, kEditorHeight);
    }
    return ui;
}

// A node that went first closed its panel itself, as when a VST 2 host
// closes a plug-in whose editor is open.
Lv2Ui::~Lv2Ui()
{
    std::lock_guard<std::mutex> guard(link->mutex);
    if (link->node != nullptr)
        link->node->ClosePanel();
}

int Lv2Ui::Idle()
{
    std::lock_guard<std::mutex> guard(link->mutex);
    if (link->node == nullptr)
        return 1;
    link->node->IdlePanel();
    link->node->TakePanelChanges(written, [this](uint32_t port, float value) {
        write(controller, port, sizeof value, 0, &value);
    });
    return 0;
}

const LV2UI_Descriptor* UiDescriptor(uint32_t index)
{
    return index == 0 ? &kUiDescriptor : nullptr;
}

}  // namespace lv2face
