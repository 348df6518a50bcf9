// Building the VstEvents blocks the host hands to effProcessEvents.
#include <gtest/gtest.h>

#include <cstddef>

#include "host/MidiBlock.h"

namespace tarvenna::host::test {
namespace {

VstMidiEvent* PointerAt(VstEvents* events, std::size_t i)
{
    auto* base = reinterpret_cast<unsigned char*>(events) + offsetof(VstEvents, events);
    return reinterpret_cast<VstMidiEvent*>(reinterpret_cast<VstEvent**>(base)[i]);
}

TEST(HostMidiEventRecord, CarriesTheMessageInAZeroedRecord)
{
    const VstMidiEvent e = MakeMidiEvent({17, 0x92, 60, 100});
    EXPECT_EQ(e.type, kVstMidiType);
    EXPECT_EQ(e.byteSize, 24);
    EXPECT_EQ(e.deltaFrames, 17);
    EXPECT_EQ(e.flags, 0);
    EXPECT_EQ(e.noteLength, 0);
    EXPECT_EQ(e.noteOffset, 0);
    EXPECT_EQ(e.midiData[0], 0x92);
    EXPECT_EQ(e.midiData[1], 60);
    EXPECT_EQ(e.midiData[2], 100);
    EXPECT_EQ(e.midiData[3], 0);
    EXPECT_EQ(e.detune, 0);
    EXPECT_EQ(e.noteOffVelocity, 0);
}

TEST(HostMidiBlock, ListBecomesBlockInOrder)
{
    MidiBlock block(4);
    block.Assign({{0, 0x90, 60, 1}, {5, 0x80, 60, 0}, {9, 0xB0, 7, 99}});
    VstEvents* events = block.Events();
    ASSERT_EQ(events->numEvents, 3);
    EXPECT_EQ(events->reserved, 0);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(PointerAt(events, i), &block[i]);
    EXPECT_EQ(PointerAt(events, 1)->deltaFrames, 5);
    EXPECT_EQ(PointerAt(events, 2)->midiData[0], 0xB0);
    EXPECT_EQ(PointerAt(events, 2)->midiData[2], 99);
}

TEST(HostMidiBlock, AssignGrowsPastTheCapacity)
{
    MidiBlock block(2);
    std::vector<MidiMessage> many;
    for (int i = 0; i < 300; ++i)
        many.push_back({i, 0x90, static_cast<std::uint8_t>(i & 0x7f), 1});
    block.Assign(many);
    EXPECT_EQ(block.Size(), 300u);
    EXPECT_GE(block.Capacity(), 300u);
    EXPECT_EQ(block.Events()->numEvents, 300);
    EXPECT_EQ(PointerAt(block.Events(), 299)->deltaFrames, 299);
}

TEST(HostMidiBlock, AddStopsWhenFullAndClearEmpties)
{
    MidiBlock block(2);
    EXPECT_TRUE(block.Add(MidiMessage{0, 0x90, 1, 1}));
    EXPECT_TRUE(block.Add(MakeMidiEvent({1, 0x90, 2, 1})));
    EXPECT_FALSE(block.Add(MidiMessage{2, 0x90, 3, 1}));
    EXPECT_EQ(block.Events()->numEvents, 2);
    block.Clear();
    EXPECT_EQ(block.Size(), 0u);
    EXPECT_EQ(block.Events()->numEvents, 0);
}

}  // namespace
}  // namespace tarvenna::host::test
