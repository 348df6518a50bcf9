// MIDI between nodes: who hears what, note tracking, releases, flushes,
// Panic, suspend, activity and audio.
#include "TestHost.h"

namespace {

using namespace relaytest;

const Bytes kOn60{0x90, 60, 100};
const Bytes kOff60{0x80, 60, 0};

Seq Burst(int times = 1)
{
    Seq burst;
    for (int t = 0; t < times; ++t)
        for (int c = 0; c < 16; ++c)
            burst.push_back({0xB0 + c, 120, 0}), burst.push_back({0xE0 + c, 0, 0x40});
    return burst;
}

TEST(Routing, ASenderReachesEveryReceiverOfItsPortOnly)
{
    HostedNode sender, near1, near2, far;
    near1.MakeReceiver();
    near2.MakeReceiver();
    far.MakeReceiver(1);
    sender.Send({Midi(0x90, 60, 100, 17), Midi(0xB0, 7, 90)});
    Cycle({&sender, &near1, &near2, &far});
    for (HostedNode* node : {&near1, &near2}) {
        const std::vector<VstMidiEvent> got = node->TakeEvents();
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].deltaFrames, 17);
        EXPECT_EQ(got[1].midiData[0], 0xB0);
    }
    EXPECT_TRUE(far.Out().empty());
    EXPECT_TRUE(sender.Out().empty()) << "Thru is off";
}

// Send/off: nothing back; Send/on: everything back; Receive/off: host MIDI
// dropped; Receive/on: host MIDI merged with the senders'.
TEST(Routing, ThruDecidesWhatReachesTheNodesOwnHost)
{
    HostedNode sender, receiver;
    receiver.MakeReceiver();
    for (float thru : {0.0f, 1.0f}) {
        sender.Set(2, thru);
        receiver.Set(2, thru);
        receiver.Send({On(1, 40)});
        sender.Send({On(0, 60)});
        Cycle({&sender, &receiver});
        EXPECT_EQ(sender.Out(), thru ? Seq{kOn60} : Seq{});
        EXPECT_EQ(receiver.Out(), (thru ? Seq{{0x91, 40, 100}, kOn60} : Seq{kOn60}));
    }
}

// A note-off leaves as (0x80, note, 0) and only for a note let through; a
// repeated note-on passes without a second entry, so one note-off ends it.
TEST(Routing, NoteTrackingRewritesAndDropsNoteOffs)
{
    HostedNode sender, receiver;
    receiver.MakeReceiver();
    sender.Send({On(0, 60), Off(0, 61), Midi(0x90, 60, 0), On(0, 62), On(0, 62, 30)});
    sender.Send({Off(0, 62, 99), Off(0, 62)});
    Cycle({&sender, &receiver});
    EXPECT_EQ(receiver.Out(), (Seq{kOn60, kOff60, {0x90, 62, 100}, {0x90, 62, 30}, {0x80, 62, 0}}));
}

TEST(Routing, TheHeldNoteTableStopsNewNotesAtTwoHundredFiftySix)
{
    HostedNode sender;
    sender.Set(2, 1.0f);
    std::vector<VstMidiEvent> notes;
    for (int i = 0; i < 300; ++i)
        notes.push_back(On(i / 128, i % 128));
    sender.Send(notes);
    sender.Process();
    EXPECT_EQ(sender.Out().size(), 256u) << "the inbox holds 256";
    sender.Send({On(5, 1), On(1, 127, 7)});
    sender.Process();
    EXPECT_EQ(sender.Out(), (Seq{{0x91, 127, 7}}));
}

// The receivers get note-offs for the sender's notes and also end what
// they hold from other senders.
TEST(Routing, ASenderBecomingAReceiverReleasesTowardsItsPort)
{
    HostedNode sender, other, receiver;
    receiver.MakeReceiver();
    sender.Send({On(0, 60), On(0, 64)});
    other.Send({On(2, 72)});
    Cycle({&sender, &other, &receiver});
    receiver.Out();
    sender.Set(0, 1.0f);
    Cycle({&sender, &other, &receiver});
    EXPECT_EQ(receiver.Out(), (Seq{kOff60, {0x80, 64, 0}}));
    Cycle({&sender, &other, &receiver});
    EXPECT_EQ(receiver.Out(), (Seq{{0x82, 72, 0}}));
    EXPECT_TRUE(sender.Out().empty());
}

