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
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(Counters().created, 1);
    instance->Open();
    EXPECT_EQ(Counters().opens, 1);
    EXPECT_EQ(instance->Close(), 1);
    EXPECT_EQ(Counters().closes, 1);
    EXPECT_EQ(Counters().destroyed, 1);
}

// After effClose the plug-in's object is gone; nothing may reach it again.
TEST_F(HostInstanceLife, CloseMarksTheInstanceGone)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    AEffect* record = instance->Effect();
    instance->Close();
    EXPECT_TRUE(instance->Closed());
    EXPECT_EQ(instance->Effect(), nullptr);
    EXPECT_EQ(module.OpenInstances(), 0);

    EXPECT_EQ(instance->Close(), 0);
    EXPECT_EQ(instance->Dispatch(effOpen), 0);
    EXPECT_EQ(instance->GetParameter(0), 0.0f);
    instance->SetParameter(0, 1.0f);
    EXPECT_FALSE(instance->ProcessReplacing(8));
    EXPECT_EQ(Counters().opens, 0);
    EXPECT_EQ(Counters().closes, 1);

    // Requests with the dead record no longer reach the instance.
    const std::size_t before = StrayRequestCount();
    EXPECT_EQ(HostCallback(record, audioMasterVersion, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(StrayRequestCount(), before + 1);
}

TEST_F(HostInstanceLife, DestroyingAnOpenInstanceClosesIt)
{
    Create().reset();
    EXPECT_EQ(Counters().closes, 1);
    EXPECT_EQ(module.OpenInstances(), 0);
}

TEST_F(HostInstanceDispatch, IdentityAnswers)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->Effect()->magic, kEffectMagic);
    EXPECT_EQ(instance->Effect()->uniqueID, kFixtureUniqueId);
    EXPECT_EQ(instance->EffectName(), "Host Fixture");
    EXPECT_EQ(instance->VendorString(), "Tarvenna Tests");
    EXPECT_EQ(instance->ProductString(), "Fixture Product");
    EXPECT_EQ(instance->VendorVersion(), 321);
    EXPECT_EQ(instance->PlugCategory(), 2);
    EXPECT_EQ(instance->VstVersion(), 2400);
    EXPECT_EQ(instance->CanDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(instance->CanDo("receiveVstMidi"), -1);
}

TEST_F(HostInstanceDispatch, ProgramsAndTheirNames)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->ProgramName(), "Init");
    instance->SetProgramName("Relay A");
    EXPECT_EQ(instance->ProgramName(), "Relay A");
    instance->SetProgram(3);
    EXPECT_EQ(instance->Program(), 3);
}

TEST_F(HostInstanceDispatch, ParametersThroughTheRecordAndTheirTexts)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->ParameterName(0), "Gain");
    EXPECT_EQ(instance->ParameterLabel(0), "dB");
    EXPECT_EQ(instance->ParameterName(1), "Echo");
    EXPECT_EQ(instance->ParameterLabel(1), "");
    instance->SetParameter(1, 0.75f);
    EXPECT_FLOAT_EQ(instance->GetParameter(1), 0.75f);
    EXPECT_EQ(instance->ParameterDisplay(1), "0.75");
    EXPECT_FLOAT_EQ(instance->GetParameter(0), 0.5f);
}

TEST_F(HostInstanceDispatch, EditorRectangleAndOpenClose)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    const std::optional<ERect> rect = instance->EditorRect();
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 200);
    EXPECT_EQ(rect->right, 170);
    int parent = 0;
    EXPECT_EQ(instance->OpenEditor(&parent, 0), 1);
    EXPECT_EQ(instance->IdleEditor(), 0);
    EXPECT_EQ(Counters().editorIdles, 1);
    EXPECT_EQ(instance->CloseEditor(), 1);
}

TEST_F(HostInstanceChunks, ProgramChunkRoundTrips)
{
    auto source = Create();
    auto target = Create();
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    source->SetParameter(0, 0.125f);
    source->SetParameter(1, 0.875f);
    const std::vector<unsigned char> chunk = source->GetChunk(true);
    ASSERT_EQ(chunk.size(), static_cast<std::size_t>(kFixtureProgramChunkSize));
    EXPECT_EQ(target->SetChunk(chunk, true), 1);
    EXPECT_FLOAT_EQ(target->GetParameter(0), 0.125f);
    EXPECT_FLOAT_EQ(target->GetParameter(1), 0.875f);
    EXPECT_EQ(target->GetChunk(true), chunk);
}

TEST_F(HostInstanceChunks, BankChunkRoundTripsAndIsNotTakenAsAProgram)
{
    auto source = Create();
    auto target = Create();
    ASSERT_NE(source, nullptr);
    ASSERT_NE(target, nullptr);
    source->SetProgram(5);
    source->SetParameter(0, 0.0625f);
    const std::vector<unsigned char> bank = source->GetChunk(false);
    ASSERT_EQ(bank.size(), static_cast<std::size_t>(kFixtureBankChunkSize));
    EXPECT_EQ(target->SetChunk(bank, true), 0);
    EXPECT_EQ(target->SetChunk(bank, false), 1);
    EXPECT_EQ(target->Program(), 5);
    EXPECT_FLOAT_EQ(target->GetParameter(0), 0.0625f);
}

// The host copies the chunk: changing the plug-in afterwards leaves the
// copy as it was.
TEST_F(HostInstanceChunks, ChunkIsACopy)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    const std::vector<unsigned char> before = instance->GetChunk(true);
    instance->SetParameter(0, 0.3f);
    EXPECT_EQ(instance->GetChunk(true).size(), before.size());
    EXPECT_NE(instance->GetChunk(true), before);
    EXPECT_EQ(instance->SetChunk(before, true), 1);
    EXPECT_FLOAT_EQ(instance->GetParameter(0), 0.5f);
}

}  // namespace
}  // namespace tarvenna::host::test
