// The MIDI pass: the process calls around it, the outbox to the port's
// receivers and to the host, and the releases that end held notes (what a
// pass takes in is in VSTPluginInput.cpp). Runs on the host's audio threads
// and allocates nothing.
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

#include <algorithm>
#include <cstring>

namespace {

constexpr int kChannels = 2;

// How long the audio thread tries the node's lock before it leaves the
// block's MIDI work to the next block: about a microsecond of pauses, more
// than a setting's few stores take.
constexpr int32_t kAudioLockAttempts = 64;

bool IsLocalRelease(int type) { return type == 1 || type == 3 || type == 5; }

// Types of release that the relay itself starts: from suspend and from a
// sender that leaves the registry (the post-process one is the node's).
constexpr int kSuspendRelease = 4;
constexpr int kLeavingRelease = 6;

// A queue that could not take a note-off cannot end that note any more;
// the node behind it is asked to end everything it holds instead, which it
// can always do from its own table.
void AskForRelease(ReleaseFlag* flag)
{
    if (flag != nullptr)
        flag->store(1);
}

void PushOrAskForRelease(Inbox& inbox, ReleaseFlag* flag, const VstMidiEvent* events, int32_t count)
{
    const int32_t pushed = inbox.PushAll(events, count);
    if (pushed < count && AnyNoteOff(events + pushed, count - pushed))
        AskForRelease(flag);
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

// A process call replaces its outputs, the older process call adds to
// them.
void PassAudio(float** inputs, float** outputs, VstInt32 frames, bool replacing)
{
    if (replacing)
        CopyAudio(inputs, outputs, frames);
    else
        AddAudio(inputs, outputs, frames);
}

}  // namespace

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
    if (NothingToPass()) {
        PassAudio(inputs, outputs, sampleFrames, replacing);
        if (EditorIsOpen())
            ShowIdlePass();
        return;
    }
    if (!releaseLock.TryLock(kAudioLockAttempts)) {
        // Another thread is changing this node: the MIDI waits in the
        // queues for the next block rather than the block for that thread,
        // and goes out there first, at its first frame.
        if (suspended)
            return;
        hostMidi.MoveAllToStart();
        inbox.MoveAllToStart();
        PassAudio(inputs, outputs, sampleFrames, replacing);
        return;
    }
    // A suspend on another thread may have come in since the first look;
    // it has released the notes, so nothing may start new ones now.
    if (suspended) {
        releaseLock.Unlock();
        return;
    }
    // The pass takes its outbox in this same call, before anything else
    // can change the records it routes in place.
    routeInPlace = true;
    const bool inActive = InStage(sampleFrames);
    bool reachedReceivers = false;
    const int32_t hostCount = OutStage(reachedReceivers);
    routeInPlace = false;
    passQuiet.store(QuietAfterPass(), std::memory_order_relaxed);
    releaseLock.Unlock();

    PassAudio(inputs, outputs, sampleFrames, replacing);
    // The lamps are the editor's alone: with none open there is nothing
    // to tell, and the pass skips the four notifications.
    const bool editorOpen = EditorIsOpen();
    if (editorOpen) {
        NotifyActivity(kMidiInIdle);
        NotifyActivity(inActive ? kMidiInActive : kMidiInIdle);
        NotifyActivity(kMidiOutIdle);
    }
    HandToHost(hostCount);
    if (editorOpen)
        NotifyActivity(reachedReceivers || hostCount > 0 ? kMidiOutActive : kMidiOutIdle);
}

// Most blocks of most nodes carry no MIDI. Such a block's pass is skipped
// without the node's lock when the last pass left nothing for the next one
// and no other thread has taken the lock since (LockForChange): nothing
// came from the host, the inbox and the release flag are empty, and a
// receiver's JACK input is closed. Only the node's own stash and atomics
// are read, so a process call with no MIDI touches nothing other threads
// write. A change that another thread starts meanwhile is seen by the next
// block, as if it had come a moment later.
bool VSTPlugin::NothingToPass()
{
    const uint8_t quiet = passQuiet.load(std::memory_order_acquire);
    return quiet != kPassBusy && hostMidi.Count() == 0 && inbox.IsEmptyNow() &&
           releasePending.load(std::memory_order_relaxed) == 0 &&
           (quiet == kPassQuiet || BridgeIdle());
}