TEST(Routing, ASenderChangingPortReleasesTowardsTheOldPort)
{
    HostedNode sender, oldReceiver, newReceiver;
    oldReceiver.MakeReceiver(0);
    newReceiver.MakeReceiver(3);
    sender.Send({On(0, 60)});
    Cycle({&sender, &oldReceiver, &newReceiver});
    oldReceiver.Out();
    sender.Set(1, 3.0f / 7.0f);
    Cycle({&sender, &oldReceiver, &newReceiver});
    EXPECT_EQ(oldReceiver.Out(), Seq{kOff60});
    EXPECT_TRUE(newReceiver.Out().empty());
}

// Two calls that ignore the host; the second ends, on the host and
// towards the port, what the node had let through; then normal routing.
TEST(Routing, AReceiverBecomingASenderFlushesOverTwoCalls)
{
    HostedNode sender, flushing, listener;
    flushing.MakeReceiver();
    sender.Send({On(0, 60)});
    Cycle({&sender, &flushing});
    flushing.Out();
    flushing.Set(0, 0.0f);
    listener.MakeReceiver();
    const Seq expected[] = {{}, {kOff60}, {}};
    for (int call = 0; call < 3; ++call) {
        flushing.Send({On(0, 70 + call)});
        Cycle({&flushing, &listener});
        EXPECT_EQ(flushing.Out(), expected[call]) << call;
        EXPECT_EQ(listener.Out(), (call < 2 ? Seq{} : Seq{{0x90, 72, 100}})) << call;
    }
}

TEST(Routing, ThruGoingOffOnASenderFlushesItsHost)
{
    HostedNode sender, receiver;
    receiver.MakeReceiver();
    sender.Set(2, 1.0f);
    sender.Send({On(0, 60)});
    Cycle({&sender, &receiver});
    sender.Out(), receiver.Out();
    sender.Set(2, 0.0f);
    sender.Send({On(0, 62)});
    Cycle({&sender, &receiver});
    EXPECT_TRUE(sender.Out().empty());
    sender.Send({On(0, 64)});
    Cycle({&sender, &receiver});
    EXPECT_EQ(sender.Out(), Seq{kOff60});
    EXPECT_EQ(receiver.Out(), Seq{kOff60});
}

TEST(Routing, PanicInReceiveModeGoesToTheHostOnce)
{
    HostedNode receiver;
    receiver.MakeReceiver();
    receiver.Set(3, 1.0f);
    receiver.Set(3, 0.8f);
    receiver.Process();
    EXPECT_EQ(receiver.Out(), Burst());
    receiver.Process();
    EXPECT_TRUE(receiver.Out().empty());
}

TEST(Routing, PanicInSendModeGoesToTheReceiversAndWithThruAlsoBack)
{
    HostedNode sender, receiver;
    receiver.MakeReceiver();
    sender.Set(3, 1.0f);
    Cycle({&sender, &receiver});
    EXPECT_TRUE(sender.Out().empty());
    EXPECT_EQ(receiver.Out(), Burst());
    sender.Set(2, 1.0f);
    sender.Set(3, 0.5f);
    sender.Set(3, 1.0f);
    Cycle({&sender, &receiver});
    EXPECT_EQ(sender.Out(), Burst());
    EXPECT_EQ(receiver.Out(), Burst(2));
}

TEST(Routing, NullBlocksNullEntriesAndOtherEventTypesAreSkipped)
{
    HostedNode sender;
    sender.Set(2, 1.0f);
    VstMidiEvent sysex = On(0, 61), note = On(0, 60);
    sysex.type = 6;
    VstEventBlock<3> block{3, 0, {nullptr, reinterpret_cast<VstEvent*>(&sysex),
                                  reinterpret_cast<VstEvent*>(&note)}};
    EXPECT_EQ(sender.Dispatch(effProcessEvents, 0, 0, nullptr), 0);
    EXPECT_EQ(sender.Dispatch(effProcessEvents, 0, 0, block.asVstEvents()), 0);
    sender.Process();
    EXPECT_EQ(sender.Out(), Seq{kOn60});
}

