// The plug-in base between the VST 2 layer and the relay node: fixes what
// the host sees of the plug-in, owns the editor and the instance's GUI
// bundle, answers the editor opcodes itself and names the host.
#pragma once

#include "plugin/AudioEffectX.h"
#include "plugin/PluginEditor.h"
#include "runtime/SMutex.h"
#include "runtime/datastring.h"

#include <atomic>
#include <cstdint>

class SGlobals;

// The maker's name, reported as the vendor string.
inline constexpr char kPluginVendor[] = "tarvenna.example";
inline constexpr char kPluginProduct[] = "Tarvenna";
inline constexpr VstInt32 kPluginVendorVersion = 104;
// "QRNe", first character in the most significant byte.
inline constexpr VstInt32 kPluginUniqueID = 0x51524E65;

class SPlugin : public AudioEffectX {
public:
    // makeEditor makes the plug-in's editor (null: none); its host
    // recognition may set result to the host-refused code, which the caller
    // of the outermost constructor acts on.
    SPlugin(audioMasterCallback hostCallback, int& result, EditorMaker makeEditor);
    ~SPlugin() override;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;
    void open() override;
    void close() override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void suspend() override;
    void resume() override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(char* text) override;
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // The host's name for the load-failure text; a constant, never freed.
    // Empty when there is no editor to have recognised the host.
    const char* PluginHostName() const;

    // The host's raw answer to a capability query: 1 yes, -1 no, 0 unknown.
    // canHostDo folds -1 into yes, which some callers cannot afford.
    VstIntPtr HostCanDo(const char* text);

    // What the editor keeps of the plug-in. The flag is written under the
    // plug-in's mutex, which the plug-in holds while it decides to post
    // updates from its own threads.
    void SetEditorClosed(bool closed);
    // The rectangle the host gets for its get-rectangle call.
    ERect EditorRect() const { return editorRect; }
    void SetEditorRect(int width, int height);
    // The plug-in's name and the host's directory as of the first resume;
    // null before it.
    const char* NameText() const;
    const char* DirectoryText() const;

    PluginEditor* Editor() const { return pluginEditor; }

protected:
    // Stops the editor's windows, before a derived plug-in's parts go that
    // the editor's events and idle passes call into.
    void RetireEditorWindows();

    // 1 while the editor is not open. Written by the editor under mutex;
    // read as an atomic, also from the audio thread, which must not wait.
    std::atomic<uint8_t> editorClosed;
    // 1 while the host has the plug-in switched off; the audio thread reads
    // it without a lock.
    std::atomic<uint8_t> suspended;
    PluginEditor* pluginEditor;  // the layer's editor member owns it
    ERect editorRect;
    SGlobals* globals;
    kvor::data::datastring<32, char>* nameText;
    kvor::data::datastring<32, char>* directoryText;
    kvor::threading::SMutexOS mutex;

private:
    void MakeNameText();
    void MakeDirectoryText();
};