// Call with releaseLock held, at the end of a pass: whether it left
// anything for the next one.
uint8_t VSTPlugin::QuietAfterPass() const
{
    const bool leftNothing = outbox.IsEmpty() && localReleaseQueue.IsEmpty() &&
                             owedNoteOffs.IsEmpty() && !flushPending && !flushEcho &&
                             !portReleaseDelivered && bridgeCursor.port == -1;
    if (!leftNothing)
        return kPassBusy;
    return mode == kModeReceive ? kPassQuietUnlessJack : kPassQuiet;
}

// What a pass with no MIDI tells an open editor: both lamps idle, in the
// order a whole pass tells it.
void VSTPlugin::ShowIdlePass()
{
    NotifyActivity(kMidiInIdle);
    NotifyActivity(kMidiInIdle);
    NotifyActivity(kMidiOutIdle);
    NotifyActivity(kMidiOutIdle);
}

// Every thread but a process call takes the node's lock through here:
// whatever it changes, the next pass is a whole one.
void VSTPlugin::LockForChange()
{
    releaseLock.Lock();
    passQuiet.store(kPassBusy, std::memory_order_relaxed);
}

void VSTPlugin::midiInProcess()
{
    NotifyActivity(kMidiInIdle);
    LockForChange();
    const bool active = InStage(blockSize);
    releaseLock.Unlock();
    NotifyActivity(active ? kMidiInActive : kMidiInIdle);
}

void VSTPlugin::midiPostProcess()
{
    NotifyActivity(kMidiOutIdle);
    bool reachedReceivers = false;
    LockForChange();
    const int32_t hostCount = OutStage(reachedReceivers);
    releaseLock.Unlock();
    HandToHost(hostCount);
    NotifyActivity(reachedReceivers || hostCount > 0 ? kMidiOutActive : kMidiOutIdle);
}

