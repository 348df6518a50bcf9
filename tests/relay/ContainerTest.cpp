// The event ring, the sorted node list, the held-note table with its
// tracker, the outbox's filler, the owed note-offs, the host's stashed MIDI
// and the offset floor on their own; everything else is exercised through
// nodes.
#include "host/MidiBlock.h"
#include "relay/BlockOrder.h"
#include "relay/EventQueue.h"
#include "relay/HeldNotes.h"
#include "relay/HostMidiStash.h"
#include "relay/MidiMessages.h"
#include "relay/NodeList.h"
#include "relay/OutBlock.h"
#include "relay/OwedNoteOffs.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(EventQueue, KeepsOrderAcrossTheWrapAndDropsWhenFull)
{
    auto queue = std::make_unique<EventQueue>();
    VstMidiEvent event = BlankMidiEvent();
    for (int n = 0; n < 200; ++n)
        queue->Push(event), queue->Pop(event);
    for (event.deltaFrames = 0; event.deltaFrames < 256; ++event.deltaFrames)
        ASSERT_TRUE(queue->Push(event));
    EXPECT_FALSE(queue->Push(event));
    for (int n = 0; n < 256; ++n)
        ASSERT_TRUE(queue->Pop(event) && event.deltaFrames == n) << n;
    EXPECT_FALSE(queue->Pop(event));
}

std::vector<int32_t> Ids(const NodeList<unsigned char>& list)
{
    std::vector<int32_t> ids;
    for (uint32_t i = 0; i < list.Count(); ++i)
        ids.push_back(list.Entry(i).nodeId);
    return ids;
}

TEST(NodeList, InsertsSortedRemovesOnlyWhatIsThereAndStopsAtSixtyFour)
{
    NodeList<unsigned char> list;
    unsigned char flags[3] = {};
    list.Insert(5, &flags[0]);
    list.Insert(2, &flags[1]);
    list.Insert(9, &flags[2]);
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{2, 5, 9}));
    list.Remove(5);
    list.Remove(4);
    list.Remove(10);
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{2, 9}));
    EXPECT_EQ(list.Entry(1).target, &flags[2]);

    for (int id = 64; id >= 3; --id)
        list.Insert(id, nullptr);
    list.Insert(1, nullptr);
    ASSERT_EQ(list.Count(), 64u);
    EXPECT_EQ(list.Entry(0).nodeId, 2) << "a full list ignores the insertion";
}

std::vector<int32_t> HeldEntries(const HeldNoteTable& table)
{
    std::vector<int32_t> entries;
    for (int32_t i = table.NextHeld(0); i < HeldNoteTable::kSize; i = table.NextHeld(i + 1))
        entries.push_back(i);
    return entries;
}

// The tracker keeps the bitmap's first word of its own and uses the others
// where they lie: entries on both sides of a word's end, the lowest free one
// taken first, and what it wrote back seen by the table's own walk and
// count, also around a release that uses the table in between.
TEST(HeldNoteTable, TheTrackerTakesTheLowestFreeEntryAcrossWordsAndWritesItBack)
{
    using Result = HeldNoteTable::NoteOnResult;
    auto table = std::make_unique<HeldNoteTable>();
    {
        HeldNoteTable::Tracker notes(*table);
        for (int32_t i = 0; i < 70; ++i)
            ASSERT_EQ(notes.NoteOn(i / 128, i % 128, 100, 0.0f), Result::Added) << i;
        EXPECT_EQ(notes.NoteOff(0, 3), 1);
        EXPECT_EQ(notes.NoteOff(0, 65), 1);
        EXPECT_EQ(notes.NoteOff(0, 65), 0) << "already ended";
        EXPECT_EQ(notes.NoteOn(0, 10, 30, 0.0f), Result::Retriggered);
        EXPECT_EQ(notes.NoteOn(3, 1, 100, 0.0f), Result::Added);
        EXPECT_TRUE(notes.Holds(3, 1));
    }
    EXPECT_EQ(table->Count(), 69);
    EXPECT_EQ(table->Entry(3).channel, 3) << "the lowest free entry";
    EXPECT_EQ(table->Entry(10).velocity, 30);
    EXPECT_EQ(HeldEntries(*table).size(), 69u);

    HeldNoteTable::Tracker notes(*table);
    notes.NoteOn(4, 4, 100, 0.0f);  // entry 65
    notes.Store();
    table->Release(0);
    table->Release(64);
    notes.Load();
    EXPECT_EQ(table->Count(), 68);
    EXPECT_FALSE(notes.Holds(0, 0)) << "a released entry is no longer found";
    EXPECT_EQ(notes.NoteOff(0, 64), 0);
    EXPECT_EQ(notes.NoteOn(5, 5, 100, 0.0f), Result::Added);
    notes.Store();
    EXPECT_EQ(table->Entry(0).channel, 5) << "the entry the release freed";
    for (int32_t i = table->Count(); i < HeldNoteTable::kSize; ++i)
        notes.NoteOn(6 + i / 128, i % 128, 100, 0.0f);
    EXPECT_EQ(notes.NoteOn(15, 127, 100, 0.0f), Result::Dropped) << "all 256 entries held";
    notes.Store();
    EXPECT_EQ(table->Count(), HeldNoteTable::kSize);
    table->Clear();
    EXPECT_EQ(table->Count(), 0);
    EXPECT_TRUE(HeldEntries(*table).empty());
}

