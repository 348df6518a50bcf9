// The host's answers to what an instance asks, and the creation path that
// answers requests before the instance's record is known.
#include <gtest/gtest.h>

#include <string>

#include "host/HostCallback.h"
#include "plugin/VstOpcodes.h"
#include "tests/host/HostTestSupport.h"

namespace tarvenna::host::test {
namespace {

using HostAnswers = HostTest;

TEST_F(HostAnswers, VersionZeroGivesNoInstance)
{
    host.Defaults().version = 0;
    EXPECT_EQ(host.Instantiate(module), nullptr);
    EXPECT_NE(host.LastError().find("no instance"), std::string::npos) << host.LastError();
    ASSERT_EQ(host.LastCreationRequests().size(), 1u);
    EXPECT_EQ(host.LastCreationRequests()[0].opcode, audioMasterVersion);
    EXPECT_EQ(host.LastCreationRequests()[0].ptr, nullptr);
    EXPECT_EQ(Counters().created, 0);
    EXPECT_EQ(module.OpenInstances(), 0);
}

TEST_F(HostAnswers, ConfiguredAnswersReachTheModuleDuringCreation)
{
    HostConfig& c = host.Defaults();
    c.version = 2300;
    c.vendor = "Steady Vendor";
    c.product = "Cantabile Test";
    c.vendorVersion = 8200;
    c.sampleRate = 48000.0f;
    c.blockSize = 128;
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    const FixtureHostView& v = View(*instance);
    EXPECT_EQ(v.version, 2300);
    EXPECT_STREQ(v.vendor, "Steady Vendor");
    EXPECT_EQ(v.vendorAnswer, 1);
    EXPECT_STREQ(v.product, "Cantabile Test");
    EXPECT_EQ(v.productAnswer, 1);
    EXPECT_EQ(v.vendorVersion, 8200);
    EXPECT_EQ(v.sampleRate, 48000);
    EXPECT_EQ(v.blockSize, 128);
}

TEST_F(HostAnswers, CanDoAnswersOneOnlyForListedTexts)
{
    auto listed = Create();
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(View(*listed).canDoSizeWindow, 1);
    EXPECT_EQ(View(*listed).canDoUnknown, 0);

    host.Defaults().canDo.erase("sizeWindow");
    auto unlisted = Create();
    ASSERT_NE(unlisted, nullptr);
    EXPECT_EQ(View(*unlisted).canDoSizeWindow, 0);
}

TEST_F(HostAnswers, LongTextsAreCutToTheInterfacesLength)
{
    host.Defaults().product = std::string(200, 'p');
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(std::string(View(*instance).product), std::string(kHostTextCapacity - 1, 'p'));
}

TEST_F(HostAnswers, DirectoryIsNullUnlessConfigured)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    instance->Resume();
    EXPECT_EQ(View(*instance).resumes, 1);
    EXPECT_TRUE(View(*instance).directoryWasNull);

    instance->UpdateConfig([](HostConfig& c) { c.directory = "/opt/vst/tarvenna.so"; });
    instance->Resume();
    EXPECT_FALSE(View(*instance).directoryWasNull);
    EXPECT_STREQ(View(*instance).directory, "/opt/vst/tarvenna.so");
}

TEST_F(HostAnswers, SizeWindowIsAnsweredAndItsSizeRecorded)
{
    host.Defaults().sizeWindowAnswer = 0;
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    int parent = 0;
    EXPECT_EQ(instance->OpenEditor(&parent), 1);
    EXPECT_EQ(View(*instance).sizeWindowAnswer, 0);
    const Recording r = instance->Recorded();
    ASSERT_EQ(r.sizeWindow.size(), 1u);
    EXPECT_EQ(r.sizeWindow[0].width, 170);
    EXPECT_EQ(r.sizeWindow[0].height, 200);
}

TEST_F(HostAnswers, EachInstanceKeepsItsOwnAnswers)
{
    auto first = Create();
    auto second = Create();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    first->UpdateConfig([](HostConfig& c) { c.directory = "/first/"; });
    first->Resume();
    second->Resume();
    EXPECT_STREQ(View(*first).directory, "/first/");
    EXPECT_TRUE(View(*second).directoryWasNull);
    EXPECT_FALSE(second->Config().directory.has_value());
}

TEST_F(HostAnswers, SampleRateAndBlockSizeSetOnTheInstanceBecomeTheAnswers)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    instance->SetSampleRate(96000.0f);
    instance->SetBlockSize(64);
    EXPECT_EQ(HostCallback(instance->Effect(), audioMasterGetSampleRate, 0, 0, nullptr, 0), 96000);
    EXPECT_EQ(HostCallback(instance->Effect(), audioMasterGetBlockSize, 0, 0, nullptr, 0), 64);
}

TEST_F(HostAnswers, ProcessLevelTellsTheAudioThreadApart)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(View(*instance).levelOutsideProcess, 1);
    instance->ProcessReplacing(16);
    EXPECT_EQ(View(*instance).levelInProcess, 2);
}

TEST_F(HostAnswers, UnknownRecordsOutsideCreationAreStrays)
{
    const std::size_t before = StrayRequestCount();
    AEffect stranger{};
    EXPECT_EQ(HostCallback(&stranger, audioMasterVersion, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(HostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(StrayRequestCount(), before + 2);
}

// Creation-time requests belong to the instance being created even though
// they carry a record (or none) the host does not know yet.
TEST_F(HostAnswers, RequestLogStartsWithTheCreationRequests)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    const Recording r = instance->Recorded();
    ASSERT_EQ(r.requests.size(), host.LastCreationRequests().size());
    ASSERT_GE(r.requests.size(), 4u);
    EXPECT_EQ(r.requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(r.requests[1].opcode, audioMasterGetVendorString);
    EXPECT_NE(r.requests[1].ptr, nullptr);
    EXPECT_EQ(r.requests[2].opcode, audioMasterGetProductString);
    EXPECT_EQ(r.Count(audioMasterCanDo), 2u);
}

TEST_F(HostAnswers, ResumeAsksForMidiInput)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    instance->ClearRecorded();
    instance->Resume();
    const Recording r = instance->Recorded();
    ASSERT_EQ(r.wantMidi.size(), 1u);
    EXPECT_EQ(r.wantMidi[0], 1);
    ASSERT_EQ(r.requests.size(), 2u);
    EXPECT_EQ(r.requests[0].opcode, audioMasterGetDirectory);
    EXPECT_EQ(r.requests[1].opcode, audioMasterWantMidi);
}

}  // namespace
}  // namespace tarvenna::host::test
