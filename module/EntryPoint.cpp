#include "module/EntryPoint.h"

#include "editor/SPluginEditor.h"
#include "plugin/UserMessage.h"
#include "plugin/LoadFailure.h"
#include "module/ModuleState.h"
#include "module/OtherCopies.h"
#include "plugin/VstOpcodes.h"
#include "relay/VSTPlugin.h"

namespace {

void ReportLoadFailure(int code, const VSTPlugin* plugin)
{
    kvor::data::datastring<32, char> text;
    ComposeLoadFailure(text, code, plugin ? plugin->PluginHostName() : "");
    ShowUserMessage(text.data);
}

}  // namespace

AEffect* CreateInstance(audioMasterCallback hostCallback)
{
    // Without a host answering the version request there is nobody to talk to.
    if (!hostCallback || hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;

    ReportOtherCopies();
    int result = kLoadUsable;
    VSTPlugin* plugin = nullptr;
    if (sd.Qualifies(false, false)) {
        sd.FeatureMessage();
        plugin = new VSTPlugin(hostCallback, result, SPluginEditor::Make);
        if (result == kLoadUsable)
            return &plugin->effectRecord;
        if (result == kLoadInstanceLimit) {
            // The node has already told the user.
            delete plugin;
            return nullptr;
        }
    } else {
        sd.ErrorMessage(false, false);
        result = kLoadMachineRefused;
    }
    ReportLoadFailure(result, plugin);
    delete plugin;
    return nullptr;
}
