// What comes in from JACK on its way to the receivers, no server: the ring
// every receiver reads at its own pace, and the set of notes a port holds.
#include "bridge/InRing.h"
#include "bridge/NoteSet.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

BridgeEvent NoteOn(uint32_t due, uint8_t key) { return BridgeEvent{due, {0x90, key, 100}, 3}; }

// A reader a whole ring behind still has its next event; one more and it
// was overwritten, which the reader must learn rather than read a newer one.
TEST(InRing, AReaderAWholeRingBehindReadsOnAndOneFurtherHasLost)
{
    InRing ring;
    for (uint32_t i = 0; i < InRing::kCapacity; ++i)
        ring.Publish(NoteOn(i, static_cast<uint8_t>(i & 127)));
    BridgeEvent event{};
    ASSERT_EQ(ring.ReadAt(0, event), InRing::Read::Got);
    EXPECT_EQ(event.due, 0u);
    EXPECT_EQ(ring.ReadAt(InRing::kCapacity, event), InRing::Read::Empty);
    ring.Publish(NoteOn(InRing::kCapacity, 1));
    EXPECT_EQ(ring.ReadAt(0, event), InRing::Read::Lost);
    ASSERT_EQ(ring.ReadAt(1, event), InRing::Read::Got);
    EXPECT_EQ(event.due, 1u);
}

// The same key on two channels is two notes; a note-off whose note-on found
// no room stays to be ended again.
TEST(NoteSet, ChannelsAreApartAndANoteLeftByTheEndStays)
{
    NoteSet notes;
    notes.Add(0, 60);
    notes.Add(9, 60);
    notes.Add(15, 127);
    EXPECT_TRUE(notes.Remove(0, 60));
    EXPECT_FALSE(notes.Remove(0, 60)) << "already gone";
    EXPECT_TRUE(notes.Any()) << "channel 10's is still there";
    std::vector<std::pair<int32_t, int32_t>> ended;
    notes.EndAll([&](int32_t channel, int32_t key) {
        ended.emplace_back(channel, key);
        return channel != 15;
    });
    EXPECT_EQ(ended, (std::vector<std::pair<int32_t, int32_t>>{{9, 60}, {15, 127}}));
    EXPECT_TRUE(notes.Any());
    EXPECT_TRUE(notes.Remove(15, 127)) << "the note the end left";
    EXPECT_FALSE(notes.Any());
}

}  // namespace
