// The MIDI pass: host input into the inbox, inbox through the note tracking
// into the outbox, outbox to the port's receivers and to the host, and the
// releases that end held notes. Runs on the host's audio threads and
// allocates nothing.
//
// Hosts call the nodes from several threads at once: a pool of audio
// threads, and host or GUI threads that change parameters, load chunks and
// switch the plug-in on and off meanwhile. Everything a node owns is
// changed under its releaseLock; other nodes reach it only through its
// inbox (own lock) and its release flag (atomic), under the registry lock
// that keeps it from leaving while they do. Notifications and the hand-over
// to the host happen after every lock is released.
#include "relay/MidiMessages.h"
#include "relay/VSTPlugin.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr int kChannels = 2;

// How long the audio thread tries the node's lock before it leaves the
// block's MIDI work to the next block: about a microsecond of pauses, more
// than a setting's few stores take.
constexpr int32_t kAudioLockAttempts = 64;

bool IsLocalRelease(int type) { return type == 1 || type == 3 || type == 5; }

// Types of release that the relay itself starts: from suspend, from the
// post-process, and from a sender that leaves the registry.
constexpr int kSuspendRelease = 4;
constexpr int kPostProcessRelease = 1;
constexpr int kLeavingRelease = 6;

bool IsNoteOff(const VstMidiEvent& event)
{
    const unsigned char kind = event.midiData[0] & 0xF0;
    return kind == kNoteOff || (kind == kNoteOn && (event.midiData[2] & 0x7F) == 0);
}

bool AnyNoteOff(const VstMidiEvent* events, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (IsNoteOff(events[i]))
            return true;
    return false;
}

// A queue that could not take a note-off cannot end that note any more;
// the node behind it is asked to end everything it holds instead, which it
// can always do from its own table.
void PushOrAskForRelease(Inbox& inbox, ReleaseFlag* flag, const VstMidiEvent* events, int32_t count)
{
    const int32_t pushed = inbox.PushAll(events, count);
    if (pushed < count && flag != nullptr && AnyNoteOff(events + pushed, count - pushed))
        flag->store(1);
}

// The release flag of the receiver at position i of the port's inbox list;
// both lists hold the same nodes in the same order.
ReleaseFlag* FlagOf(const PortRecord& record, uint32_t i)
{
    if (i >= record.releaseFlags.Count() ||
        record.releaseFlags.Entry(i).nodeId != record.receiverQueues.Entry(i).nodeId)
        return nullptr;
    return record.releaseFlags.Entry(i).target;
}

// The host's pointer array is declared with two entries but holds
// numEvents of them; indexing the declared array past two is undefined, so
// the array is reached through its offset instead.
VstEvent* const* EventPointers(const VstEvents* events)
{
    const auto* base = reinterpret_cast<const unsigned char*>(events);
    return reinterpret_cast<VstEvent* const*>(base + offsetof(VstEvents, events));
}

void CopyAudio(float** inputs, float** outputs, VstInt32 frames)
{
    if (inputs == nullptr || outputs == nullptr || frames <= 0)
        return;
    for (int channel = 0; channel < kChannels; ++channel)
        if (inputs[channel] != outputs[channel])
            std::memmove(outputs[channel], inputs[channel], sizeof(float) * frames);
}

void AddAudio(float** inputs, float** outputs, VstInt32 frames)
{
    if (inputs == nullptr || outputs == nullptr)
        return;
    for (int channel = 0; channel < kChannels; ++channel)
        for (VstInt32 i = 0; i < frames; ++i)
            outputs[channel][i] += inputs[channel][i];
}

}  // namespace

