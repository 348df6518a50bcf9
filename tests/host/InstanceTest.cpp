// Driving an instance through the dispatcher and the parameter functions.
#include <gtest/gtest.h>

#include <vector>

#include "host/HostCallback.h"
#include "plugin/VstOpcodes.h"
#include "tests/host/HostTestSupport.h"

namespace tarvenna::host::test {
namespace {

using HostInstanceLife = HostTest;
using HostInstanceDispatch = HostTest;
using HostInstanceChunks = HostTest;

TEST_F(HostInstanceLife, OpenAndCloseReachTheModule)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(counters().created, 1);
    instance->open();
    EXPECT_EQ(counters().opens, 1);
    EXPECT_EQ(instance->close(), 1);
    EXPECT_EQ(counters().closes, 1);
    EXPECT_EQ(counters().destroyed, 1);
}

// After effClose the plug-in's object is gone; nothing may reach it again.
TEST_F(HostInstanceLife, CloseMarksTheInstanceGone)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    AEffect* record = instance->effect();
    instance->close();
    EXPECT_TRUE(instance->closed());
    EXPECT_EQ(instance->effect(), nullptr);
    EXPECT_EQ(module.openInstances(), 0);

    EXPECT_EQ(instance->close(), 0);
    EXPECT_EQ(instance->dispatch(effOpen), 0);
    EXPECT_EQ(instance->getParameter(0), 0.0f);
    instance->setParameter(0, 1.0f);
    EXPECT_FALSE(instance->processReplacing(8));
    EXPECT_EQ(counters().opens, 0);
    EXPECT_EQ(counters().closes, 1);

    // Requests with the dead record no longer reach the instance.
    const std::size_t before = strayRequestCount();
    EXPECT_EQ(hostCallback(record, audioMasterVersion, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(strayRequestCount(), before + 1);
}

TEST_F(HostInstanceLife, DestroyingAnOpenInstanceClosesIt)
{
    create().reset();
    EXPECT_EQ(counters().closes, 1);
    EXPECT_EQ(module.openInstances(), 0);
}

TEST_F(HostInstanceDispatch, IdentityAnswers)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->effect()->magic, kEffectMagic);
    EXPECT_EQ(instance->effect()->uniqueID, kFixtureUniqueId);
    EXPECT_EQ(instance->effectName(), "Host Fixture");
    EXPECT_EQ(instance->vendorString(), "Tarvenna Tests");
    EXPECT_EQ(instance->productString(), "Fixture Product");
    EXPECT_EQ(instance->vendorVersion(), 321);
    EXPECT_EQ(instance->plugCategory(), 2);
    EXPECT_EQ(instance->vstVersion(), 2400);
    EXPECT_EQ(instance->canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(instance->canDo("receiveVstMidi"), -1);
}

TEST_F(HostInstanceDispatch, ProgramsAndTheirNames)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->programName(), "Init");
    instance->setProgramName("Relay A");
    EXPECT_EQ(instance->programName(), "Relay A");
    instance->setProgram(3);
    EXPECT_EQ(instance->program(), 3);
}

TEST_F(HostInstanceDispatch, ParametersThroughTheRecordAndTheirTexts)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->parameterName(0), "Gain");
    EXPECT_EQ(instance->parameterLabel(0), "dB");
    EXPECT_EQ(instance->parameterName(1), "Echo");
    EXPECT_EQ(instance->parameterLabel(1), "");
    instance->setParameter(1, 0.75f);
    EXPECT_FLOAT_EQ(instance->getParameter(1), 0.75f);
    EXPECT_EQ(instance->parameterDisplay(1), "0.75");
    EXPECT_FLOAT_EQ(instance->getParameter(0), 0.5f);
}

TEST_F(HostInstanceDispatch, EditorRectangleAndOpenClose)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    const std::optional<ERect> rect = instance->editorRect();
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 200);
    EXPECT_EQ(rect->right, 170);
    int parent = 0;
    EXPECT_EQ(instance->openEditor(&parent, 0), 1);
    EXPECT_EQ(instance->idleEditor(), 0);
    EXPECT_EQ(counters().editorIdles, 1);
    EXPECT_EQ(instance->closeEditor(), 1);
}

TEST_F(HostInstanceChunks, ProgramChunkRoundTrips)
{
    auto source = create();
    auto target = create();
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    source->setParameter(0, 0.125f);
    source->setParameter(1, 0.875f);
    const std::vector<unsigned char> chunk = source->getChunk(true);
    ASSERT_EQ(chunk.size(), static_cast<std::size_t>(kFixtureProgramChunkSize));
    EXPECT_EQ(target->setChunk(chunk, true), 1);
    EXPECT_FLOAT_EQ(target->getParameter(0), 0.125f);
    EXPECT_FLOAT_EQ(target->getParameter(1), 0.875f);
    EXPECT_EQ(target->getChunk(true), chunk);
}

TEST_F(HostInstanceChunks, BankChunkRoundTripsAndIsNotTakenAsAProgram)
{
    auto source = create();
    auto target = create();
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    source->setProgram(5);
    source->setParameter(0, 0.0625f);
    const std::vector<unsigned char> bank = source->getChunk(false);
    ASSERT_EQ(bank.size(), static_cast<std::size_t>(kFixtureBankChunkSize));
    EXPECT_EQ(target->setChunk(bank, true), 0);
    EXPECT_EQ(target->setChunk(bank, false), 1);
    EXPECT_EQ(target->program(), 5);
    EXPECT_FLOAT_EQ(target->getParameter(0), 0.0625f);
}

// The host copies the chunk: changing the plug-in afterwards leaves the
// copy as it was.
TEST_F(HostInstanceChunks, ChunkIsACopy)
{
    auto instance = create();
    ASSERT_NE(instance, nullptr);
    const std::vector<unsigned char> before = instance->getChunk(true);
    instance->setParameter(0, 0.3f);
    EXPECT_EQ(instance->getChunk(true).size(), before.size());
    EXPECT_NE(instance->getChunk(true), before);
    EXPECT_EQ(instance->setChunk(before, true), 1);
    EXPECT_FLOAT_EQ(instance->getParameter(0), 0.5f);
}

}  // namespace
}  // namespace tarvenna::host::test
