// The entry point's decisions, called in-process so a test can change what
// the machine inquiry found.

#include "plugin/EntryPoint.h"
#include "plugin/LoadFailure.h"
#include "plugin/ModuleState.h"
#include "plugin/VstOpcodes.h"
#include "relay/VSTPlugin.h"
#include "tests/plugin/ProcFilesFixture.h"
#include "tests/support/StderrCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

int versionRequests = 0;

VstIntPtr HostWithVersion(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion) {
        ++versionRequests;
        return 2400;
    }
    return 0;
}

std::string FailureText(int code, const char* hostName)
{
    kvor::data::datastring<32, char> text;
    ComposeLoadFailure(text, code, hostName);
    return text.data;
}

TEST(EntryPoint, HandsTheHostTheRecordInsideTheNode)
{
    AEffect* effect = CreateInstance(HostWithVersion);
    ASSERT_NE(effect, nullptr);
    auto* node = static_cast<VSTPlugin*>(static_cast<AudioEffect*>(effect->object));
    EXPECT_EQ(effect, &node->effectRecord);
    EXPECT_EQ(effect->object, static_cast<AudioEffect*>(node));
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

class EntryOnOldKernel : public ProcFilesFixture {
protected:
    // The module's inquiry is filled at load from the real /proc; these
    // tests show it an older kernel and give the real one back afterwards.
    void TearDown() override
    {
        sd.getOSInfos();
        ProcFilesFixture::TearDown();
    }
};

TEST_F(EntryOnOldKernel, RefusesTheMachineBeforeBuildingANode)
{
    Write(ostypePath, "Linux\n");
    Write(releasePath, "2.4.37\n");
    Write(versionPath, "#1 SMP\n");
    sd.getOSInfos(files);
    ASSERT_FALSE(sd.Qualifies(false, false));

    versionRequests = 0;
    StderrCapture err;
    AEffect* effect = CreateInstance(HostWithVersion);
    const std::string text = err.Stop();

    EXPECT_EQ(effect, nullptr);
    EXPECT_EQ(versionRequests, 1);
    EXPECT_NE(text.find("Failed to load plugin\n(Reason: System not supported\n"
                        "Please check the requirements)"),
              std::string::npos)
        << text;

    // No node was built: on the real kernel the next instance is node 1.
    sd.getOSInfos();
    AEffect* next = CreateInstance(HostWithVersion);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(static_cast<VSTPlugin*>(static_cast<AudioEffect*>(next->object))->nodeId, 1);
    next->dispatcher(next, effClose, 0, 0, nullptr, 0.0f);
}

TEST(EntryPoint, NeedsAHostCallbackThatAnswersTheVersion)
{
    EXPECT_EQ(CreateInstance(nullptr), nullptr);
}

TEST(LoadFailureText, NamesTheReasonForEachCode)
{
    EXPECT_EQ(FailureText(kLoadMachineRefused, ""),
              "Failed to load plugin\n(Reason: System not supported\n"
              "Please check the requirements)");
    EXPECT_EQ(FailureText(kLoadHostRefused, "Usine"),
              "Failed to load plugin\n(Reason: Host not supported (Usine))");
    EXPECT_EQ(FailureText(1, ""), std::string("Failed to load plugin\n(Reason: Internal Error\n"
                                              "Please report to \n") +
                                      kSupportAddress + ")");
}

TEST(ModuleDisplay, FollowsDisplayElseTheFirstLocalServer)
{
    const char* saved = std::getenv("DISPLAY");
    const std::string savedValue = saved ? saved : "";

    unsetenv("DISPLAY");
    EXPECT_STREQ(ModuleDisplayName(), ":0.0");
    setenv("DISPLAY", ":7", 1);
    EXPECT_STREQ(ModuleDisplayName(), ":7");

    if (saved)
        setenv("DISPLAY", savedValue.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

}  // namespace
