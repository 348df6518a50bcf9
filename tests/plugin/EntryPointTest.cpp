// The entry point's decisions, called in-process so a test can change what
// the machine inquiry found.

#include "host/Host.h"
#include "module/EntryPoint.h"
#include "plugin/LoadFailure.h"
#include "module/ModuleState.h"
#include "plugin/VstOpcodes.h"
#include "relay/VSTPlugin.h"
#include "tests/plugin/ProcFilesFixture.h"
#include "tests/support/StderrCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using tarvenna::host::Host;
using tarvenna::host::HostInstance;

VSTPlugin* NodeOf(const HostInstance& instance)
{
    return static_cast<VSTPlugin*>(static_cast<AudioEffect*>(instance.Effect()->object));
}

std::size_t VersionRequests(const Host& host)
{
    std::size_t count = 0;
    for (const tarvenna::host::RequestRecord& request : host.LastCreationRequests())
        count += request.opcode == audioMasterVersion;
    return count;
}

std::string FailureText(int code, const char* hostName)
{
    kvor::data::datastring<32, char> text;
    ComposeLoadFailure(text, code, hostName);
    return text.data;
}

TEST(EntryPoint, HandsTheHostTheRecordInsideTheNode)
{
    Host host;
    auto instance = host.Instantiate(CreateInstance);
    ASSERT_NE(instance, nullptr) << host.LastError();
    VSTPlugin* node = NodeOf(*instance);
    EXPECT_EQ(instance->Effect(), &node->effectRecord);
    EXPECT_EQ(instance->Effect()->object, static_cast<AudioEffect*>(node));
    EXPECT_EQ(VersionRequests(host), 1u);
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

    Host host;
    StderrCapture err;
    auto refused = host.Instantiate(CreateInstance);
    const std::string text = err.Stop();

    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(VersionRequests(host), 1u);
    EXPECT_NE(text.find("Failed to load plugin\n(Reason: System not supported\n"
                        "Please check the requirements)"),
              std::string::npos)
        << text;

    // No node was built: on the real kernel the next instance is node 1.
    sd.getOSInfos();
    auto next = host.Instantiate(CreateInstance);
    ASSERT_NE(next, nullptr) << host.LastError();
    EXPECT_EQ(NodeOf(*next)->nodeId, 1);
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
