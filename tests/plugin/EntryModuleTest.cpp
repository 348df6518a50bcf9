// The built module as a host sees it: loaded with dlopen, created through
// its exported entry point.

#include "host/Host.h"
#include "plugin/VstOpcodes.h"
#include "tests/support/StderrCapture.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include <optional>

using tarvenna::host::Host;
using tarvenna::host::Module;

namespace {

// The least a host must answer: a version, and 0 to everything else.
tarvenna::host::InstanceOptions MinimalAnswers()
{
    tarvenna::host::InstanceOptions options;
    options.hook = [](const tarvenna::host::RequestRecord& request) -> std::optional<VstIntPtr> {
        return request.opcode == audioMasterVersion ? 2400 : 0;
    };
    return options;
}

class EntryModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.Load(TARVENNA_MODULE_PATH)) << module.Error(); }

    Module module;
    Host host;
};

TEST_F(EntryModule, ExportsBothEntryNamesAndHidesEverythingElse)
{
    void* viaMain = dlsym(module.Handle(), "main");
    void* viaPluginMain = dlsym(module.Handle(), "VSTPluginMain");
    EXPECT_NE(viaMain, nullptr);
    EXPECT_NE(viaPluginMain, nullptr);
    // The process-wide objects and the classes stay inside the module.
    for (const char* hidden : {"sd", "dps", "dp", "statdata", "SInfo", "_ZTV9VSTPlugin"})
        EXPECT_EQ(dlsym(module.Handle(), hidden), nullptr) << hidden;

    // Both names create a working instance.
    for (void* entry : {viaMain, viaPluginMain}) {
        auto instance =
            host.Instantiate(reinterpret_cast<tarvenna::host::EntryProc>(entry), MinimalAnswers());
        ASSERT_NE(instance, nullptr) << host.LastError();
        EXPECT_EQ(instance->Effect()->magic, kEffectMagic);
        EXPECT_EQ(instance->Close(), 1);
    }
}

TEST_F(EntryModule, AnswersTheCoreOpcodesThroughItsRecord)
{
    auto instance = host.Instantiate(module);
    ASSERT_NE(instance, nullptr);
    AEffect* effect = instance->Effect();
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_EQ(instance->Dispatch(effIdentify, 3, 5, nullptr, 1.5f), 0x4e764566);
    EXPECT_EQ(instance->Dispatch(effGetVstVersion), 2300);
    EXPECT_EQ(instance->Dispatch(77), 0);
    EXPECT_EQ(instance->Dispatch(-1), 0);
    // Text, chunk and event opcodes with no buffer are refused, not followed.
    for (VstInt32 opcode : {effGetProgramName, effGetParamDisplay, effGetChunk, effSetChunk,
                            effProcessEvents, effGetEffectName, effCanDo, effEditGetRect})
        EXPECT_EQ(instance->Dispatch(opcode, 0, 0, nullptr), 0) << opcode;
    EXPECT_EQ(instance->Close(), 1);
    EXPECT_TRUE(instance->Closed());
}

TEST_F(EntryModule, RefusesAHostThatAnswersNoVersion)
{
    host.Defaults().version = 0;
    StderrCapture err;
    EXPECT_EQ(host.Instantiate(module), nullptr);
    EXPECT_EQ(err.Stop(), "");
    // Nothing but the version question was asked.
    ASSERT_EQ(host.LastCreationRequests().size(), 1u);
    EXPECT_EQ(host.LastCreationRequests()[0].opcode, audioMasterVersion);
}

TEST_F(EntryModule, RefusesUsineWithTheHostNameInTheMessage)
{
    host.Defaults().product = "Usine Hollyhock";
    StderrCapture err;
    EXPECT_EQ(host.Instantiate(module), nullptr);
    const std::string text = err.Stop();
    EXPECT_NE(text.find("Failed to load plugin\n(Reason: Host not supported (Usine))"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Tarvenna"), std::string::npos) << text;

    // The refusal belongs to that host; the module itself stays usable.
    host.Defaults().product = "Some Host";
    auto next = host.Instantiate(module);
    ASSERT_NE(next, nullptr);
}

// A second copy of the module from another file (a host that found it in
// two places) has a relay of its own: the first instance made by either
// says so, once.
TEST_F(EntryModule, ASecondCopyFromAnotherFileIsPointedOutOnce)
{
    char folder[] = "/tmp/tarvenna-copy-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string copyPath = std::string(folder) + "/tarvenna.so";
    ASSERT_EQ(std::system(("cp " + std::string(TARVENNA_MODULE_PATH) + " " + copyPath).c_str()), 0);
    {
        Module copy;
        ASSERT_TRUE(copy.Load(copyPath)) << copy.Error();
        StderrCapture capture;
        auto first = host.Instantiate(copy, MinimalAnswers());
        auto second = host.Instantiate(copy, MinimalAnswers());
        const std::string said = capture.Stop();
        EXPECT_NE(said.find("another copy of the module is loaded from " +
                            std::string(TARVENNA_MODULE_PATH)),
                  std::string::npos)
            << said;
        EXPECT_EQ(said.find("another copy", said.find("another copy") + 1), std::string::npos)
            << "said once: " << said;
        first.reset();
        second.reset();
    }
    std::system(("rm -r " + std::string(folder)).c_str());
}

}  // namespace
