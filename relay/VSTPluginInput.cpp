// The first stage of the MIDI pass: what a node takes in one block, in the
// order its host gets it. The host's own MIDI waits in the node's stash;
// what senders and releases relayed waits in the inbox. The pass takes the
// release note-offs queued since the last pass first, at the block's first
// frame, then both streams merged by offset: the relayed events in the
// order they arrived, the host's in the order it gave them, each raised
// where needed to the offset of the one before it in its stream
// (BlockOrder.h). So the outbox is in order as it is filled, and the note
// tracking sees the events in the order the host will: what it holds is
// what sounds.
#include "relay/BlockOrder.h"
#include "relay/MidiMessages.h"
#include "relay/VSTPlugin.h"

// The stash needs no lock, so the host's MIDI is kept even while another
// thread holds the node's lock; the pass decides, with the lock held, what
// becomes of it.
VstInt32 VSTPlugin::processEvents(VstEvents* events)
{
    if (events == nullptr || events->numEvents <= 0) {
        NotifyActivity(kMidiInIdle);
        return 0;
    }
    // A node that is off keeps nothing, as resume empties the inbox.
    if (!suspended)
        hostMidi.Add(events, suspends.load());
    NotifyActivity(kMidiInActive);
    return 0;
}

// Returns whether the pass took any event.
bool VSTPlugin::InStage(VstInt32 frames)
{
    // What came in on the port's JACK input reaches a receiver as a
    // sender of the port would send it: through the inbox (bridge/).
    if (mode == kModeReceive)
        BridgeDeliver(bridgeCursor, port, inbox, releasePending, frames, sampleRate);
    else
        bridgeCursor.port = -1;
    // Release note-offs made since the last pass end notes held before this
    // one, so they go ahead of anything that could start those notes again.
    const bool owedEvents = !owedNoteOffs.IsEmpty();
    const bool localHadEvents = MoveLocalReleases(0) || owedEvents;
    bool inputHadEvents = false;
    if (flushPending) {
        inbox.Clear();
        hostMidi.Clear();
    } else {
        int32_t relayed = 0;
        VstMidiEvent* relayedEvents = inbox.Take(relayed);
        const bool hostGave = hostMidi.Count() > 0;
        const int32_t own = hostGave ? TakeHostMidi() : 0;
        inputHadEvents = relayed > 0 || own > 0;
        if (inputHadEvents)
            RouteInOrder(relayedEvents, relayed, hostMidi.Events(), own);
        if (inputHadEvents && !routeInPlace)
            outbox.CopyRoutedRecords();
        if (hostGave)
            hostMidi.Clear();
    }
    // Port releases are delivered when they are made; the lamp still shows
    // them with the next pass.
    const bool portHadEvents = portReleaseDelivered;
    portReleaseDelivered = false;
    return inputHadEvents || localHadEvents || portHadEvents;
}

// How many of the stash's events this pass takes: none while a flush
// ignores the host, in a receiver without Thru, or when they were handed
// over before a suspend (those blocks were never processed).
int32_t VSTPlugin::TakeHostMidi()
{
    const bool taken =
        !flushPending && (mode == kModeSend || ThruIsOn()) && hostMidi.Current(suspends.load());
    if (!taken)
        return 0;
    // A note-off the stash could not keep can no longer end its note.
    if (hostMidi.LostNoteOff())
        releasePending.store(1);
    return hostMidi.Count();
}

// On equal offsets the relayed event goes first: it arrived before the
// host's block was handed over.
//
// Most passes have one stream only, and each of those has a loop of its
// own, in a function of its own: the routing of an event is inlined in each
// loop, and a loop alone in its function keeps the tracker's and the
// filler's copies in registers, where beside the other loops it spilled
// the tracker's word to the stack and every note event waited for it there.
void VSTPlugin::RouteInOrder(VstMidiEvent* relayed, int32_t relayedCount, VstMidiEvent* own,
                             int32_t ownCount)
{
    if (ownCount == 0)
        RouteRelayedOnly(relayed, relayedCount);
    else if (relayedCount == 0)
        RouteOwnOnly(own, ownCount);
    else
        RouteMerged(relayed, relayedCount, own, ownCount);
}

__attribute__((noinline)) void VSTPlugin::RouteRelayedOnly(VstMidiEvent* relayed, int32_t count)
{
    HeldNoteTable::Tracker notes(heldNotes);
    OutBlock::Filler out(outbox);
    OffsetFloor order;
    for (int32_t r = 0; r < count; ++r)
        RouteRelayed(relayed[r], order, notes, out);
}

// A block that lets every event of the host's through, into an outbox
// that held nothing before, is the stash's own array: the outbox is told so
// (MarkRun), and a sender's receivers copy the stash as it is.
__attribute__((noinline)) void VSTPlugin::RouteOwnOnly(VstMidiEvent* own, int32_t count)
{
    const bool outboxWasEmpty = outbox.IsEmpty();
    {
        HeldNoteTable::Tracker notes(heldNotes);
        OutBlock::Filler out(outbox);
        OffsetFloor order;
        for (int32_t o = 0; o < count; ++o)
            RouteOwn(own[o], order, notes, out);
    }
    if (outboxWasEmpty && outbox.Count() == count)
        outbox.MarkRun(own);
}

