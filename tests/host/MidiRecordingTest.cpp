// What the host records of an instance's output MIDI and automation.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "plugin/VstOpcodes.h"
#include "tests/host/HostTestSupport.h"

namespace tarvenna::host::test {
namespace {

using HostMidiOut = HostTest;
using HostAutomation = HostTest;

void ExpectMessage(const VstMidiEvent& e, VstInt32 delta, int status, int data1, int data2)
{
    EXPECT_EQ(e.type, kVstMidiType);
    EXPECT_EQ(e.byteSize, 24);
    EXPECT_EQ(e.deltaFrames, delta);
    EXPECT_EQ(e.midiData[0], status);
    EXPECT_EQ(e.midiData[1], data1);
    EXPECT_EQ(e.midiData[2], data2);
}

TEST_F(HostMidiOut, EventsAreRecordedPerBlock)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    ASSERT_TRUE(instance->RunBlock({{3, 0x90, 60, 100}, {9, 0x90, 64, 90}}, 32));
    ASSERT_TRUE(instance->RunBlock({}, 32));
    ASSERT_TRUE(instance->RunBlock({{1, 0x80, 60, 0}}, 32));
    EXPECT_EQ(instance->BlocksStarted(), 3u);

    const Recording r = instance->Recorded();
    ASSERT_EQ(r.handouts.size(), 2u);
    EXPECT_EQ(r.handouts[0].block, 1u);
    EXPECT_TRUE(r.handouts[0].duringProcess);
    EXPECT_EQ(r.handouts[1].block, 3u);

    const std::vector<VstMidiEvent> first = r.EventsOfBlock(1);
    ASSERT_EQ(first.size(), 2u);
    ExpectMessage(first[0], 3, 0x90, 60, 100);
    ExpectMessage(first[1], 9, 0x90, 64, 90);
    EXPECT_TRUE(r.EventsOfBlock(2).empty());
    const std::vector<VstMidiEvent> third = r.EventsOfBlock(3);
    ASSERT_EQ(third.size(), 1u);
    ExpectMessage(third[0], 1, 0x80, 60, 0);
    EXPECT_EQ(r.Count(audioMasterProcessEvents), 2u);
}

// The module overwrites its events right after handing them over; the
// recording must hold its own copies of all 32 bytes.
TEST_F(HostMidiOut, RecordedEventsAreDeepCopies)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    VstMidiEvent sent = MakeMidiEvent({7, 0xB3, 74, 33});
    sent.noteLength = 480;
    sent.detune = -5;
    sent.noteOffVelocity = 64;
    MidiBlock block(1);
    block.Add(sent);
    instance->SendEvents(block);
    instance->ProcessReplacing(16);

    const Recording r = instance->Recorded();
    ASSERT_EQ(r.midiOut.size(), 1u);
    EXPECT_EQ(std::memcmp(&r.midiOut[0], &sent, sizeof sent), 0);
    EXPECT_EQ(r.midiOut[0].midiData[0], 0xB3);
    EXPECT_NE(r.midiOut[0].midiData[0], kFixtureScribble);
}

TEST_F(HostMidiOut, InstancesRecordSeparately)
{
    auto a = Create();
    auto b = Create();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a->RunBlock({{0, 0x91, 1, 1}}, 8);
    b->RunBlock({{0, 0x92, 2, 2}, {0, 0x92, 3, 3}}, 8);
    EXPECT_EQ(a->Recorded().midiOut.size(), 1u);
    ASSERT_EQ(b->Recorded().midiOut.size(), 2u);
    EXPECT_EQ(b->Recorded().midiOut[1].midiData[1], 3);
}

// Also for an instance that records nothing, whose hand-overs are answered
// without the host's lock.
TEST_F(HostMidiOut, ProcessEventsAnswerIsConfigurable)
{
    for (const bool record : {true, false}) {
        SCOPED_TRACE(record ? "recorded" : "not recorded");
        InstanceOptions options;
        options.record = record;
        auto instance = host.Instantiate(module, options);
        ASSERT_NE(instance, nullptr);
        instance->RunBlock({{0, 0x90, 60, 1}}, 8);
        EXPECT_EQ(View(*instance).processEventsAnswer, 1);
        instance->UpdateConfig([](HostConfig& c) { c.processEventsAnswer = 0; });
        instance->RunBlock({{0, 0x90, 61, 1}}, 8);
        EXPECT_EQ(View(*instance).processEventsAnswer, 0);
        instance->SetConfig(host.Defaults());
        instance->RunBlock({{0, 0x90, 62, 1}}, 8);
        EXPECT_EQ(View(*instance).processEventsAnswer, 1);
        EXPECT_EQ(instance->Recorded().midiOut.size(), record ? 3u : 0u);
    }
}

TEST_F(HostMidiOut, ClearingForgetsEverythingButTheBlockCount)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    instance->RunBlock({{0, 0x90, 60, 1}}, 8);
    instance->SetParameter(0, 1.0f);
    instance->ClearRecorded();
    const Recording r = instance->Recorded();
    EXPECT_TRUE(r.requests.empty());
    EXPECT_TRUE(r.midiOut.empty());
    EXPECT_TRUE(r.handouts.empty());
    EXPECT_TRUE(r.automation.empty());
    EXPECT_TRUE(r.beginEdits.empty());
    EXPECT_EQ(instance->BlocksStarted(), 1u);
}

TEST_F(HostAutomation, IndexValueAndEditBracketsAreRecorded)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    instance->ClearRecorded();
    instance->SetParameter(1, 0.375f);
    instance->SetParameter(0, 1.0f);
    const Recording r = instance->Recorded();
    ASSERT_EQ(r.automation.size(), 2u);
    EXPECT_EQ(r.automation[0].index, 1);
    EXPECT_FLOAT_EQ(r.automation[0].value, 0.375f);
    EXPECT_EQ(r.automation[1].index, 0);
    EXPECT_FLOAT_EQ(r.automation[1].value, 1.0f);
    EXPECT_EQ(r.beginEdits, (std::vector<VstInt32>{1, 0}));
    EXPECT_EQ(r.endEdits, (std::vector<VstInt32>{1, 0}));
    ASSERT_EQ(r.requests.size(), 6u);
    EXPECT_EQ(r.requests[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(r.requests[1].opcode, audioMasterAutomate);
    EXPECT_FLOAT_EQ(r.requests[1].opt, 0.375f);
    EXPECT_EQ(r.requests[2].opcode, audioMasterEndEdit);
}

TEST_F(HostAutomation, WaitForSeesRequestsFromAnotherThread)
{
    auto instance = Create();
    ASSERT_NE(instance, nullptr);
    instance->ClearRecorded();
    std::thread editor([&] { instance->SetParameter(1, 0.5f); });
    const bool seen = instance->WaitFor([](const Recording& r) { return !r.automation.empty(); },
                                        std::chrono::seconds(10));
    editor.join();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(instance->WaitFor([](const Recording& r) { return r.automation.size() > 1; },
                                   std::chrono::milliseconds(20)));
}

}  // namespace
}  // namespace tarvenna::host::test
