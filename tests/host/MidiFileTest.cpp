// Standard MIDI files through portSMF: files written byte by byte here are
// read with their tempo, tracks and every kind of channel message; what the
// host writes reads back the same; and the tracker of sounding notes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/scene/MidiFile.h"
#include "host/scene/NoteTracker.h"
#include "tests/host/SceneTestFiles.h"

namespace tarvenna::host::test {
namespace {

std::vector<TimedMidi> ReadBack(const std::string& path, int track = 0)
{
    std::vector<TimedMidi> events;
    std::string error;
    EXPECT_TRUE(ReadMidiFile(path, track, events, error)) << error;
    return events;
}

void ExpectEvent(const TimedMidi& event, double seconds, int status, int data1, int data2)
{
    EXPECT_NEAR(event.seconds, seconds, 0.0005);
    EXPECT_EQ(event.status, status);
    EXPECT_EQ(event.data1, data1);
    EXPECT_EQ(event.data2, data2);
}

TEST(MidiFile, ReadsEveryChannelMessageAtItsTime)
{
    TempFolder folder;
    // 60 beats a minute, 100 ticks a beat: a tick is 10 ms.
    ASSERT_TRUE(WriteFile(folder.File("in.mid"), StandardMidiFile({{0, 0x92, 60, 100},
                                                                   {10, 0xb2, 7, 64},
                                                                   {20, 0xe2, 0x00, 0x60},
                                                                   {30, 0xc2, 5, 0},
                                                                   {40, 0xd2, 33, 0},
                                                                   {50, 0xa2, 60, 44},
                                                                   {60, 0x82, 60, 0}},
                                                                  100, 1000000)));
    const std::vector<TimedMidi> events = ReadBack(folder.File("in.mid"), 2);
    ASSERT_EQ(events.size(), 7u);
    ExpectEvent(events[0], 0.0, 0x92, 60, 100);
    ExpectEvent(events[1], 0.1, 0xb2, 7, 64);
    ExpectEvent(events[2], 0.2, 0xe2, 0x00, 0x60);
    ExpectEvent(events[3], 0.3, 0xc2, 5, 0);
    ExpectEvent(events[4], 0.4, 0xd2, 33, 0);
    ExpectEvent(events[5], 0.5, 0xa2, 60, 44);
    ExpectEvent(events[6], 0.6, 0x82, 60, 0);
    EXPECT_TRUE(ReadBack(folder.File("in.mid"), 1).empty()) << "the tempo track has no notes";
    EXPECT_EQ(ReadBack(folder.File("in.mid"), 0).size(), 7u);
}

TEST(MidiFile, WhatTheHostWritesReadsBackTheSame)
{
    TempFolder folder;
    const std::vector<TimedMidi> written{{0.0, 0x90, 60, 100}, {0.125, 0xb0, 1, 64},
                                         {0.25, 0x80, 60, 0},  {0.25, 0x90, 60, 90},
                                         {0.5, 0xe1, 0, 64},   {0.75, 0x90, 62, 70}};
    std::string error;
    ASSERT_TRUE(WriteMidiFile(folder.File("out.mid"), written, 1.0, error)) << error;
    const std::vector<TimedMidi> events = ReadBack(folder.File("out.mid"));
    ASSERT_EQ(events.size(), 8u);
    ExpectEvent(events[0], 0.0, 0x90, 60, 100);
    ExpectEvent(events[1], 0.125, 0xb0, 1, 64);
    // A note repeated where it ends: the end comes first.
    ExpectEvent(events[2], 0.25, 0x80, 60, 0);
    ExpectEvent(events[3], 0.25, 0x90, 60, 90);
    ExpectEvent(events[4], 0.5, 0xe1, 0, 64);
    ExpectEvent(events[5], 0.75, 0x90, 62, 70);
    // Notes still sounding end where the recording does.
    ExpectEvent(events[6], 1.0, 0x80, 60, 0);
    ExpectEvent(events[7], 1.0, 0x80, 62, 0);
}

TEST(MidiFile, FilesThatCannotBeReadSaySo)
{
    TempFolder folder;
    std::vector<TimedMidi> events;
    std::string error;
    EXPECT_FALSE(ReadMidiFile(folder.File("none.mid"), 0, events, error));
    EXPECT_EQ(error, "cannot open " + folder.File("none.mid"));
    ASSERT_TRUE(WriteFile(folder.File("text.mid"), "not a MIDI file at all"));
    EXPECT_FALSE(ReadMidiFile(folder.File("text.mid"), 0, events, error));
    EXPECT_EQ(error, folder.File("text.mid") + " is not a standard MIDI file, or it is damaged");
    ASSERT_TRUE(WriteFile(folder.File("in.mid"), StandardMidiFile({{0, 0x90, 60, 1}})));
    EXPECT_FALSE(ReadMidiFile(folder.File("in.mid"), 3, events, error));
    EXPECT_EQ(error, folder.File("in.mid") + " has no track 3 (it has 2)");
    EXPECT_FALSE(WriteMidiFile(folder.File("no/such/folder.mid"), {}, 0.0, error));
}

TEST(NoteTracker, NotesEndByNoteOffVelocityZeroAndTheChannelControllers)
{
    NoteTracker tracker;
    tracker.Apply(0x90, 60, 100);
    tracker.Apply(0x90, 62, 100);
    tracker.Apply(0x91, 64, 100);
    tracker.Apply(0x92, 65, 100);
    tracker.Apply(0x80, 60, 64);
    tracker.Apply(0x90, 62, 0);
    ASSERT_EQ(tracker.Sounding().size(), 2u);
    EXPECT_EQ(DescribeNotes(tracker.Sounding()), "ch 2 key 64, ch 3 key 65");
    tracker.Apply(0xb1, 120, 0);
    tracker.Apply(0xb2, 123, 0);
    EXPECT_FALSE(tracker.AnySounding());
    EXPECT_EQ(DescribeNotes(tracker.Sounding()), "none");
    for (int key = 0; key < 6; ++key)
        tracker.Apply(0x90, key, 1);
    EXPECT_EQ(DescribeNotes(tracker.Sounding(), 2), "ch 1 key 0, ch 1 key 1 and 4 more");
}

}  // namespace
}  // namespace tarvenna::host::test
