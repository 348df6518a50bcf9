// The paths on which a receiver's host could miss the note-off for a note
// it was given: a node's first chunk load, a host switching a node on that
// is already on, a release made towards an empty port, a sender closed
// while its notes sound, and a mode change that lands between a host's
// MIDI and its process call. Each ends with the host streams balanced.
#include "ModuleRelayFixture.h"

namespace relaymodule {
namespace {

using RelayNoteOffs = RelayNodes;

// The node passed a note to port 0 before anything was loaded into it; the
// load that makes it a receiver elsewhere must end that note where it
// sounds, as a manual change would.
TEST_F(RelayNoteOffs, AFirstLoadThatMovesASenderEndsItsNotesAtItsReceivers)
{
    HostInstance& fresh = Add();
    HostInstance& receiver = Add(Receiver(0));
    Settle();
    Feed(fresh, {NoteOn(0, 60), NoteOn(3, 41)});
    Cycle();
    ASSERT_EQ(Out(receiver), (Seq{Started(0, 60), Started(3, 41)}));

    ASSERT_EQ(fresh.SetChunk(Chunk(1, 5, false, "loaded", 61), false), 1);
    EXPECT_EQ(Displays(fresh), "Receive/6/Off/Off");
    Cycle();
    EXPECT_EQ(Out(receiver), (Seq{Ended(0, 60), Ended(3, 41)}));
    Cycle();
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{});
    EXPECT_EQ(Out(fresh), Seq{}) << "what it held as a sender stays behind";
}

// A first load that keeps mode and port leaves the notes playing: the
// host's own note-off ends them.
TEST_F(RelayNoteOffs, AFirstLoadThatKeepsModeAndPortLeavesTheNotesPlaying)
{
    HostInstance& fresh = Add();
    HostInstance& receiver = Add(Receiver(0));
    Settle();
    Feed(fresh, {NoteOn(0, 60)});
    Cycle();
    ASSERT_EQ(Out(receiver), Seq{Started(0, 60)});

    ASSERT_EQ(fresh.SetChunk(Chunk(0, 0, false, "same", 60), true), 1);
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{});
    Feed(fresh, {NoteOff(0, 60)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Ended(0, 60)});
}

// Hosts send "on" again while playing. The sender ran first in the block,
// so its note-off already waits in the receiver when the receiver is
// switched on a second time.
TEST_F(RelayNoteOffs, SwitchingOnANodeThatIsOnKeepsWhatItsSendersQueued)
{
    HostInstance& sender = Add(Sender(0));
    HostInstance& receiver = Add(Receiver(0));
    Settle();
    Feed(sender, {NoteOn(0, 60)});
    Cycle();
    ASSERT_EQ(Out(receiver), Seq{Started(0, 60)});

    Feed(sender, {NoteOff(0, 60)});
    Cycle({&sender});
    receiver.Resume();
    Cycle({&receiver});
    EXPECT_EQ(Out(receiver), Seq{Ended(0, 60)});
}

// What reached a receiver while it was off, and what its host handed it
// before or while it was off, belong to blocks never processed: switched on
// again, it plays none of it.
TEST_F(RelayNoteOffs, SwitchingOnANodeThatWasOffDropsWhatCameMeanwhile)
{
    HostInstance& sender = Add(Sender(0));
    HostInstance& receiver = Add(Receiver(0, true));
    Settle();
    receiver.SendMidi({NoteOn(1, 40)});
    receiver.Suspend();
    receiver.SendMidi({NoteOn(1, 41)});
    Feed(sender, {NoteOn(0, 60)});
    Cycle({&sender});
    receiver.Resume();
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{});
    Feed(sender, {NoteOff(0, 60)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{});
}

