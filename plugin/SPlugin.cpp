#include "plugin/SPlugin.h"

#include "gui/Connections.h"
#include "gui/SGlobals.h"
#include "plugin/HostRecognition.h"
#include "runtime/SFilePath.h"

#include <cstring>
#include <vector>

namespace {

constexpr VstInt32 kPrograms = 1;
constexpr VstInt32 kParameters = 4;
constexpr VstInt32 kChannels = 2;
constexpr int kNameBuffer = 128;

constexpr const char* kCapabilities[] = {
    "sendVstMidiEvent",    "sendVstEvents",      "receiveVstEvents",
    "receiveVstMidiEvent", "receiveVstTimeInfo",
};

}  // namespace

SPlugin::SPlugin(audioMasterCallback hostCallback, int& result, EditorMaker makeEditor)
    : AudioEffectX(hostCallback, kPrograms, kParameters),
      editorClosed(1),
      suspended(1),
      pluginEditor(nullptr),
      editorRect{0, 0, kEditorHeight, kEditorWidth},
      globals(nullptr),
      nameText(nullptr),
      directoryText(nullptr)
{
    globals = new SGlobals;
    if (makeEditor != nullptr) {
        pluginEditor = makeEditor(this, globals, result);
        editor = pluginEditor;
        setFlag(effFlagsHasEditor, pluginEditor != nullptr);
    }

    isSynth(true);
    setUniqueID(kPluginUniqueID);
    setNumInputs(kChannels);
    setNumOutputs(kChannels);
    canProcessReplacing(true);
    hasVu(false);
    hasClip(false);
    programsAreChunks(true);
    canMono(true);
    suspended = 1;
}

// The editor goes first: closing it still touches our mutex, flag and
// texts. The layer would delete it again, so its pointer is cleared.
SPlugin::~SPlugin()
{
    delete pluginEditor;
    pluginEditor = nullptr;
    editor = nullptr;
    delete nameText;
    nameText = nullptr;
    delete directoryText;
    directoryText = nullptr;
    delete globals;
    globals = nullptr;
}

VstIntPtr SPlugin::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt)
{
    switch (opcode) {
    case effEditGetRect:
        if (ptr == nullptr)
            return 0;
        *static_cast<ERect**>(ptr) = &editorRect;
        return reinterpret_cast<VstIntPtr>(&editorRect);
    case effEditOpen: {
        if (ptr == nullptr)
            return 0;
        // Each opening uses the display it comes with (0: the module's own
        // connection); hosts with a connection per window pass a new one
        // each time. The last one passed is where an info box goes.
        Display* display = reinterpret_cast<Display*>(value);
        kvor::gui::AdoptHostDisplay(display);
        if (pluginEditor != nullptr) {
            pluginEditor->SetOpeningDisplay(display);
            pluginEditor->open(ptr);
        }
        return 1;
    }
    case effEditClose:
        if (pluginEditor != nullptr)
            pluginEditor->close();
        return 1;
    case effEditIdle:
        // The editor is driven by the toolkit's idle thread instead.
        return 0;
    default:
        return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
    }
}

void SPlugin::open() {}

void SPlugin::close() {}

void SPlugin::setSampleRate(float rate) { sampleRate = rate; }

void SPlugin::setBlockSize(VstInt32 size) { blockSize = size; }

void SPlugin::suspend() { suspended = 1; }

// The texts are made once: the host's directory is asked for only at the
// first resume, even when it answered nothing.
void SPlugin::resume()
{
    if (nameText == nullptr)
        MakeNameText();
    if (directoryText == nullptr)
        MakeDirectoryText();
    wantEvents(1);
    suspended = 0;
}

void SPlugin::MakeNameText()
{
    nameText = new kvor::data::datastring<32, char>;
    char name[kNameBuffer] = {};
    getEffectName(name);
    name[kNameBuffer - 1] = 0;
    nameText->Append(name);
}

void SPlugin::MakeDirectoryText()
{
    directoryText = new kvor::data::datastring<32, char>;
    const char* answer = static_cast<const char*>(getDirectory());
    if (answer == nullptr)
        return;
    // The directory is never longer than the host's text, however long
    // that is.
    std::vector<char> directory(std::strlen(answer) + 1, 0);
    kvor::file::SFilePath::GetDir(directory.data(), answer, -1);
    directoryText->Append(directory.data());
}

bool SPlugin::getInputProperties(VstInt32, VstPinProperties*) { return false; }

bool SPlugin::getOutputProperties(VstInt32, VstPinProperties*) { return false; }

bool SPlugin::getEffectName(char* name)
{
    std::strcpy(name, kPluginProduct);
    return true;
}

bool SPlugin::getVendorString(char* text)
{
    std::strcpy(text, kPluginVendor);
    return true;
}

bool SPlugin::getProductString(char* text)
{
    std::strcpy(text, kPluginProduct);
    return true;
}

VstInt32 SPlugin::getVendorVersion() { return kPluginVendorVersion; }

// Unknown capabilities are -1 ("cannot"), never 0 ("don't know").
VstInt32 SPlugin::canDo(char* text)
{
    if (text == nullptr)
        return -1;
    for (const char* capability : kCapabilities)
        if (std::strcmp(text, capability) == 0)
            return 1;
    return -1;
}

VstIntPtr SPlugin::vendorSpecific(VstInt32 index, VstIntPtr, void*, float)
{
    if (index == kPanelWindowQuery && pluginEditor != nullptr)
        return static_cast<VstIntPtr>(pluginEditor->PanelWindow());
    return 0;
}

const char* SPlugin::PluginHostName() const
{
    if (pluginEditor == nullptr)
        return "";
    return HostNameForKind(pluginEditor->HostKind());
}

void SPlugin::SetEditorClosed(bool closed)
{
    mutex.Lock();
    editorClosed = closed ? 1 : 0;
    mutex.Unlock();
}

void SPlugin::SetEditorRect(int width, int height)
{
    editorRect = ERect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
}

const char* SPlugin::NameText() const { return nameText != nullptr ? nameText->data : nullptr; }

const char* SPlugin::DirectoryText() const
{
    return directoryText != nullptr ? directoryText->data : nullptr;
}

void SPlugin::RetireEditorWindows()
{
    if (pluginEditor != nullptr)
        pluginEditor->RetireWindows();
}

VstIntPtr SPlugin::HostCanDo(const char* text)
{
    return callHost(audioMasterCanDo, 0, 0, const_cast<char*>(text));
}
