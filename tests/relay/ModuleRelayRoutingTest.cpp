// MIDI between instances of the built module: who hears what, what each
// node gives its own host, which note-offs pass, Panic, and event blocks a
// careless host may send.
#include "ModuleRelayFixture.h"

namespace relaymodule {
namespace {

using RelayRouting = RelayNodes;
using RelayNoteTracking = RelayNodes;
using RelayPanic = RelayNodes;
using RelayEventBlocks = RelayNodes;

// Every way a host ends a note: a note-off with or without a release
// velocity, and a note-on with velocity 0.
TEST_F(RelayRouting, ANoteAndItsNoteOffReachEveryReceiverOfThePortAndNoOneElse)
{
    HostInstance& sender = Add(Sender(2));
    HostInstance& near1 = Add(Receiver(2));
    HostInstance& near2 = Add(Receiver(2));
    HostInstance& far = Add(Receiver(5));
    HostInstance& otherSender = Add(Sender(5));
    Settle();

    const MidiMessage endings[] = {NoteOff(0, 60, 64, 40), Raw(0x91, 61, 0, 41),
                                   NoteOff(2, 62, 0, 42)};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const int channel = i, note = 60 + i;
        Feed(sender, {NoteOn(channel, note, 100, 17 + i), Raw(0xB0 + channel, 7, 90, 20)});
        Cycle();
        for (HostInstance* receiver : {&near1, &near2}) {
            const std::vector<VstMidiEvent> got = Events(*receiver);
            ASSERT_EQ(got.size(), 2u);
            EXPECT_EQ((Msg{got[0].midiData[0], got[0].midiData[1], got[0].midiData[2]}),
                      Started(channel, note));
            EXPECT_EQ(got[0].deltaFrames, 17 + i);
            EXPECT_EQ((Msg{got[1].midiData[0], got[1].midiData[1], got[1].midiData[2]}),
                      (Msg{0xB0 + channel, 7, 90}));
            EXPECT_EQ(got[1].deltaFrames, 20);
        }
        Feed(sender, {endings[i]});
        Cycle();
        for (HostInstance* receiver : {&near1, &near2}) {
            const std::vector<VstMidiEvent> got = Events(*receiver);
            ASSERT_EQ(got.size(), 1u);
            EXPECT_EQ((Msg{got[0].midiData[0], got[0].midiData[1], got[0].midiData[2]}),
                      Ended(channel, note));
            EXPECT_EQ(got[0].deltaFrames, 40 + i);
        }
        EXPECT_EQ(Out(far), Seq{});
        EXPECT_EQ(Out(otherSender), Seq{});
        EXPECT_EQ(Out(sender), Seq{}) << "Thru is off";
    }
}

// A receiver that the host runs before the sender finds the events in its
// next block, with the offsets they had in the sender's block.
TEST_F(RelayRouting, AReceiverRunBeforeItsSenderGetsTheEventsOneBlockLaterUnchanged)
{
    HostInstance& receiver = Add(Receiver(1));
    HostInstance& sender = Add(Sender(1));
    Settle();
    const std::uint64_t nextBlock = receiver.BlocksStarted() + 1;
    Feed(sender, {NoteOn(3, 50, 90, 25)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{});
    Cycle();
    const tarvenna::host::Recording recording = receiver.Recorded();
    ASSERT_EQ(recording.handouts.size(), 1u);
    EXPECT_TRUE(recording.handouts[0].duringProcess);
    EXPECT_EQ(recording.handouts[0].block, nextBlock + 1);
    const std::vector<VstMidiEvent> got = Events(receiver);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].midiData[0], 0x93);
    EXPECT_EQ(got[0].deltaFrames, 25);
}

// Send/off: nothing back; Send/on: everything back; Receive/off: host MIDI
// dropped; Receive/on: host MIDI merged after what the sender queued first.
TEST_F(RelayRouting, ThruDecidesWhatANodeGivesItsOwnHost)
{
    for (bool thru : {false, true}) {
        SCOPED_TRACE(thru ? "Thru on" : "Thru off");
        HostInstance& sender = Add(Sender(0, thru));
        HostInstance& receiver = Add(Receiver(0, thru));
        Settle();
        Feed(sender, {NoteOn(0, 60)});
        Feed(receiver, {NoteOn(1, 40)});
        Cycle();
        EXPECT_EQ(Out(sender), thru ? Seq{Started(0, 60)} : Seq{});
        EXPECT_EQ(Out(receiver),
                  (thru ? Seq{Started(0, 60), Started(1, 40)} : Seq{Started(0, 60)}));
        // What the receiver merged is tracked like anything else it passed.
        Feed(receiver, {NoteOff(1, 40)});
        Cycle();
        EXPECT_EQ(Out(receiver), thru ? Seq{Ended(1, 40)} : Seq{});
        EXPECT_EQ(Out(sender), Seq{});
        CloseAll();
    }
}