// The sender leaves port 0 while nobody listens there; its note-offs must
// not turn up later at port 2, where they would end the note another
// sender holds there.
TEST_F(RelayNoteOffs, AReleaseTowardsAnEmptyPortReachesNoOtherPort)
{
    HostInstance& wanderer = Add(Sender(0));
    HostInstance& player = Add(Sender(2));
    HostInstance& receiver = Add(Receiver(2));
    Settle();
    Feed(wanderer, {NoteOn(0, 60)});
    Cycle({&wanderer});

    wanderer.SetParameter(kParameterPort, PortValue(1));
    wanderer.SetParameter(kParameterPort, PortValue(2));
    wanderer.SetParameter(kParameterPort, PortValue(3));
    Cycle({&receiver});
    Feed(player, {NoteOn(0, 60)});
    Cycle({&player, &receiver});
    ASSERT_EQ(Out(receiver), Seq{Started(0, 60)});

    Cycle({&wanderer, &receiver});
    EXPECT_EQ(Out(receiver), Seq{}) << "the note is the player's";
    Feed(player, {NoteOff(0, 60)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Ended(0, 60)});
}

// Closing the instance is the last change a sender makes: the receivers of
// its port end what it gave them.
TEST_F(RelayNoteOffs, ClosingASenderEndsItsNotesAtItsReceivers)
{
    for (bool thru : {false, true}) {
        SCOPED_TRACE(thru ? "Thru on" : "Thru off");
        HostInstance& sender = Add(Sender(4, thru));
        HostInstance& receiver = Add(Receiver(4));
        HostInstance& elsewhere = Add(Receiver(5));
        Settle();
        Feed(sender, {NoteOn(0, 60), NoteOn(9, 36)});
        Cycle();
        ASSERT_EQ(Out(receiver), (Seq{Started(0, 60), Started(9, 36)}));

        Close(sender);
        Cycle();
        EXPECT_EQ(Out(receiver), (Seq{Ended(0, 60), Ended(9, 36)}));
        Cycle();
        EXPECT_EQ(Out(receiver), Seq{});
        EXPECT_EQ(Out(elsewhere), Seq{});
        CloseAll();
    }
}

// Thru went off and the flush queued the note-off for the sender's own
// output; closed before its next block, the sender hands that note-off to
// its port, and ends nothing else there: the other sender's note plays on.
TEST_F(RelayNoteOffs, ASenderClosedWithQueuedNoteOffsEndsOnlyItsOwnNotes)
{
    HostInstance& closing = Add(Sender(4, true));
    HostInstance& other = Add(Sender(4));
    HostInstance& receiver = Add(Receiver(4));
    HostInstance& elsewhere = Add(Receiver(5));
    Settle();
    Feed(closing, {NoteOn(0, 60)});
    Feed(other, {NoteOn(2, 72)});
    Cycle();
    ASSERT_EQ(Out(receiver), (Seq{Started(0, 60), Started(2, 72)}));

    closing.SetParameter(kParameterThru, kOff);
    Cycle({&closing});
    Close(closing);
    Cycle();
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Ended(0, 60)});
    Feed(other, {NoteOff(2, 72)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Ended(2, 72)});
    EXPECT_EQ(Out(elsewhere), Seq{});
}

// A host's automation thread can switch a sender to Receive between the
// block's MIDI and its process call. Without Thru a receiver drops its
// host's MIDI, so a note-on queued as a sender must not reach its host:
// the note-off that follows would be dropped.
TEST_F(RelayNoteOffs, ASenderTurnedReceiverBetweenMidiAndProcessStartsNothingOnItsHost)
{
    HostInstance& node = Add(Sender(0));
    HostInstance& receiver = Add(Receiver(0));
    Settle();
    node.SendMidi({NoteOn(0, 60)});
    node.SetParameter(kParameterMode, kReceive);
    Cycle();
    Feed(node, {NoteOff(0, 60)});
    Cycle();
    Cycle();
    EXPECT_EQ(Out(node), Seq{});
    EXPECT_EQ(Out(receiver), Seq{});
}

}  // namespace
}  // namespace relaymodule
