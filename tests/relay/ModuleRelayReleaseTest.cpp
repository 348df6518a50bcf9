// Ending sounding notes through the built module: a sender leaving its
// port, the two-block flush, switching nodes off and on; and the audio the
// two process calls pass.
#include "ModuleRelayFixture.h"

namespace relaymodule {
namespace {

using RelayReleases = RelayNodes;
using RelaySuspend = RelayNodes;
using RelayAudio = RelayNodes;

struct Leaving {
    const char* how;
    ParameterIndex parameter;
    float value;
};

// The receivers get note-offs for the leaving sender's notes, and right
// after them end what they hold from other senders too: they cannot tell
// whose notes were whose.
TEST_F(RelayReleases, ASenderLeavingItsPortEndsItsNotesAndTheReceiversNotesThere)
{
    for (const Leaving& leaving : {Leaving{"to Receive", kParameterMode, kReceive},
                                   Leaving{"to port 5", kParameterPort, PortValue(4)}}) {
        SCOPED_TRACE(leaving.how);
        HostInstance& sender = Add(Sender(0));
        HostInstance& other = Add(Sender(0));
        HostInstance& receiver = Add(Receiver(0));
        HostInstance& elsewhere = Add(Receiver(4));
        Settle();
        Feed(sender, {NoteOn(0, 60), NoteOn(0, 64)});
        Feed(other, {NoteOn(2, 72)});
        Cycle();
        ASSERT_EQ(Out(receiver), (Seq{Started(0, 60), Started(0, 64), Started(2, 72)}));

        sender.SetParameter(leaving.parameter, leaving.value);
        Cycle();
        EXPECT_EQ(Out(receiver), (Seq{Ended(0, 60), Ended(0, 64), Ended(2, 72)}));
        Cycle();
        EXPECT_EQ(Out(receiver), Seq{});
        for (HostInstance* node : {&sender, &other, &elsewhere})
            EXPECT_EQ(Out(*node), Seq{});
        CloseAll();
    }
}

// A release ends what the receiver holds when it reaches it: a note that
// came earlier in the same block as well, and not one that came after it.
TEST_F(RelayReleases, AReleaseEndsTheNotesBeforeItInItsBlockAndNotThoseAfter)
{
    HostInstance& sender = Add(Sender(0));
    HostInstance& other = Add(Sender(0));
    HostInstance& receiver = Add(Receiver(0));
    Settle();
    Feed(sender, {NoteOn(0, 60)});
    Cycle();
    ASSERT_EQ(Out(receiver), Seq{Started(0, 60)});

    Feed(other, {NoteOn(3, 50)});
    Cycle({&sender, &other});
    sender.SetParameter(kParameterPort, PortValue(4));
    Feed(other, {NoteOn(4, 55)});
    Cycle();
    EXPECT_EQ(Out(receiver), (Seq{Started(3, 50), Ended(0, 60), Ended(3, 50), Started(4, 55)}));
    Feed(other, {NoteOff(4, 55)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Ended(4, 55)});
}

class RelayFlush : public RelayNodes {
protected:
    // The two blocks of a flush: `playing` gets one note in each, which goes
    // nowhere; the watched nodes hand out `ended` in block `endedIn` (1 or 2)
    // and nothing in the other.
    void ExpectFlushBlocks(HostInstance& playing, MidiMessage first, MidiMessage second,
                           const std::vector<HostInstance*>& watched, const Seq& ended,
                           int endedIn = 2)
    {
        const MidiMessage notes[] = {first, second};
        for (int block = 1; block <= 2; ++block) {
            Feed(playing, {notes[block - 1]});
            Cycle();
            for (std::size_t i = 0; i < watched.size(); ++i)
                EXPECT_EQ(Out(*watched[i]), block == endedIn ? ended : Seq{})
                    << "block " << block << ", watched node " << i;
        }
    }
};

// A flush ignores the host in two blocks; what had sounded through a sender
// ends in the first, at its receivers as on its host, as Thru went off: a
// block later a receiver may hold the key from another sender. The third
// block routes normally again.
TEST_F(RelayFlush, ThruSwitchedOffOnASenderFlushesOverTwoBlocks)
{
    HostInstance& sender = Add(Sender(0, true));
    HostInstance& receiver = Add(Receiver(0));
    Settle();
    Feed(sender, {NoteOn(0, 60)});
    Cycle();
    ASSERT_EQ(Out(sender), Seq{Started(0, 60)});
    ASSERT_EQ(Out(receiver), Seq{Started(0, 60)});

    sender.SetParameter(kParameterThru, kOff);
    ExpectFlushBlocks(sender, NoteOn(0, 62), NoteOn(0, 64), {&sender, &receiver}, Seq{Ended(0, 60)},
                      1);
    Feed(sender, {NoteOn(0, 66)});
    Cycle();
    EXPECT_EQ(Out(sender), Seq{});
    EXPECT_EQ(Out(receiver), Seq{Started(0, 66)});
}

// The receiver ends both the notes the sender sent and those its own host
// gave it; its own host input is then dropped, as without Thru.
TEST_F(RelayFlush, ThruSwitchedOffOnAReceiverFlushesOverTwoBlocks)
{
    HostInstance& sender = Add(Sender(0));
    HostInstance& receiver = Add(Receiver(0, true));
    Settle();
    Feed(sender, {NoteOn(0, 60)});
    Feed(receiver, {NoteOn(1, 50)});
    Cycle();
    ASSERT_EQ(Out(receiver), (Seq{Started(0, 60), Started(1, 50)}));

    receiver.SetParameter(kParameterThru, kOff);
    ExpectFlushBlocks(receiver, NoteOn(1, 52), NoteOn(1, 54), {&receiver},
                      Seq{Ended(0, 60), Ended(1, 50)});
    Feed(receiver, {NoteOn(1, 56)});
    Feed(sender, {NoteOn(0, 62)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Started(0, 62)});
}

// As a sender now, the node ends its notes on its host and at the
// receivers of its port, as it changes; what its host plays meanwhile goes
// nowhere.
TEST_F(RelayFlush, AReceiverBecomingASenderFlushesOverTwoBlocks)
{
    HostInstance& sender = Add(Sender(0));
    HostInstance& flushing = Add(Receiver(0));
    HostInstance& listener = Add(Receiver(0));
    Settle();
    Feed(sender, {NoteOn(0, 60)});
    Cycle();
    ASSERT_EQ(Out(flushing), Seq{Started(0, 60)});
    ASSERT_EQ(Out(listener), Seq{Started(0, 60)});

    flushing.SetParameter(kParameterMode, kSend);
    ExpectFlushBlocks(flushing, NoteOn(0, 70), NoteOn(0, 71), {&flushing, &listener},
                      Seq{Ended(0, 60)}, 1);
    Feed(flushing, {NoteOn(0, 72)});
    Cycle();
    EXPECT_EQ(Out(flushing), Seq{}) << "Thru is off";
    EXPECT_EQ(Out(listener), Seq{Started(0, 72)});
    EXPECT_EQ(Out(sender), Seq{});
}

// The new port's senders are not heard until the flush is over.
TEST_F(RelayFlush, AReceiverChangingPortFlushesOverTwoBlocks)
{
    HostInstance& oldSender = Add(Sender(0));
    HostInstance& newSender = Add(Sender(3));
    HostInstance& moving = Add(Receiver(0));
    Settle();
    Feed(oldSender, {NoteOn(0, 60)});
    Cycle();
    ASSERT_EQ(Out(moving), Seq{Started(0, 60)});

    moving.SetParameter(kParameterPort, PortValue(3));
    ExpectFlushBlocks(newSender, NoteOn(0, 65), NoteOn(0, 66), {&moving}, Seq{Ended(0, 60)});
    Feed(newSender, {NoteOn(0, 67)});
    Feed(oldSender, {NoteOn(0, 61)});
    Cycle();
    EXPECT_EQ(Out(moving), Seq{Started(0, 67)});
}

struct AudioSnapshot {
    std::vector<float> left, right;
    bool operator==(const AudioSnapshot& o) const { return left == o.left && right == o.right; }
};

AudioSnapshot OutputsOf(HostInstance& node)
{
    return {node.Audio().OutputChannel(0), node.Audio().OutputChannel(1)};
}

// The suspended node of each pair gets MIDI from its host or its sender
// and both process calls; its partner keeps running to show that the pair
// would have passed audio and MIDI.
TEST_F(RelaySuspend, ASuspendedNodePassesNeitherAudioNorMidi)
{
    for (bool suspendSender : {true, false}) {
        SCOPED_TRACE(suspendSender ? "sender off" : "receiver off");
        HostInstance& sender = Add(Sender(0, true));
        HostInstance& receiver = Add(Receiver(0, true));
        HostInstance& off = suspendSender ? sender : receiver;
        HostInstance& on = suspendSender ? receiver : sender;
        off.Suspend();
        // Switching a node off ends its port's notes; nothing plays yet.
        Settle();
        for (HostInstance* node : {&sender, &receiver}) {
            node->Audio().FillInputs(0.25f);
            node->Audio().FillOutputs(-1.0f);
        }
        const AudioSnapshot untouched = OutputsOf(off);
        Feed(sender, {NoteOn(0, 60)});
        Feed(receiver, {NoteOn(1, 40)});
        Cycle(ProcessCall::Replacing);
        Cycle(ProcessCall::Accumulating);
        EXPECT_EQ(Out(off), Seq{});
        EXPECT_TRUE(OutputsOf(off) == untouched);
        EXPECT_EQ(on.Audio().OutputChannel(0)[0], 0.5f) << "copied, then added";
        if (suspendSender)
            EXPECT_EQ(Out(on), Seq{Started(1, 40)}) << "only its own host's note";
        else
            EXPECT_EQ(Out(on), Seq{Started(0, 60)}) << "Thru gives it back";
        CloseAll();
    }
}

// The receiver gave its host the note (with or without Thru), so switching
// it off and on ends the note there, in its first block, and only once.
TEST_F(RelaySuspend, AReceiverSwitchedOffEndsItsNotesInItsFirstBlockAfterResume)
{
    for (bool thru : {false, true}) {
        SCOPED_TRACE(thru ? "Thru on" : "Thru off");
        HostInstance& sender = Add(Sender(0));
        HostInstance& receiver = Add(Receiver(0, thru));
        Settle();
        Feed(sender, {NoteOn(0, 60)});
        Cycle();
        ASSERT_EQ(Out(receiver), Seq{Started(0, 60)});
        receiver.Suspend();
        Cycle();
        EXPECT_EQ(Out(receiver), Seq{});
        receiver.Resume();
        Cycle({&receiver});
        EXPECT_EQ(Out(receiver), Seq{Ended(0, 60)});
        Cycle();
        Cycle();
        EXPECT_EQ(Out(receiver), Seq{});
        EXPECT_EQ(Out(sender), Seq{});
        CloseAll();
    }
}

// The receivers end the notes while the sender is still off; the note-offs
// for what its Thru gave its own host come at its first block after resume.
TEST_F(RelaySuspend, ASenderWithThruSwitchedOffEndsItsNotesOnItsHostAfterResume)
{
    HostInstance& sender = Add(Sender(0, true));
    HostInstance& receiver = Add(Receiver(0));
    Settle();
    Feed(sender, {NoteOn(0, 60)});
    Cycle();
    ASSERT_EQ(Out(sender), Seq{Started(0, 60)});
    ASSERT_EQ(Out(receiver), Seq{Started(0, 60)});

    sender.Suspend();
    Cycle();
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Ended(0, 60)});
    EXPECT_EQ(Out(sender), Seq{});
    sender.Resume();
    Cycle({&sender});
    EXPECT_EQ(Out(sender), Seq{Ended(0, 60)});
    Cycle();
    Cycle();
    EXPECT_EQ(Out(sender), Seq{});
    EXPECT_EQ(Out(receiver), Seq{}) << "its notes were already ended";
}