VstInt32 VSTPlugin::processEvents(VstEvents* events)
{
    if (!releaseLock.TryLock(kAudioLockAttempts)) {
        DeferHostEvents(events);
        return 0;
    }
    TakeDeferredHostEvents();
    // A flush ignores the host until its note-offs are out.
    if (flushPending) {
        releaseLock.Unlock();
        return 0;
    }
    if (events == nullptr || events->numEvents <= 0) {
        releaseLock.Unlock();
        NotifyActivity(kMidiInIdle);
        return 0;
    }
    const bool takeHostMidi = mode == kModeSend || ThruIsOn();
    int32_t batch = 0;
    auto flush = [&] {
        PushOrAskForRelease(inbox, &releasePending, scratch, batch);
        batch = 0;
    };
    VstEvent* const* pointers = EventPointers(events);
    for (VstInt32 i = 0; i < events->numEvents && takeHostMidi; ++i) {
        const VstEvent* event = pointers[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        std::memcpy(&scratch[batch++], event, sizeof scratch[0]);
        if (batch == EventQueue::kCapacity)
            flush();
    }
    flush();
    releaseLock.Unlock();
    NotifyActivity(kMidiInActive);
    return 0;
}

// The node's lock is held by another thread (a setting changing, a
// release): the block's MIDI waits in the node's own stash, without the
// lock, and is taken as processEvents would have taken it, by the first of
// the node's audio calls that gets the lock. Only those calls (one at a
// time, as the host makes them) touch the stash.
void VSTPlugin::DeferHostEvents(VstEvents* events)
{
    // A node that is off keeps nothing for later, as resume empties the
    // inbox.
    if (events == nullptr || events->numEvents <= 0 || suspended)
        return;
    if (deferredCount == 0)
        deferredSuspends = suspends.load();
    VstEvent* const* pointers = EventPointers(events);
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = pointers[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        if (deferredCount == EventQueue::kCapacity) {
            // Lost like an event a full inbox drops.
            if (IsNoteOff(*reinterpret_cast<const VstMidiEvent*>(event)))
                releasePending.store(1);
            continue;
        }
        std::memcpy(&deferredHostMidi[deferredCount++], event, sizeof deferredHostMidi[0]);
    }
}

// Call with releaseLock held: the deferred MIDI as processEvents takes it.
void VSTPlugin::TakeDeferredHostEvents()
{
    if (deferredCount == 0)
        return;
    // Switched off and on since: those blocks were never processed.
    const bool stale = deferredSuspends != suspends.load();
    if (!stale && !flushPending && (mode == kModeSend || ThruIsOn()))
        PushOrAskForRelease(inbox, &releasePending, deferredHostMidi, deferredCount);
    deferredCount = 0;
}

void VSTPlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    RunProcessCall(inputs, outputs, sampleFrames, false);
}

void VSTPlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    RunProcessCall(inputs, outputs, sampleFrames, true);
}

// Both stages of the MIDI pass run under one hold of the lock, so that a
// parameter change or a suspend on another thread lands before or after
// the whole pass, never between the note tracking and the fan-out: a mode
// or port change in between would send note-ons that the release it made
// had already accounted for.
void VSTPlugin::RunProcessCall(float** inputs, float** outputs, VstInt32 sampleFrames,
                               bool replacing)
{
    if (suspended)
        return;
    if (!releaseLock.TryLock(kAudioLockAttempts)) {
        // Another thread is changing this node: the MIDI waits in the
        // queues for the next block rather than the block for that thread.
        if (suspended)
            return;
        if (replacing)
            CopyAudio(inputs, outputs, sampleFrames);
        else
            AddAudio(inputs, outputs, sampleFrames);
        return;
    }
    // A suspend on another thread may have come in since the first look;
    // it has released the notes, so nothing may start new ones now.
    if (suspended) {
        releaseLock.Unlock();
        return;
    }
    TakeDeferredHostEvents();
    const bool inActive = InStage();
    bool reachedReceivers = false;
    const int32_t hostCount = OutStage(reachedReceivers);
    releaseLock.Unlock();

    if (replacing)
        CopyAudio(inputs, outputs, sampleFrames);
    else
        AddAudio(inputs, outputs, sampleFrames);
    NotifyActivity(kMidiInIdle);
    NotifyActivity(inActive ? kMidiInActive : kMidiInIdle);
    NotifyActivity(kMidiOutIdle);
    HandToHost(hostCount);
    NotifyActivity(reachedReceivers || hostCount > 0 ? kMidiOutActive : kMidiOutIdle);
}

void VSTPlugin::midiInProcess()
{
    NotifyActivity(kMidiInIdle);
    releaseLock.Lock();
    const bool active = InStage();
    releaseLock.Unlock();
    NotifyActivity(active ? kMidiInActive : kMidiInIdle);
}