TEST(Routing, ActivityIndexesFollowTheTraffic)
{
    HostedNode sender;
    sender.Send({});
    sender.Process();
    EXPECT_EQ(sender.editor.indexed, (std::vector<long>{5, 5, 5, 7, 7}));
    sender.editor.Clear();
    sender.Send({On(0, 60)});
    sender.Process();
    EXPECT_EQ(sender.editor.indexed, (std::vector<long>{6, 5, 6, 7, 7}))
        << "no receivers and Thru off: MIDI out stays idle";
    HostedNode receiver;
    receiver.MakeReceiver();
    sender.editor.Clear();
    sender.Send({On(0, 62)});
    sender.Process();
    EXPECT_EQ(sender.editor.indexed, (std::vector<long>{6, 5, 6, 7, 8}));
}

TEST(Routing, AudioPassesThroughBothProcessCallsUnlessSuspended)
{
    HostedNode host;
    float in[2][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    float out[2][4] = {{10, 10, 10, 10}, {20, 20, 20, 20}};
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};
    AEffect* effect = host.effect;
    effect->process(effect, inputs, outputs, 4);
    EXPECT_EQ(out[0][3], 14.0f);
    EXPECT_EQ(out[1][0], 25.0f);
    effect->processReplacing(effect, inputs, outputs, 3);
    EXPECT_EQ(out[0][2], 3.0f);
    EXPECT_EQ(out[0][3], 14.0f) << "only the block's frames";
    EXPECT_EQ(out[1][0], 5.0f);

    host.Set(2, 1.0f);
    host.Send({On(0, 60)});
    host.Dispatch(effMainsChanged, 0, 0);
    out[0][0] = -1.0f;
    effect->processReplacing(effect, inputs, outputs, 4);
    effect->process(effect, inputs, outputs, 4);
    EXPECT_EQ(out[0][0], -1.0f);
    EXPECT_TRUE(host.Out().empty());
}

// Switching a receiver off ends the notes it gave its host, in the first
// process call after it is switched on again, and only once.
TEST(Routing, ASuspendedReceiverEndsItsNotesAfterResume)
{
    for (float thru : {0.0f, 1.0f}) {
        HostedNode sender, receiver;
        receiver.MakeReceiver();
        receiver.Set(2, thru);
        sender.Send({On(0, 60)});
        Cycle({&sender, &receiver});
        receiver.Out();
        receiver.Dispatch(effMainsChanged, 0, 0);
        receiver.Dispatch(effMainsChanged, 0, 1);
        receiver.Process();
        EXPECT_EQ(receiver.Out(), Seq{kOff60}) << thru;
        Cycle({&sender, &receiver, &sender, &receiver});
        EXPECT_TRUE(receiver.Out().empty()) << thru;
    }
}

// The receivers release at their own next post-process while the sender is
// still off; the sender's Thru note-offs reach its host after resume.
TEST(Routing, ASuspendedSenderReleasesTowardsItsReceiversAndWithThruItsHost)
{
    HostedNode sender, receiver;
    receiver.MakeReceiver();
    sender.Set(2, 1.0f);
    sender.Send({On(0, 60)});
    Cycle({&sender, &receiver});
    sender.Out(), receiver.Out();
    sender.Dispatch(effMainsChanged, 0, 0);
    Cycle({&sender, &receiver, &receiver});
    EXPECT_EQ(receiver.Out(), Seq{kOff60});
    sender.Dispatch(effMainsChanged, 0, 1);
    Cycle({&sender, &receiver, &sender, &receiver});
    EXPECT_EQ(sender.Out(), Seq{kOff60});
    EXPECT_TRUE(receiver.Out().empty());
}

}  // namespace