// A filler's count, kept apart while it queues, is the block's again after
// Store, also with pushes of the block's own in between. Queued in place,
// the block hands over the records where they lie, as one array when they
// lie side by side; a block kept for a later call is made into copies.
TEST(OutBlock, AFillerQueuesInPlaceGivesTheCountBackAndCopiesWhenKept)
{
    auto block = std::make_unique<OutBlock>();
    std::vector<VstMidiEvent> events(3, BlankMidiEvent());
    for (int32_t i = 0; i < 3; ++i)
        events[i].deltaFrames = i;
    {
        OutBlock::Filler out(*block);
        out.Queue(events[0]);
        out.Store();
        block->Push(events[1]);
        out.Load();
        out.Queue(events[2]);
    }
    block->CopyRoutedRecords();
    events[0].deltaFrames = 7;
    OutBlock::Taken taken = block->Take();
    ASSERT_EQ(taken.count, 3);
    ASSERT_EQ(taken.SideBySide(), taken.records);
    ASSERT_NE(taken.records, nullptr);
    EXPECT_EQ(taken.records[0].deltaFrames, 0) << "a copy, made before the event changed";
    EXPECT_EQ(taken.records[1].deltaFrames, 1);
    EXPECT_EQ(taken.records[2].deltaFrames, 2);

    const auto queueAll = [&] {
        OutBlock::Filler out(*block);
        for (VstMidiEvent& event : events)
            out.Queue(event);
    };
    queueAll();
    block->MarkRun(events.data());
    taken = block->Take();
    EXPECT_EQ(taken.records, nullptr);
    EXPECT_EQ(taken.SideBySide(), events.data()) << "in place and side by side";

    // A run is undone by whatever comes after it, and ends with its block.
    queueAll();
    block->MarkRun(events.data());
    block->Push(events[0]);
    EXPECT_EQ(block->Take().SideBySide(), nullptr) << "a copy pushed after the run";
    queueAll();
    block->MarkRun(events.data());
    queueAll();
    EXPECT_EQ(block->Take().SideBySide(), nullptr) << "events queued after the run";
    queueAll();
    block->MarkRun(events.data());
    block->CopyRoutedRecords();
    taken = block->Take();
    EXPECT_EQ(taken.SideBySide(), taken.records) << "the copies of a block kept for later";

    {
        OutBlock::Filler out(*block);
        out.Queue(events[0]);
        while (!out.IsFull())
            out.Queue(events[2]);
    }
    taken = block->Take();
    EXPECT_EQ(taken.count, OutBlock::kCapacity);
    EXPECT_EQ(taken.SideBySide(), nullptr) << "in place, not marked as a run";
    EXPECT_EQ(taken.events[0], &events[0]);
}

// Each note-off keeps its channel and note, and those not yet taken keep
// their order.
TEST(OwedNoteOffs, KeepChannelNoteAndOrderAcrossADrop)
{
    OwedNoteOffs owed;
    ASSERT_TRUE(owed.Push(15, 127));
    ASSERT_TRUE(owed.Push(MakeNoteOff(9, 60)));
    ASSERT_TRUE(owed.Push(0, 1));
    owed.Drop(1);
    ASSERT_EQ(owed.Count(), 2);
    const VstMidiEvent first = owed.NoteOff(0);
    const VstMidiEvent second = owed.NoteOff(1);
    EXPECT_EQ(static_cast<uint8_t>(first.midiData[0]), 0x89);
    EXPECT_EQ(first.midiData[1], 60);
    EXPECT_EQ(static_cast<uint8_t>(second.midiData[0]), 0x80);
    EXPECT_EQ(second.midiData[1], 1);
    while (owed.Push(1, 2)) {
    }
    EXPECT_EQ(owed.Count(), OwedNoteOffs::kCapacity);
}

// A note-off lost to a full stash is remembered until the stash is
// cleared, whatever is lost after it.
TEST(HostMidiStash, ALostNoteOffIsRememberedPastLaterLosses)
{
    auto stash = std::make_unique<HostMidiStash>();
    tarvenna::host::MidiBlock block(EventQueue::kCapacity + 2);
    for (int32_t i = 0; i < EventQueue::kCapacity; ++i)
        block.Add(tarvenna::host::MidiMessage{i, 0x90, 60, 100});
    block.Add(tarvenna::host::MidiMessage{0, 0x80, 60, 0});
    block.Add(tarvenna::host::MidiMessage{0, 0xB0, 7, 100});
    stash->Add(block.Events(), 0);
    EXPECT_EQ(stash->Count(), EventQueue::kCapacity);
    EXPECT_TRUE(stash->LostNoteOff());
    stash->Clear();
    EXPECT_FALSE(stash->LostNoteOff());
}

// A negative offset from a faulty host goes to the block's first frame,
// and nothing goes before what came earlier.
TEST(OffsetFloor, RaisesNegativeAndFallingOffsets)
{
    OffsetFloor floor;
    VstMidiEvent event = BlankMidiEvent();
    event.deltaFrames = -5;
    EXPECT_EQ(floor.Of(event), 0);
    floor.Raise(event);
    EXPECT_EQ(event.deltaFrames, 0);
    event.deltaFrames = 40;
    floor.Raise(event);
    event.deltaFrames = 12;
    EXPECT_EQ(floor.Of(event), 40);
    floor.Raise(event);
    EXPECT_EQ(event.deltaFrames, 40);
}

}  // namespace