// Switching the sender off ended the note it held; the note of its first
// block after switching on lasts until its own note-off, wherever the host
// runs the receiver.
TEST_F(RelaySuspend, TheFirstNoteAfterSwitchingOnLastsUntilItsNoteOff)
{
    for (bool receiverFirst : {false, true}) {
        SCOPED_TRACE(receiverFirst ? "receiver first" : "sender first");
        HostInstance& sender = Add(Sender(0, true));
        HostInstance& receiver = Add(Receiver(0));
        const auto block = [&] {
            Cycle(receiverFirst ? std::initializer_list<HostInstance*>{&receiver, &sender}
                                : std::initializer_list<HostInstance*>{&sender, &receiver});
        };
        Settle();
        Feed(sender, {NoteOn(0, 60)});
        block();
        block();
        ASSERT_EQ(Out(receiver), Seq{Started(0, 60)});
        sender.Suspend();
        sender.Resume();
        Feed(sender, {NoteOn(0, 64)});
        block();
        block();
        block();
        EXPECT_EQ(Out(receiver), (Seq{Ended(0, 60), Started(0, 64)}));
        EXPECT_EQ(Out(sender), (Seq{Started(0, 60), Ended(0, 60), Started(0, 64)}));
        Feed(sender, {NoteOff(0, 64)});
        block();
        block();
        EXPECT_EQ(Out(receiver), Seq{Ended(0, 64)});
        EXPECT_EQ(Out(sender), Seq{Ended(0, 64)});
        CloseAll();
    }
}

