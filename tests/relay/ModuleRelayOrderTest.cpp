// The order of what a node hands its host: every block in non-decreasing
// offsets, whatever order the host runs the nodes in, however late the
// relayed events come, and when a process call had to leave its MIDI for
// the next block because another thread held the node's lock.
#include "ModuleRelayFixture.h"

namespace relaymodule {
namespace {

using RelayOrder = RelayNodes;
using RelayLockHeld = LockHookNodes;
using Timing = std::vector<std::string>;

// The sender's block comes a block late, with its offsets, and the
// receiver's own MIDI is merged in by offset.
TEST_F(RelayOrder, AReceiverRunBeforeItsSenderMergesItsOwnMidiByOffset)
{
    HostInstance& receiver = Add(Receiver(1, true));
    HostInstance& sender = Add(Sender(1));
    Settle();
    Feed(sender, {NoteOn(0, 60, 100, 25)});
    Cycle();
    EXPECT_EQ(Timed(receiver), Timing{});
    Feed(receiver, {NoteOn(1, 40, 100, 5), NoteOff(1, 40, 64, 30)});
    Feed(sender, {NoteOff(0, 60, 64, 10)});
    Cycle();
    EXPECT_EQ(Timed(receiver), (Timing{"91 40/5", "90 60/25", "81 40/30"}));
    Cycle();
    EXPECT_EQ(Timed(receiver), Timing{"80 60/10"});
}

// One sender runs before the receiver, one after: the late block comes
// first, and what follows it is not put before it.
TEST_F(RelayOrder, AReceiverBetweenTwoSendersKeepsTheOrderOfArrival)
{
    HostInstance& first = Add(Sender(2));
    HostInstance& receiver = Add(Receiver(2));
    HostInstance& last = Add(Sender(2));
    Settle();
    Feed(first, {NoteOn(0, 60, 100, 20)});
    Feed(last, {NoteOn(0, 62, 100, 30)});
    Cycle();
    EXPECT_EQ(Timed(receiver), Timing{"90 60/20"});
    Feed(first, {NoteOff(0, 60, 64, 4)});
    Feed(last, {NoteOff(0, 62, 64, 8)});
    Cycle();
    EXPECT_EQ(Timed(receiver), (Timing{"90 62/30", "80 60/30"}));
    Cycle();
    EXPECT_EQ(Timed(receiver), Timing{"80 62/8"});
}

// Three of the sender's blocks wait for a receiver the host did not run: a
// host that sorted them by their own offsets would end notes before they
// start.
TEST_F(RelayOrder, AReceiverRunAgainAfterAPauseGetsEverythingInTheOrderSent)
{
    HostInstance& sender = Add(Sender(3));
    HostInstance& receiver = Add(Receiver(3));
    Settle();
    Feed(sender, {NoteOn(0, 60, 100, 20)});
    Cycle({&sender});
    Feed(sender, {NoteOff(0, 60, 64, 5), NoteOn(0, 62, 100, 6)});
    Cycle({&sender});
    Feed(sender, {NoteOff(0, 62, 64, 1)});
    Cycle({&sender});
    Cycle({&receiver});
    EXPECT_EQ(Timed(receiver), (Timing{"90 60/20", "80 60/20", "90 62/20", "80 62/20"}));
}

// What a process call leaves for the next block is all delivered there,
// first and at its first frame, before the block's own events at theirs.
TEST_F(RelayLockHeld, WhatAProcessCallLeavesComesFirstInTheNextBlock)
{
    HostInstance& sender = Add(Sender(4));
    HostInstance& receiver = Add(Receiver(4, true));
    Settle();
    Feed(sender, {NoteOn(0, 60, 100, 20)});
    FailLockAttempts(1);
    Cycle();
    EXPECT_EQ(Timed(receiver), Timing{});
    Feed(sender, {NoteOff(0, 60, 64, 3)});
    Feed(receiver, {NoteOn(1, 40, 100, 2)});
    Cycle();
    EXPECT_EQ(Timed(receiver), (Timing{"90 60/0", "91 40/2", "80 60/3"}));

    Feed(sender, {NoteOn(0, 61, 100, 12)});
    Cycle({&sender});
    FailLockAttempts(1);
    Feed(receiver, {NoteOff(1, 40, 64, 9)});
    Cycle({&receiver});
    EXPECT_EQ(Timed(receiver), Timing{});
    Feed(receiver, {NoteOn(1, 41, 100, 7)});
    Cycle({&receiver});
    EXPECT_EQ(Timed(receiver), (Timing{"90 61/0", "81 40/0", "91 41/7"}));
}

// Switched off and on meanwhile, the node drops what it kept: those blocks
// were never processed, and the release of switching off has ended what
// they belonged to. The host's next block plays.
TEST_F(RelayLockHeld, ANodeSwitchedOffMeanwhileDropsWhatItKept)
{
    HostInstance& sender = Add(Sender(5, true));
    HostInstance& receiver = Add(Receiver(5));
    Settle();
    Feed(sender, {NoteOn(0, 60, 100, 20)});
    FailLockAttempts(1);
    Cycle();
    sender.Suspend();
    sender.Resume();
    Feed(sender, {NoteOn(0, 62, 100, 9)});
    Cycle();
    Cycle();
    EXPECT_EQ(Timed(receiver), Timing{"90 62/9"});
    EXPECT_EQ(Timed(sender), Timing{"90 62/9"});
}

}  // namespace
}  // namespace relaymodule
