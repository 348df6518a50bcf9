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
    host.defaults().version = 0;
    EXPECT_EQ(host.instantiate(module), nullptr);
    EXPECT_NE(host.lastError().find("no instance"), std::string::npos) << host.lastError();
    ASSERT_EQ(host.lastCreationRequests().size(), 1u);
    EXPECT_EQ(host.lastCreationRequests()[0].opcode, audioMasterVersion);
    EXPECT_FALSE(host.lastCreationRequests()[0].hadPointer);
    EXPECT_EQ(counters().created, 0);
    EXPECT_EQ(module.openInstances(), 0);
}

TEST_F(HostAnswers, ConfiguredAnswersReachTheModuleDuringCreation)
{
    HostConfig& c = host.defaults();
    c.version = 2300;
    c.vendor = "Steady Vendor";
    c.product = "Cantabile Test";
    c.vendorVersion = 8200;
    c.sampleRate = 48000.0f;
    c.blockSize = 128;
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    const FixtureHostView& v = view(*instance);
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
    auto listed = create();
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(view(*listed).canDoSizeWindow, 1);
    EXPECT_EQ(view(*listed).canDoUnknown, 0);

    host.defaults().canDo.erase("sizeWindow");
    auto unlisted = create();
    ASSERT_NE(unlisted, nullptr);
    EXPECT_EQ(view(*unlisted).canDoSizeWindow, 0);
}

TEST_F(HostAnswers, LongTextsAreCutToTheInterfacesLength)
{
    host.defaults().product = std::string(200, 'p');
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(std::string(view(*instance).product), std::string(kHostTextCapacity - 1, 'p'));
}

TEST_F(HostAnswers, DirectoryIsNullUnlessConfigured)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    instance->resume();
    EXPECT_EQ(view(*instance).resumes, 1);
    EXPECT_TRUE(view(*instance).directoryWasNull);

    instance->updateConfig([](HostConfig& c) { c.directory = "/opt/vst/tarvenna.so"; });
    instance->resume();
    EXPECT_FALSE(view(*instance).directoryWasNull);
    EXPECT_STREQ(view(*instance).directory, "/opt/vst/tarvenna.so");
}

TEST_F(HostAnswers, SizeWindowIsAnsweredAndItsSizeRecorded)
{
    host.defaults().sizeWindowAnswer = 0;
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    int parent = 0;
    EXPECT_EQ(instance->openEditor(&parent), 1);
    EXPECT_EQ(view(*instance).sizeWindowAnswer, 0);
    const Recording r = instance->recorded();
    ASSERT_EQ(r.sizeWindow.size(), 1u);
    EXPECT_EQ(r.sizeWindow[0].width, 170);
    EXPECT_EQ(r.sizeWindow[0].height, 200);
}

TEST_F(HostAnswers, EachInstanceKeepsItsOwnAnswers)
{
    auto first = create();
    auto second = create();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    first->updateConfig([](HostConfig& c) { c.directory = "/first/"; });
    first->resume();
    second->resume();
    EXPECT_STREQ(view(*first).directory, "/first/");
    EXPECT_TRUE(view(*second).directoryWasNull);
    EXPECT_FALSE(second->config().directory.has_value());
}

TEST_F(HostAnswers, SampleRateAndBlockSizeSetOnTheInstanceBecomeTheAnswers)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    instance->setSampleRate(96000.0f);
    instance->setBlockSize(64);
    EXPECT_EQ(hostCallback(instance->effect(), audioMasterGetSampleRate, 0, 0, nullptr, 0), 96000);
    EXPECT_EQ(hostCallback(instance->effect(), audioMasterGetBlockSize, 0, 0, nullptr, 0), 64);
}

TEST_F(HostAnswers, ProcessLevelTellsTheAudioThreadApart)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(view(*instance).levelOutsideProcess, 1);
    instance->processReplacing(16);
    EXPECT_EQ(view(*instance).levelInProcess, 2);
}

TEST_F(HostAnswers, UnknownRecordsOutsideCreationAreStrays)
{
    const std::size_t before = strayRequestCount();
    AEffect stranger{};
    EXPECT_EQ(hostCallback(&stranger, audioMasterVersion, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(strayRequestCount(), before + 2);
}

// Creation-time requests belong to the instance being created even though
// they carry a record (or none) the host does not know yet.
TEST_F(HostAnswers, RequestLogStartsWithTheCreationRequests)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    const Recording r = instance->recorded();
    ASSERT_EQ(r.requests.size(), host.lastCreationRequests().size());
    ASSERT_GE(r.requests.size(), 4u);
    EXPECT_EQ(r.requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(r.requests[1].opcode, audioMasterGetVendorString);
    EXPECT_TRUE(r.requests[1].hadPointer);
    EXPECT_EQ(r.requests[2].opcode, audioMasterGetProductString);
    EXPECT_EQ(r.count(audioMasterCanDo), 2u);
}

TEST_F(HostAnswers, ResumeAsksForMidiInput)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    instance->clearRecorded();
    instance->resume();
    const Recording r = instance->recorded();
    ASSERT_EQ(r.wantMidi.size(), 1u);
    EXPECT_EQ(r.wantMidi[0], 1);
    ASSERT_EQ(r.requests.size(), 2u);
    EXPECT_EQ(r.requests[0].opcode, audioMasterGetDirectory);
    EXPECT_EQ(r.requests[1].opcode, audioMasterWantMidi);
}

}  // namespace
}  // namespace tarvenna::host::test
