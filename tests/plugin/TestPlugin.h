// A concrete plug-in on the base for tests, made in-process under our host
// library, and the guard that keeps the process-wide displays out of them.
#pragma once

#include <gtest/gtest.h>

#include "editor/SPluginEditor.h"
#include "host/Host.h"
#include "plugin/LoadFailure.h"
#include "module/ModuleState.h"
#include "plugin/SPlugin.h"
#include "plugin/VstOpcodes.h"

#include <memory>

class TestPlugin : public SPlugin {
public:
    TestPlugin(audioMasterCallback host, int& result) : SPlugin(host, result, SPluginEditor::Make)
    {
    }

    void process(float**, float**, VstInt32) override {}

    bool EditorClosed()
    {
        mutex.Lock();
        const bool closed = editorClosed != 0;
        mutex.Unlock();
        return closed;
    }
    bool Suspended() const { return suspended != 0; }
    SGlobals* Globals() const { return globals; }
    SPluginEditor* Editor() const { return static_cast<SPluginEditor*>(pluginEditor); }

    // Puts a test's editor in place of the one the constructor made; the
    // plug-in owns it from here on.
    void ReplaceEditor(SPluginEditor* replacement)
    {
        delete pluginEditor;
        pluginEditor = replacement;
        editor = replacement;
    }
};

// The host the plug-in base's tests start from: it names no product (so no
// host is recognised), says yes only to "sizeWindow" and has no directory.
inline tarvenna::host::HostConfig PluginTestAnswers()
{
    tarvenna::host::HostConfig answers;
    answers.vendor = "Test Vendor";
    answers.product = "";
    answers.vendorVersion = 0;
    answers.canDo = {{"sizeWindow", 1}};
    return answers;
}

// A TestPlugin made under `host`; the instance owns it (closing the record
// destroys it). The construction's load result goes to `result`.
inline std::unique_ptr<tarvenna::host::HostInstance>
MakeTestPlugin(tarvenna::host::Host& host, int& result, TestPlugin** plugin)
{
    auto instance = host.Instantiate([&](audioMasterCallback callback) {
        *plugin = new TestPlugin(callback, result);
        return (*plugin)->getAeffect();
    });
    EXPECT_NE(instance, nullptr) << host.LastError();
    return instance;
}

// The latest request of an opcode; a failure of the test when there is none.
inline tarvenna::host::RequestRecord LastRequest(const tarvenna::host::HostInstance& host,
                                                 VstInt32 opcode)
{
    const tarvenna::host::Recording recorded = host.Recorded();
    const tarvenna::host::RequestRecord* last = recorded.Last(opcode);
    if (last == nullptr) {
        ADD_FAILURE() << "the host never got opcode " << opcode;
        return tarvenna::host::RequestRecord{nullptr, -1, 0, 0, nullptr, 0.0f, {}};
    }
    return *last;
}

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
    explicit HostedPlugin(const tarvenna::host::HostConfig& answers = PluginTestAnswers())
        : host(answers),
          instance(MakeTestPlugin(host, result, &plugin)),
          record(plugin->getAeffect())
    {
    }
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
    {
        return instance->Dispatch(opcode, index, value, ptr, opt);
    }
    // What the plug-in asked of its host so far.
    tarvenna::host::Recording Requests() const { return instance->Recorded(); }

    int result = kLoadUsable;
    tarvenna::host::Host host;
    TestPlugin* plugin = nullptr;
    std::unique_ptr<tarvenna::host::HostInstance> instance;
    AEffect* record;
};