TEST_F(RelayAudio, ProcessReplacingCopiesAndProcessAddsOnlyTheBlocksFrames)
{
    HostInstance& node = Add(Sender());
    tarvenna::host::AudioBuffers& audio = node.Audio();
    const int frames = 100;
    ASSERT_GT(audio.Frames(), frames + 10);
    for (int i = 0; i < audio.Frames(); ++i) {
        audio.Input(0)[i] = static_cast<float>(i + 1);
        audio.Input(1)[i] = -0.5f * static_cast<float>(i + 1);
    }
    audio.FillOutputs(10.0f);
    ASSERT_TRUE(node.ProcessReplacing(frames));
    for (int i = 0; i < frames + 10; ++i) {
        const bool inBlock = i < frames;
        EXPECT_EQ(audio.Output(0)[i], inBlock ? audio.Input(0)[i] : 10.0f) << i;
        EXPECT_EQ(audio.Output(1)[i], inBlock ? audio.Input(1)[i] : 10.0f) << i;
    }

    audio.FillOutputs(3.0f);
    ASSERT_TRUE(node.ProcessAccumulating(frames));
    for (int i = 0; i < frames + 10; ++i) {
        const bool inBlock = i < frames;
        EXPECT_EQ(audio.Output(0)[i], inBlock ? 3.0f + audio.Input(0)[i] : 3.0f) << i;
        EXPECT_EQ(audio.Output(1)[i], inBlock ? 3.0f + audio.Input(1)[i] : 3.0f) << i;
    }

    ASSERT_TRUE(node.ProcessReplacing(0));
    ASSERT_TRUE(node.ProcessAccumulating(0));
    EXPECT_EQ(audio.Output(0)[0], 4.0f) << "an empty block writes nothing";
}

}  // namespace
}  // namespace relaymodule
