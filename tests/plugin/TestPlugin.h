// A concrete plug-in on the base for tests, and the guard that keeps the
// process-wide displays out of them.
#pragma once

#include "FakeHost.h"

#include "editor/SPluginEditor.h"
#include "plugin/LoadFailure.h"
#include "plugin/ModuleState.h"
#include "plugin/SPlugin.h"

class TestPlugin : public SPlugin {
public:
    explicit TestPlugin(int& result) : SPlugin(&FakeHost::Callback, result) {}

    void process(float**, float**, VstInt32) override {}

    bool EditorClosed()
    {
        mutex.Lock();
        const bool closed = editorClosed != 0;
        mutex.Unlock();
        return closed;
    }
    bool Suspended() const { return suspended != 0; }
    const char* NameText() const { return nameText ? nameText->data : nullptr; }
    const char* DirectoryText() const { return directoryText ? directoryText->data : nullptr; }
    SGlobals* Globals() const { return globals; }
    SPluginEditor* Editor() const { return pluginEditor; }

    // Puts a test's editor in place of the one the constructor made; the
    // plug-in owns it from here on.
    void ReplaceEditor(SPluginEditor* replacement)
    {
        delete pluginEditor;
        pluginEditor = replacement;
        editor = replacement;
    }
};

// The displays are process-wide and a test may put a stand-in value into
// dp; each test starts with neither display and leaves them as it found
// them, so no test resizes a real window or follows a stand-in pointer.
class DisplayGuard {
public:
    DisplayGuard() : savedDp(dp.exchange(nullptr)), savedDps(dps) { dps = nullptr; }
    ~DisplayGuard()
    {
        dp = savedDp;
        dps = savedDps;
    }
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

private:
    Display* savedDp;
    Display* savedDps;
};

// A plug-in driven the way a host drives it: through its record. Closing
// the record destroys the plug-in.
class HostedPlugin {
public:
    HostedPlugin() : plugin(new TestPlugin(result)), record(plugin->getAeffect()) {}
    ~HostedPlugin()
    {
        if (record != nullptr)
            Dispatch(effClose);
    }
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
    {
        const VstIntPtr answer = record->dispatcher(record, opcode, index, value, ptr, opt);
        if (opcode == effClose)
            record = nullptr;
        return answer;
    }

    int result = kLoadUsable;
    TestPlugin* plugin;
    AEffect* record;
};
