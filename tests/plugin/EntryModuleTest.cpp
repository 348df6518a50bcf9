// The built module as a host sees it: loaded with dlopen, created through
// its exported entry point.

#include "host/Host.h"
#include "plugin/VstOpcodes.h"
#include "tests/support/StderrCapture.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using tarvenna::host::Host;
using tarvenna::host::Module;

namespace {

// The least a host must answer: a version, and 0 to everything else.
VstIntPtr MinimalHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

class EntryModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.load(TARVENNA_MODULE_PATH)) << module.error(); }

    Module module;
    Host host;
};

TEST_F(EntryModule, ExportsBothEntryNamesAndHidesEverythingElse)
{
    void* viaMain = dlsym(module.handle(), "main");
    void* viaPluginMain = dlsym(module.handle(), "VSTPluginMain");
    EXPECT_NE(viaMain, nullptr);
    EXPECT_NE(viaPluginMain, nullptr);
    // The process-wide objects and the classes stay inside the module.
    for (const char* hidden : {"sd", "dps", "dp", "statdata", "SInfo", "_ZTV9VSTPlugin"})
        EXPECT_EQ(dlsym(module.handle(), hidden), nullptr) << hidden;

    // Both names create a working instance.
    for (void* entry : {viaMain, viaPluginMain}) {
        auto create = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(entry);
        AEffect* effect = create(MinimalHost);
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(effect->magic, kEffectMagic);
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    }
}

TEST_F(EntryModule, AnswersTheCoreOpcodesThroughItsRecord)
{
    auto instance = host.instantiate(module);
    ASSERT_NE(instance, nullptr);
    AEffect* effect = instance->effect();
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_EQ(instance->dispatch(effIdentify, 3, 5, nullptr, 1.5f), 0x4e764566);
    EXPECT_EQ(instance->dispatch(effGetVstVersion), 2300);
    EXPECT_EQ(instance->dispatch(77), 0);
    EXPECT_EQ(instance->dispatch(-1), 0);
    // Text, chunk and event opcodes with no buffer are refused, not followed.
    for (VstInt32 opcode : {effGetProgramName, effGetParamDisplay, effGetChunk, effSetChunk,
                            effProcessEvents, effGetEffectName, effCanDo, effEditGetRect})
        EXPECT_EQ(instance->dispatch(opcode, 0, 0, nullptr), 0) << opcode;
    EXPECT_EQ(instance->close(), 1);
    EXPECT_TRUE(instance->closed());
}

TEST_F(EntryModule, RefusesAHostThatAnswersNoVersion)
{
    host.defaults().version = 0;
    StderrCapture err;
    EXPECT_EQ(host.instantiate(module), nullptr);
    EXPECT_EQ(err.Stop(), "");
    // Nothing but the version question was asked.
    ASSERT_EQ(host.lastCreationRequests().size(), 1u);
    EXPECT_EQ(host.lastCreationRequests()[0].opcode, audioMasterVersion);
}

TEST_F(EntryModule, RefusesUsineWithTheHostNameInTheMessage)
{
    host.defaults().product = "Usine Hollyhock";
    StderrCapture err;
    EXPECT_EQ(host.instantiate(module), nullptr);
    const std::string text = err.Stop();
    EXPECT_NE(text.find("Failed to load plugin\n(Reason: Host not supported (Usine))"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Tarvenna"), std::string::npos) << text;

    // The refusal belongs to that host; the module itself stays usable.
    host.defaults().product = "Some Host";
    auto next = host.instantiate(module);
    ASSERT_NE(next, nullptr);
}

}  // namespace