// Empties the outbox towards the port's receivers (Send) or the host
// (Receive), then ends a flush and runs a pending release. Returns how many
// events wait in hostEvents for the host.
int32_t VSTPlugin::OutStage(bool& reachedReceivers)
{
    // The outbox is in order (VSTPluginInput.cpp): what was queued between
    // passes (a Panic burst, releases) at the first frame, then the pass.
    int32_t hostCount = owedNoteOffs.IsEmpty() ? 0 : HandOwedNoteOffs();
    // The receivers and the host read the outbox's own records: they stay
    // as they are until the next pass takes the outbox again.
    const OutBlock::Taken taken = outbox.Take();
    if (mode == kModeReceive) {
        // A receiver's outbox goes nowhere but to its host.
        PointHostAtAll(taken, hostCount);
        reachedReceivers = false;
    } else {
        // Most blocks let every event of the host's block through, and the
        // receivers copy them straight from the stash (RouteOwnOnly).
        VstMidiEvent* records = taken.SideBySide();
        if (records == nullptr && taken.count > 0)
            records = Gather(taken);
        reachedReceivers = taken.count > 0 && SendToReceivers(records, taken.count);
        // A flush's first pass gives the host what releases queued before
        // the flush began; with Thru going off those are note-offs for
        // notes that went through to it. The host reads the records the
        // pass routed, not the gathered copy: a port release on another
        // thread may reuse that before the host has read it.
        if (ThruIsOn() || flushEcho || flushPending)
            PointHostAtAll(taken, hostCount);
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

// The note-offs owed to the host alone open its block, as many as leave
// the whole outbox room: what stayed in the outbox would come before the
// next pass's releases. Returns how many went in.
int32_t VSTPlugin::HandOwedNoteOffs()
{
    int32_t count = 0;
    const int32_t now = std::min(owedNoteOffs.Count(), EventQueue::kCapacity - outbox.Count());
    for (int32_t i = 0; i < now; ++i)
        AddHostEvent(owedNoteOffs.NoteOff(i), count);
    owedNoteOffs.Drop(now);
    return count;
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
    // The port's JACK output gets what every receiver of the port gets.
    BridgeSend(port, events, count, sampleRate);
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
    PointHostAt(hostEventStore[count], count);
}

// A sender sends its receivers one array. A block whose records are not
// side by side (a pass routed some in place and dropped or added others) is
// gathered first.
VstMidiEvent* VSTPlugin::Gather(const OutBlock::Taken& taken)
{
    for (int32_t i = 0; i < taken.count; ++i)
        scratch[i] = *taken.events[i];
    return scratch;
}

void VSTPlugin::PointHostAt(VstMidiEvent& event, int32_t& count)
{
    if (count >= EventQueue::kCapacity)
        return;
    hostEvents.events[count] = reinterpret_cast<VstEvent*>(&event);
    ++count;
}

// The host is handed the outbox's own pointers, as many as its block has
// room for after those already in it.
void VSTPlugin::PointHostAtAll(const OutBlock::Taken& taken, int32_t& count)
{
    const int32_t room = EventQueue::kCapacity - count;
    const int32_t now = taken.count < room ? taken.count : room;
    if (now <= 0)
        return;
    std::memcpy(&hostEvents.events[count], taken.events, sizeof(VstEvent*) * now);
    count += now;
}

void VSTPlugin::edit(int type, int releasePort)
{
    LockForChange();
    EditLocked(type, releasePort);
    releaseLock.Unlock();
}

// The note-offs go to every receiver of the port, and each of those
// receivers is asked to end everything it holds as well: it may hold notes
// this node sent it that the note-offs alone would not reach. What the
// node's own host got of those notes is owed to that host alone: the
// receivers have them already.
//
// A local release queues its note-offs for the next pass, which takes them
// wherever the node's output goes.
void VSTPlugin::EditLocked(int type, int releasePort)
{
    if (IsLocalRelease(type)) {
        ReleaseHeld(ReleaseTo::NextPass);
        return;
    }
    if (mode == kModeSend)
        HandOverLocalReleases();
    QueueNoteOffs(portReleaseQueue);
    DeliverPortRelease(releasePort, true);
    ReleaseHeld(OwnOutputHoldsNotes(type) ? ReleaseTo::OwnHost : ReleaseTo::Nowhere);
}

// A note whose note-off finds no room stays in the table, and the next
// pass tries again; every other entry is freed.
void VSTPlugin::ReleaseHeld(ReleaseTo to)
{
    bool kept = false;
    for (int32_t i = heldNotes.NextHeld(0); i < HeldNoteTable::kSize;
         i = heldNotes.NextHeld(i + 1)) {
        const HeldNote& entry = heldNotes.Entry(i);
        const bool taken = to == ReleaseTo::Nowhere ||
                           (to == ReleaseTo::NextPass
                                ? localReleaseQueue.Push(MakeNoteOff(entry.channel, entry.note))
                                : owedNoteOffs.Push(entry.channel, entry.note));
        if (!taken) {
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

// A sender's queued release note-offs belong to the receivers of the port
// it made them in (and to its host, when the host got those notes): a port
// release takes them there now, before the node moves or stops, rather
// than its next pass to whichever receivers it has then.
void VSTPlugin::HandOverLocalReleases()
{
    const bool hostGotThem = ThruIsOn() || flushPending || flushEcho;
    VstMidiEvent event;
    while (localReleaseQueue.Pop(event)) {
        portReleaseQueue.Push(event);
        if (hostGotThem)
            owedNoteOffs.Push(event);
    }
}

// A receiver's queued note-offs were for its own host only; as a sender
// its outbox goes to the port's receivers too, so they are owed to the
// host instead.
void VSTPlugin::OweLocalReleases()
{
    VstMidiEvent event;
    while (localReleaseQueue.Pop(event))
        owedNoteOffs.Push(event);
}

// Ends now, at the port's receivers and on the node's own host, the notes
// a flush used to end at its next pass: a release reaches only the notes
// held when it is asked, and a pass later the receivers may hold the same
// keys from other senders. The receivers end nothing else.
void VSTPlugin::EndSentNotesNow()
{
    QueueNoteOffs(portReleaseQueue);
    DeliverPortRelease(port, false);
    ReleaseHeld(ReleaseTo::OwnHost);
}

// Call with releaseLock held, as Thru goes off. The flush ignores the
// node's input for two passes and ends what sounded through; a sender's
// notes sounded at its receivers too, and end there now.
void VSTPlugin::StartThruFlush()
{
    flushPending = 1;
    if (mode != kModeSend)
        return;
    HandOverLocalReleases();
    EndSentNotesNow();
}

// What reached the node's own host must end there too. With Thru that is
// every held note; a receiver without Thru gave its host everything it
// holds, and the table is cleared, so a suspend has to owe them now. While
// a flush is pending (Thru just went off) the notes it holds went to its
// host as well, and the flush's own release would find the table already
// empty.
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
//
// With `endEverything`, each receiver is also to end what it holds from
// other senders: a marker after the note-offs tells it where, so that the
// notes it gets after the release (this node's own after switching on
// again, say) keep sounding. A receiver whose inbox cannot take the whole
// release ends everything it holds at the end of its next pass instead.
void VSTPlugin::DeliverPortRelease(int releasePort, bool endEverything)
{
    int32_t count = 0;
    while (count < EventQueue::kCapacity && portReleaseQueue.Pop(scratch[count]))
        ++count;
    portReleaseQueue.Clear();
    if (!IsValidPort(releasePort))
        return;
    // The port's JACK output ends the same notes, as a receiver would.
    BridgeRelease(releasePort, scratch, count, endEverything);
    SharedSpinLock::ReadScope scope(registryLock);
    const PortRecord& record = portData[releasePort];
    const uint32_t receivers = record.receiverQueues.Count();
    for (uint32_t i = 0; i < receivers; ++i) {
        Inbox* target = record.receiverQueues.Entry(i).target;
        if (target == nullptr)
            continue;
        if (endEverything) {
            if (!target->PushRelease(scratch, count))
                AskForRelease(FlagOf(record, i));
        } else if (count > 0) {
            PushOrAskForRelease(*target, FlagOf(record, i), scratch, count);
        }
    }
    if (count > 0 && receivers > 0)
        portReleaseDelivered = true;
}

// Closing the instance is a sender's last change: what it gave its port's
// receivers ends there, as a port release would end it. Note-offs that
// earlier releases left for its next pass would have gone to them too.
void VSTPlugin::EndNotesOnLeaving()
{
    if (mode != kModeSend)
        return;
    HandOverLocalReleases();
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
        // The port's JACK output is one more receiver of the burst.
        BridgeSend(port, burst, kPanicBurstSize, sampleRate);
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

// What setParameter does with an activity index, without the virtual call
// and the dispatch on the index: the pass makes four of these per block.
void VSTPlugin::NotifyActivity(Notification index) { RefreshEditor(index); }

// The plug-in is marked off inside the lock, together with the release, so
// that no pass on another thread can start notes after the release ended
// them.
void VSTPlugin::suspend()
{
    LockForChange();
    if (!constructing) {
        lastEditType = kSuspendRelease;
        lastEditPort = port;
        // Everything the node holds ends here, so nothing is left for a
        // release after resume to end: one would end the notes of the
        // node's first block instead.
        EditLocked(kSuspendRelease, port);
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
    LockForChange();
    if (suspended) {
        inbox.Clear();
        // The same goes for what came in from JACK meanwhile.
        bridgeCursor.port = -1;
    }
    releaseLock.Unlock();
    SPlugin::resume();
}

void VSTPlugin::setSampleRate(float rate) { sampleRate = rate; }

void VSTPlugin::setBlockSize(VstInt32 size) { blockSize = size; }