void VSTPlugin::midiPostProcess()
{
    NotifyActivity(kMidiOutIdle);
    bool reachedReceivers = false;
    releaseLock.Lock();
    const int32_t hostCount = OutStage(reachedReceivers);
    releaseLock.Unlock();
    HandToHost(hostCount);
    NotifyActivity(reachedReceivers || hostCount > 0 ? kMidiOutActive : kMidiOutIdle);
}

// Returns whether any of the three queues had events.
bool VSTPlugin::InStage()
{
    bool inboxHadEvents = false;
    if (flushPending) {
        inbox.Clear();
    } else {
        const int32_t count = inbox.TakeAll(scratch);
        inboxHadEvents = count > 0;
        for (int32_t i = 0; i < count; ++i)
            RouteInboxEvent(scratch[i]);
    }
    const bool localHadEvents = MoveLocalReleases();
    // Port releases are delivered when they are made; the lamp still shows
    // them with the next pass.
    const bool portHadEvents = portReleaseDelivered;
    portReleaseDelivered = false;
    return inboxHadEvents || localHadEvents || portHadEvents;
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
void VSTPlugin::RouteInboxEvent(VstMidiEvent& event)
{
    const unsigned char status = event.midiData[0];
    const unsigned char kind = status & 0xF0;
    const int32_t channel = status & 0x0F;
    const int32_t note = event.midiData[1] & 0x7F;
    const int32_t velocity = event.midiData[2] & 0x7F;

    if (kind != kNoteOn && kind != kNoteOff) {
        outbox.Push(event);
        return;
    }
    if (outbox.IsFull()) {
        const bool noteOn = kind == kNoteOn && velocity > 0;
        if (!noteOn && heldNotes.Holds(channel, note))
            releasePending.store(1);
        return;
    }
    if (kind == kNoteOn && velocity > 0) {
        const HeldNoteTable::NoteOnResult result =
            heldNotes.NoteOn(channel, note, velocity, static_cast<float>(event.noteLength));
        if (result == HeldNoteTable::NoteOnResult::Dropped)
            return;
        if (result == HeldNoteTable::NoteOnResult::Retriggered) {
            event.midiData[0] = static_cast<unsigned char>(kNoteOn + channel);
            event.midiData[1] = static_cast<unsigned char>(note);
            event.midiData[2] = static_cast<unsigned char>(velocity);
        }
        outbox.Push(event);
        return;
    }
    const int32_t ended = heldNotes.NoteOff(channel, note);
    for (int32_t i = 0; i < ended; ++i) {
        event.midiData[0] = static_cast<unsigned char>(kNoteOff + channel);
        event.midiData[1] = static_cast<unsigned char>(note);
        event.midiData[2] = 0;
        outbox.Push(event);
    }
}

// Release note-offs that do not fit the outbox wait for the next pass
// rather than being lost: the notes they end are no longer in the table.
bool VSTPlugin::MoveLocalReleases()
{
    const bool hadEvents = !localReleaseQueue.IsEmpty();
    VstMidiEvent event;
    while (!outbox.IsFull() && localReleaseQueue.Pop(event))
        outbox.Push(event);
    return hadEvents;
}

// Empties the outbox towards the port's receivers (Send) or the host
// (Receive), then ends a flush and runs a pending release. Returns how many
// events wait in hostEvents for the host.
int32_t VSTPlugin::OutStage(bool& reachedReceivers)
{
    int32_t hostCount = 0;
    if (mode == kModeReceive) {
        // Straight into the host's block: a receiver's outbox goes nowhere
        // else.
        while (hostCount < EventQueue::kCapacity && outbox.Pop(hostEventStore[hostCount])) {
            hostEvents.events[hostCount] = reinterpret_cast<VstEvent*>(&hostEventStore[hostCount]);
            ++hostCount;
        }
        reachedReceivers = false;
    } else {
        int32_t count = 0;
        while (count < EventQueue::kCapacity && outbox.Pop(scratch[count]))
            ++count;
        reachedReceivers = count > 0 && SendToReceivers(scratch, count);
        // A flush's first pass gives the host what releases queued before
        // the flush began; with Thru going off those are note-offs for
        // notes that went through to it.
        const bool echo = ThruIsOn() || flushEcho || flushPending;
        for (int32_t i = 0; i < count && echo; ++i)
            AddHostEvent(scratch[i], hostCount);
    }
    if (flushPending && flushEcho) {
        flushPending = 0;
        flushEcho = 0;
    }
    // Taken before the release, so that a receiver flag another node sets
    // meanwhile asks for the next pass's release rather than being wiped.
    // Looked at before it is taken: a read costs less than an exchange, and
    // most passes find nothing asked.
    const bool releaseAsked = releasePending.load() != 0 && releasePending.exchange(0) != 0;
    if (releaseAsked || flushPending) {
        EditLocked(kPostProcessRelease, 0);
        if (flushPending)
            flushEcho = 1;
    }
    return hostCount;
}

void VSTPlugin::HandToHost(int32_t count)
{
    if (count <= 0)
        return;
    hostEvents.numEvents = count;
    hostEvents.reserved = 0;
    sendVstEventsToHost(hostEvents.asVstEvents());
}

// Each receiver gets the whole batch in order under one hold of its inbox
// lock; the registry lock keeps every listed receiver from leaving until
// the last push.
bool VSTPlugin::SendToReceivers(const VstMidiEvent* events, int32_t count)
{
    SharedSpinLock::ReadScope scope(registryLock);
    const PortRecord& record = portData[port];
    const uint32_t receivers = record.receiverQueues.Count();
    for (uint32_t i = 0; i < receivers; ++i)
        if (Inbox* target = record.receiverQueues.Entry(i).target)
            PushOrAskForRelease(*target, FlagOf(record, i), events, count);
    return receivers > 0;
}

void VSTPlugin::AddHostEvent(const VstMidiEvent& event, int32_t& count)
{
    if (count >= EventQueue::kCapacity)
        return;
    hostEventStore[count] = event;
    hostEvents.events[count] = reinterpret_cast<VstEvent*>(&hostEventStore[count]);
    ++count;
}

void VSTPlugin::edit(int type, int releasePort)
{
    releaseLock.Lock();
    EditLocked(type, releasePort);
    releaseLock.Unlock();
}

// The note-offs go to every receiver of the port, and each of those
// receivers is asked to end everything it holds as well: it may hold notes
// this node sent it that the note-offs alone would not reach.
//
// A note whose note-off for the node's own output finds localReleaseQueue
// full stays in the table, and the next pass tries again; every other
// entry is freed.
void VSTPlugin::EditLocked(int type, int releasePort)
{
    const bool local = IsLocalRelease(type);
    if (!local) {
        QueueNoteOffs(portReleaseQueue);
        DeliverPortRelease(releasePort, true);
    }
    const bool ownOutput = local || OwnOutputHoldsNotes(type);
    bool kept = false;
    for (int32_t i = heldNotes.NextHeld(0); i < HeldNoteTable::kSize;
         i = heldNotes.NextHeld(i + 1)) {
        const HeldNote& entry = heldNotes.Entry(i);
        if (ownOutput && !localReleaseQueue.Push(MakeNoteOff(entry.channel, entry.note))) {
            kept = true;
            continue;
        }
        heldNotes.Release(i);
    }
    if (!kept)
        heldNotes.Clear();
    else
        releasePending.store(1);
}

// What reached the node's own host must end there too. With Thru that is
// every held note; a receiver without Thru gave its host everything it
// holds, and the table is cleared, so a suspend has to queue them now
// rather than leave them to the release after resume. While a flush is
// pending (Thru just went off, or the node just stopped receiving) the
// notes it holds went to its host as well, and the flush's own release
// would find the table already empty.
bool VSTPlugin::OwnOutputHoldsNotes(int type) const
{
    return ThruIsOn() || flushPending || (type == kSuspendRelease && mode == kModeReceive);
}

void VSTPlugin::QueueNoteOffs(EventQueue& queue) const
{
    for (int32_t i = heldNotes.NextHeld(0); i < HeldNoteTable::kSize;
         i = heldNotes.NextHeld(i + 1)) {
        const HeldNote& entry = heldNotes.Entry(i);
        queue.Push(MakeNoteOff(entry.channel, entry.note));
    }
}

// A port release reaches the receivers the port has now, and only them.
// Note-offs that find no receiver are dropped: nothing they could end
// sounds anywhere, and kept for a later release they would end, in another
// port, notes that other senders started there.
void VSTPlugin::DeliverPortRelease(int releasePort, bool flagReceivers)
{
    int32_t count = 0;
    while (count < EventQueue::kCapacity && portReleaseQueue.Pop(scratch[count]))
        ++count;
    portReleaseQueue.Clear();
    if (!IsValidPort(releasePort))
        return;
    SharedSpinLock::ReadScope scope(registryLock);
    const PortRecord& record = portData[releasePort];
    const uint32_t receivers = record.receiverQueues.Count();
    for (uint32_t i = 0; i < receivers && count > 0; ++i)
        if (Inbox* target = record.receiverQueues.Entry(i).target)
            PushOrAskForRelease(*target, FlagOf(record, i), scratch, count);
    if (count > 0 && receivers > 0)
        portReleaseDelivered = true;
    for (uint32_t i = 0; i < record.releaseFlags.Count() && flagReceivers; ++i)
        if (record.releaseFlags.Entry(i).target != nullptr)
            record.releaseFlags.Entry(i).target->store(1);
}

// Closing the instance is a sender's last change: what it gave its port's
// receivers ends there, as a port release would end it. Note-offs that
// earlier releases left for its next pass would have gone to them too.
void VSTPlugin::EndNotesOnLeaving()
{
    if (mode != kModeSend)
        return;
    VstMidiEvent event;
    while (localReleaseQueue.Pop(event))
        portReleaseQueue.Push(event);
    const bool holds = heldNotes.Count() > 0;
    if (!holds && portReleaseQueue.IsEmpty())
        return;
    lastEditType = kLeavingRelease;
    lastEditPort = port;
    QueueNoteOffs(portReleaseQueue);
    DeliverPortRelease(port, holds);
    heldNotes.Clear();
}

void VSTPlugin::RunPanicBurst()
{
    VstMidiEvent burst[kPanicBurstSize];
    FillPanicBurst(burst);
    if (mode == kModeSend) {
        {
            SharedSpinLock::ReadScope scope(registryLock);
            const NodeList<Inbox>& receivers = portData[port].receiverQueues;
            for (uint32_t i = 0; i < receivers.Count(); ++i)
                if (Inbox* target = receivers.Entry(i).target)
                    target->PushAll(burst, kPanicBurstSize);
        }
        if (!ThruIsOn())
            return;
    }
    for (const VstMidiEvent& event : burst)
        outbox.Push(event);
}

void VSTPlugin::NotifyActivity(Notification index)
{
    const bool outgoing = index == kMidiOutIdle || index == kMidiOutActive;
    setParameter(index, outgoing ? 1.0f : 0.0f);
}

// The plug-in is marked off inside the lock, together with the release, so
// that no pass on another thread can start notes after the release ended
// them.
void VSTPlugin::suspend()
{
    releaseLock.Lock();
    if (!constructing) {
        lastEditType = kSuspendRelease;
        lastEditPort = port;
        EditLocked(kSuspendRelease, port);
        releasePending.store(1);
    }
    suspends.fetch_add(1);
    suspended = 1;
    releaseLock.Unlock();
    SPlugin::suspend();
    // The lamps show the last block's activity until the panel hears
    // otherwise; a full refresh darkens them and drops what is pending.
    RefreshWholeEditor();
}

// What arrived while the plug-in was off belongs to blocks that were never
// processed. Played now it would start notes after the release that
// switching off sent, and nothing would end them. A host that switches on a
// node that is already on drops nothing: what senders queued for this
// block includes the note-offs of what it plays.
void VSTPlugin::resume()
{
    releaseLock.Lock();
    if (suspended)
        inbox.Clear();
    releaseLock.Unlock();
    SPlugin::resume();
}

void VSTPlugin::setSampleRate(float rate) { sampleRate = rate; }

void VSTPlugin::setBlockSize(VstInt32 size) { blockSize = size; }