__attribute__((noinline)) void VSTPlugin::RouteMerged(VstMidiEvent* relayed, int32_t relayedCount,
                                                      VstMidiEvent* own, int32_t ownCount)
{
    HeldNoteTable::Tracker notes(heldNotes);
    OutBlock::Filler out(outbox);
    OffsetFloor relayedOrder;
    OffsetFloor ownOrder;
    int32_t r = 0;
    int32_t o = 0;
    while (r < relayedCount || o < ownCount) {
        if (o == ownCount ||
            (r < relayedCount && relayedOrder.Of(relayed[r]) <= ownOrder.Of(own[o])))
            RouteRelayed(relayed[r++], relayedOrder, notes, out);
        else
            RouteOwn(own[o++], ownOrder, notes, out);
    }
}

// A release marker's MIDI bytes are all zero (MidiMessages.h): it is never
// taken for a note, so it is looked for among the other events only, and a
// note event costs no look at the record's type.
__attribute__((always_inline)) inline void VSTPlugin::RouteRelayed(VstMidiEvent& event,
                                                                   OffsetFloor& order,
                                                                   HeldNoteTable::Tracker& notes,
                                                                   OutBlock::Filler& out)
{
    order.Raise(event);
    const uint32_t cameWith = MidiBytesOf(event);
    if (IsNoteBytes(cameWith)) {
        RouteNote(event, cameWith, notes, out);
        return;
    }
    if (!IsReleaseMarker(event)) {
        if (!out.IsFull())
            out.Queue(event);
        return;
    }
    notes.Store();
    out.Store();
    EndHeldNotesHere(event.deltaFrames);
    notes.Load();
    out.Load();
}

// The host's own events are MIDI events only (HostMidiStash).
__attribute__((always_inline)) inline void VSTPlugin::RouteOwn(VstMidiEvent& event,
                                                               OffsetFloor& order,
                                                               HeldNoteTable::Tracker& notes,
                                                               OutBlock::Filler& out)
{
    order.Raise(event);
    const uint32_t cameWith = MidiBytesOf(event);
    if (IsNoteBytes(cameWith))
        RouteNote(event, cameWith, notes, out);
    else if (!out.IsFull())
        out.Queue(event);
}

// A port release reached this node: it ends what the node holds now, and
// not the notes that arrive after it, which the release never saw. Its
// note-offs take the release's place in the block.
void VSTPlugin::EndHeldNotesHere(VstInt32 offset)
{
    EditLocked(kPostProcessRelease, 0);
    MoveLocalReleases(offset);
}

// Notes are tracked per (channel, note) so that every note let through can
// be ended later; a note-off for a note this node never let through is
// dropped, since it could only end someone else's note.
//
// The table holds exactly the notes whose note-on went out and whose
// note-off did not: a note-on that finds the outbox full is dropped before
// it takes an entry, and a note-off that finds it full leaves its entry
// held and asks for a release at the end of this pass, which ends it
// through localReleaseQueue instead of losing it.
//
// An event's bytes are set in its record, which goes out where it lies,
// and only when they change: a record written just before the receivers
// copy it makes the copy wait for the write. Whether they change is told
// from the bytes the event came with (`cameWith`, the four bytes as one
// word, MidiBytesOf), read once before it is queued.
__attribute__((always_inline)) inline void VSTPlugin::RouteNote(VstMidiEvent& event,
                                                                uint32_t cameWith,
                                                                HeldNoteTable::Tracker& notes,
                                                                OutBlock::Filler& out)
{
    const int32_t channel = cameWith & 0x0F;
    const int32_t note = (cameWith >> 8) & 0x7F;
    const int32_t velocity = (cameWith >> 16) & 0x7F;
    const bool noteOn = (cameWith & (kNoteOn ^ kNoteOff)) != 0 && velocity > 0;
    if (__builtin_expect(out.IsFull(), 0)) {
        if (!noteOn && notes.Holds(channel, note))
            releasePending.store(1);
        return;
    }
    if (noteOn) {
        const HeldNoteTable::NoteOnResult result =
            notes.NoteOn(channel, note, velocity, static_cast<float>(event.noteLength));
        if (result == HeldNoteTable::NoteOnResult::Dropped)
            return;
        out.Queue(event);
        if (result == HeldNoteTable::NoteOnResult::Retriggered)
            SetNoteBytes(event, cameWith, (cameWith & 0xFF7F7F0F) | kNoteOn);
        return;
    }
    if (notes.NoteOff(channel, note) > 0) {
        out.Queue(event);
        SetNoteBytes(event, cameWith, (cameWith & 0xFF007F0F) | kNoteOff);
    }
}

void VSTPlugin::SetNoteBytes(VstMidiEvent& queued, uint32_t cameWith, uint32_t wanted)
{
    if (wanted != cameWith)
        std::memcpy(queued.midiData, &wanted, sizeof wanted);
}

// Release note-offs that do not fit the outbox wait for the next pass
// rather than being lost: the notes they end are no longer in the table.
bool VSTPlugin::MoveLocalReleases(VstInt32 offset)
{
    const bool hadEvents = !localReleaseQueue.IsEmpty();
    VstMidiEvent event;
    while (!outbox.IsFull() && localReleaseQueue.Pop(event)) {
        event.deltaFrames = offset;
        outbox.Push(event);
    }
    return hadEvents;
}