// Only notes a node let through are ended by it; anything else would end
// a note some other sender started. Blocks that lose events on the way and
// blocks that pass whole take different ways to the receivers, one after
// the other here; and a release ends only what is still held, not the
// entries that ended notes freed.
TEST_F(RelayNoteTracking, ANoteOffForANoteNeverLetThroughIsDropped)
{
    HostInstance& sender = Add(Sender());
    HostInstance& receiver = Add(Receiver());
    Settle();
    Feed(sender, {NoteOff(0, 61), Raw(0x90, 62, 0), NoteOn(0, 60), NoteOff(1, 60),
                  NoteOff(0, 60, 0), NoteOff(0, 60)});
    Cycle();
    EXPECT_EQ(Out(receiver), (Seq{Started(0, 60), Ended(0, 60)}));

    Feed(sender, {NoteOn(0, 50), NoteOn(0, 51), NoteOn(0, 52)});
    Cycle();
    EXPECT_EQ(Out(receiver), (Seq{Started(0, 50), Started(0, 51), Started(0, 52)}));
    Feed(sender, {NoteOff(0, 51), NoteOff(0, 53)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Ended(0, 51)});
    Feed(sender, {NoteOn(0, 54)});
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{Started(0, 54)});

    sender.SetParameter(kParameterPort, PortValue(3));
    Cycle();
    EXPECT_EQ(Out(receiver), (Seq{Ended(0, 50), Ended(0, 54), Ended(0, 52)}))
        << "in table order: 54 took the entry 51 freed";
}

// A repeated note-on passes but does not take a second entry, so one
// note-off ends the note and the next one is dropped.
TEST_F(RelayNoteTracking, ARepeatedNoteOnPassesAndOneNoteOffEndsIt)
{
    HostInstance& sender = Add(Sender());
    HostInstance& receiver = Add(Receiver());
    Settle();
    Feed(sender, {NoteOn(0, 62), NoteOn(0, 62, 30), NoteOff(0, 62, 99), NoteOff(0, 62)});
    Cycle();
    EXPECT_EQ(Out(receiver), (Seq{Started(0, 62), Started(0, 62, 30), Ended(0, 62)}));
}

TEST_F(RelayNoteTracking, NewNotesStopAtTwoHundredFiftySixHeldNotes)
{
    HostInstance& sender = Add(Sender(0, true));
    std::vector<MidiMessage> notes;
    for (int i = 0; i < 300; ++i)
        notes.push_back(NoteOn(i / 128, i % 128));
    Feed(sender, notes);
    Cycle();
    EXPECT_EQ(Out(sender).size(), 256u) << "a block's queue holds 256 events";
    // Channel 1 note 127 is the 256th note and held; channel 5 note 1 is new.
    Feed(sender, {NoteOn(5, 1), NoteOn(1, 127, 7)});
    Cycle();
    EXPECT_EQ(Out(sender), (Seq{Started(1, 127, 7)}));
}

TEST_F(RelayPanic, InReceiveModeTheBurstReachesTheHostOnce)
{
    HostInstance& receiver = Add(Receiver(4));
    receiver.SetParameter(kParameterPanic, kOn);
    receiver.SetParameter(kParameterPanic, 0.8f);
    Cycle();
    const std::vector<VstMidiEvent> got = Events(receiver);
    Seq bytes;
    for (const VstMidiEvent& event : got) {
        bytes.push_back({event.midiData[0], event.midiData[1], event.midiData[2]});
        EXPECT_EQ(event.deltaFrames, 0);
    }
    EXPECT_EQ(bytes, PanicBurst());
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{});
}

// Without Thru the burst goes only to the receivers; with Thru it also goes
// through the sender's own output, from where the receivers get it again.
TEST_F(RelayPanic, InSendModeTheBurstReachesTheReceiversAndWithThruAlsoTheHost)
{
    HostInstance& sender = Add(Sender(3));
    HostInstance& receiver = Add(Receiver(3));
    HostInstance& far = Add(Receiver(0));
    Settle();
    sender.SetParameter(kParameterPanic, kOn);
    Cycle();
    EXPECT_EQ(Out(sender), Seq{});
    EXPECT_EQ(Out(receiver), PanicBurst());
    EXPECT_EQ(Out(far), Seq{});

    sender.SetParameter(kParameterThru, kOn);
    sender.SetParameter(kParameterPanic, 0.5f);
    Cycle();
    EXPECT_EQ(Out(receiver), Seq{}) << "switching Panic off sends nothing";
    sender.SetParameter(kParameterPanic, kOn);
    Cycle();
    EXPECT_EQ(Out(sender), PanicBurst());
    EXPECT_EQ(Out(receiver), PanicBurst(2));
    EXPECT_EQ(Out(far), Seq{});
}

// Hosts do send these; the node must neither crash nor pass anything but
// the MIDI events of a block.
TEST_F(RelayEventBlocks, NullBlocksNullEntriesAndOtherEventTypesAreSkipped)
{
    HostInstance& sender = Add(Sender(0, true));
    EXPECT_EQ(sender.Dispatch(effProcessEvents, 0, 0, nullptr), 0);

    VstMidiEvent sysex = tarvenna::host::MakeMidiEvent(NoteOn(0, 61));
    sysex.type = 6;
    VstMidiEvent note = tarvenna::host::MakeMidiEvent(NoteOn(0, 60));
    VstEventBlock<3> block{
        3, 0, {nullptr, reinterpret_cast<VstEvent*>(&sysex), reinterpret_cast<VstEvent*>(&note)}};
    EXPECT_EQ(sender.Dispatch(effProcessEvents, 0, 0, block.asVstEvents()), 0);
    VstEventBlock<1> negative{-1, 0, {reinterpret_cast<VstEvent*>(&note)}};
    EXPECT_EQ(sender.Dispatch(effProcessEvents, 0, 0, negative.asVstEvents()), 0);
    Cycle();
    EXPECT_EQ(Out(sender), Seq{Started(0, 60)});
}

}  // namespace
}  // namespace relaymodule
