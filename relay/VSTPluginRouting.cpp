// The MIDI pass: host input into the inbox, inbox through the note tracking
// into the outbox, outbox to the port's receivers and to the host, and the
// releases that end held notes. Runs on the host's audio thread and
// allocates nothing.
#include "relay/MidiMessages.h"
#include "relay/VSTPlugin.h"

#include <cstring>

namespace {

constexpr int kChannels = 2;

bool IsLocalRelease(int type)
{
    return type == 1 || type == 3 || type == 5;
}

// A type of release that the relay itself starts from suspend.
constexpr int kSuspendRelease = 4;
constexpr int kPostProcessRelease = 1;

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
    // A flush ignores the host until its note-offs are out.
    if (flushPending)
        return 0;
    if (events == nullptr || events->numEvents <= 0) {
        NotifyActivity(kMidiInIdle);
        return 0;
    }
    NotifyActivity(kMidiInActive);
    const bool takeHostMidi = mode == kModeSend || ThruIsOn();
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (event == nullptr || event->type != kVstMidiType || !takeHostMidi)
            continue;
        VstMidiEvent midi;
        std::memcpy(&midi, event, sizeof midi);
        inbox.Push(midi);
    }
    return 0;
}

void VSTPlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (suspended)
        return;
    midiInProcess();
    AddAudio(inputs, outputs, sampleFrames);
    midiPostProcess();
}

void VSTPlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (suspended)
        return;
    midiInProcess();
    CopyAudio(inputs, outputs, sampleFrames);
    midiPostProcess();
}

void VSTPlugin::midiInProcess()
{
    NotifyActivity(kMidiInIdle);
    bool inboxHadEvents = false;
    if (flushPending) {
        inbox.Clear();
    } else {
        inboxHadEvents = !inbox.IsEmpty();
        VstMidiEvent event;
        while (inbox.Pop(event))
            RouteInboxEvent(event);
    }
    const bool localHadEvents = MoveLocalReleases();
    const bool portHadEvents = DeliverPortReleases();
    const bool active = inboxHadEvents || localHadEvents || portHadEvents;
    NotifyActivity(active ? kMidiInActive : kMidiInIdle);
}

// Notes are tracked per (channel, note) so that every note let through can
// be ended later; a note-off for a note this node never let through is
// dropped, since it could only end someone else's note.
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

bool VSTPlugin::MoveLocalReleases()
{
    const bool hadEvents = !localReleaseQueue.IsEmpty();
    VstMidiEvent event;
    while (localReleaseQueue.Pop(event))
        outbox.Push(event);
    return hadEvents;
}

// A port release waits in portReleaseQueue until it knows where to go; the
// targets are used up by one delivery.
bool VSTPlugin::DeliverPortReleases()
{
    if (releaseTargets.Count() <= 0)
        return false;
    const bool hadEvents = !portReleaseQueue.IsEmpty();
    VstMidiEvent event;
    while (portReleaseQueue.Pop(event)) {
        for (int32_t i = 0; i < releaseTargets.Count(); ++i) {
            EventQueue* target = releaseTargets.Peek(i);
            if (target != nullptr)
                target->Push(event);
        }
    }
    releaseTargets.Clear();
    return hadEvents;
}

void VSTPlugin::midiPostProcess()
{
    NotifyActivity(kMidiOutIdle);
    bool reachedReceivers = false;
    const bool sentToHost = SendOutbox(reachedReceivers);
    if (flushPending && flushEcho) {
        flushPending = 0;
        flushEcho = 0;
    }
    if (releasePending || flushPending) {
        edit(kPostProcessRelease, 0);
        releasePending = 0;
        if (flushPending)
            flushEcho = 1;
    }
    NotifyActivity(reachedReceivers || sentToHost ? kMidiOutActive : kMidiOutIdle);
}

// Empties the outbox towards the port's receivers (Send) or the host
// (Receive); returns whether the host was handed anything.
bool VSTPlugin::SendOutbox(bool& reachedReceivers)
{
    int32_t count = 0;
    VstMidiEvent event;
    while (outbox.Pop(event)) {
        if (mode == kModeSend) {
            SendToReceivers(event, reachedReceivers);
            if (ThruIsOn() || flushEcho)
                AddHostEvent(event, count);
        } else {
            AddHostEvent(event, count);
        }
    }
    if (count <= 0)
        return false;
    hostEvents.numEvents = count;
    hostEvents.reserved = 0;
    sendVstEventsToHost(hostEvents.asVstEvents());
    return true;
}

void VSTPlugin::SendToReceivers(const VstMidiEvent& event, bool& reachedReceivers)
{
    const NodeList<EventQueue>& receivers = portData[port].receiverQueues;
    reachedReceivers = receivers.Count() > 0;
    for (uint32_t i = 0; i < receivers.Count(); ++i)
        if (receivers.Entry(i).target != nullptr)
            receivers.Entry(i).target->Push(event);
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
    if (IsLocalRelease(type))
        QueueNoteOffs(localReleaseQueue);
    else
        ReleaseTowardsPort(type, releasePort);
    heldNotes.Clear();
    releaseLock.Unlock();
}

void VSTPlugin::QueueNoteOffs(EventQueue& queue) const
{
    for (int32_t i = 0; i < HeldNoteTable::kSize; ++i) {
        const HeldNote& entry = heldNotes.Entry(i);
        if (entry.InUse())
            queue.Push(MakeNoteOff(entry.channel, entry.note));
    }
}

// The note-offs go to every receiver of the port, and each of those
// receivers is asked to end everything it holds as well: it may hold notes
// this node sent it that the note-offs alone would not reach.
void VSTPlugin::ReleaseTowardsPort(int type, int releasePort)
{
    QueueNoteOffs(portReleaseQueue);
    if (IsValidPort(releasePort)) {
        const PortRecord& record = portData[releasePort];
        for (uint32_t i = 0; i < record.receiverQueues.Count(); ++i)
            if (!releaseTargets.Push(record.receiverQueues.Entry(i).target))
                break;
        for (uint32_t i = 0; i < record.releaseFlags.Count(); ++i)
            if (record.releaseFlags.Entry(i).target != nullptr)
                *record.releaseFlags.Entry(i).target = 1;
    }
    // What reached the node's own host must end there too. With Thru that
    // is every held note; a receiver without Thru gave its host everything
    // it holds, and the table is cleared below, so a suspend has to queue
    // them now rather than leave them to the release after resume.
    const bool ownOutputHoldsNotes =
        ThruIsOn() || (type == kSuspendRelease && mode == kModeReceive);
    if (ownOutputHoldsNotes)
        QueueNoteOffs(localReleaseQueue);
}

void VSTPlugin::RunPanicBurst()
{
    VstMidiEvent burst[kPanicBurstSize];
    FillPanicBurst(burst);
    if (mode == kModeSend) {
        const NodeList<EventQueue>& receivers = portData[port].receiverQueues;
        for (uint32_t i = 0; i < receivers.Count(); ++i) {
            EventQueue* target = receivers.Entry(i).target;
            for (const VstMidiEvent& event : burst)
                if (target != nullptr)
                    target->Push(event);
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

void VSTPlugin::suspend()
{
    if (!constructing) {
        lastEditType = kSuspendRelease;
        lastEditPort = port;
        edit(kSuspendRelease, port);
        releasePending = 1;
    }
    SPlugin::suspend();
}

void VSTPlugin::resume()
{
    SPlugin::resume();
}

void VSTPlugin::setSampleRate(float rate)
{
    sampleRate = rate;
}

void VSTPlugin::setBlockSize(VstInt32 size)
{
    blockSize = size;
}
