// JACK's side of the bridge: the process thread's cycle, and the shutdown
// and connection callbacks. Nothing here takes a lock or allocates; the
// relay is reached only through the rings.
//
// Time: each event carries the moment it is due on the bridge clock. What
// is due within one period goes out in the next one at the same place in
// it, so every event is late by one JACK period (plus, going out, up to the
// host block it came in; OutPacer keeps that steady across a change of the
// period), and the offsets in a port's buffer never go down.
#include "bridge/JackBridge.h"

#include <sched.h>

namespace {

constexpr uint8_t kNoteOffStatus = 0x80;

}  // namespace

uint32_t JackBridge::Cycle::MicrosAt(jack::Frames frame) const
{
    return start + static_cast<uint32_t>(static_cast<int64_t>(frame) * periodMicros / frames);
}

int JackBridge::ProcessEntry(jack::Frames frames, void* bridge)
{
    static_cast<JackBridge*>(bridge)->Process(frames);
    return 0;
}

void JackBridge::Process(jack::Frames frames)
{
    if ((gate.fetch_add(1, std::memory_order_acquire) & kGateClosed) != 0 || frames == 0) {
        gate.fetch_sub(1, std::memory_order_release);
        return;
    }
    const Cycle cycle = ReadCycle(frames);
    const uint32_t disconnected = disconnectedInputs.exchange(0, std::memory_order_acquire);
    const uint32_t overflowed = overflows.exchange(0, std::memory_order_acquire);
    const bool ending = endRequested.load(std::memory_order_acquire);
    const OutPacer::Window window = pacer.Next(cycle.start, cycle.periodMicros, cycle.frames);
    for (int32_t port = 0; port < kPorts; ++port) {
        TakeIncoming(port, cycle, (disconnected >> port & 1u) != 0);
        SendOutgoing(port, window, ending, (overflowed >> port & 1u) != 0);
    }
    if (ending)
        endDone.store(true, std::memory_order_release);
    gate.fetch_sub(1, std::memory_order_release);
}

// JACK's clock and the bridge's are both monotonic but need not be the
// same: the difference is taken anew every cycle.
JackBridge::Cycle JackBridge::ReadCycle(jack::Frames frames) const
{
    jack::Frames currentFrames = 0;
    jack::Time current = 0;
    jack::Time next = 0;
    float period = 0.0f;
    if (api.getCycleTimes(client, &currentFrames, &current, &next, &period) == 0 &&
        next > current) {
        const uint32_t offset = BridgeMicros() - static_cast<uint32_t>(api.getTime());
        return Cycle{static_cast<uint32_t>(current) + offset, static_cast<int32_t>(next - current),
                     frames};
    }
    const int64_t micros = static_cast<int64_t>(frames) * 1000000 / (sampleRate ? sampleRate : 1);
    return Cycle{BridgeMicros(), static_cast<int32_t>(micros > 0 ? micros : 1), frames};
}

// Everything JACK brought goes to the port's receivers, due one period
// after it came. A disconnection ends what came in and still sounds, since
// its note-offs can no longer come: after what this cycle's buffer brought,
// which JACK may still have mixed from the cut source, and once more after
// the next cycle's, since the callback comes on another thread and need not
// find the graph's change already in force.
void JackBridge::TakeIncoming(int32_t port, const Cycle& cycle, bool disconnected)
{
    uint32_t lastDue = cycle.start + static_cast<uint32_t>(cycle.periodMicros);
    if (disconnected)
        endingCycles[port] = 2;
    ReadIncoming(port, cycle, lastDue);
    if (endingCycles[port] > 0) {
        --endingCycles[port];
        EndIncomingNotes(port, lastDue);
    }
}

// lastDue becomes the latest time an event read here is due, if later.
void JackBridge::ReadIncoming(int32_t port, const Cycle& cycle, uint32_t& lastDue)
{
    void* buffer = api.portBuffer(inPorts[port], cycle.frames);
    if (buffer == nullptr)
        return;
    const uint32_t count = api.midiEventCount(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack::MidiEvent midi;
        if (api.midiEventGet(&midi, buffer, i) != 0 || midi.size == 0 || midi.size > 3 ||
            MidiMessageSize(midi.buffer[0]) != midi.size)
            continue;
        BridgeEvent event{};
        event.due = cycle.MicrosAt(midi.time) + static_cast<uint32_t>(cycle.periodMicros);
        event.size = static_cast<uint8_t>(midi.size);
        for (std::size_t b = 0; b < midi.size; ++b)
            event.bytes[b] = midi.buffer[b];
        if (IsNoteOnEvent(event))
            inNotes[port].Add(event.bytes[0] & 15, event.bytes[1]);
        else if (IsNoteOffEvent(event))
            inNotes[port].Remove(event.bytes[0] & 15, event.bytes[1]);
        inRings[port].Publish(event);
        if (MicrosBetween(lastDue, event.due) > 0)
            lastDue = event.due;
    }
}

void JackBridge::EndIncomingNotes(int32_t port, uint32_t due)
{
    inNotes[port].EndAll([&](int32_t channel, int32_t note) {
        BridgeEvent noteOff{
            due,
            {static_cast<uint8_t>(kNoteOffStatus | channel), static_cast<uint8_t>(note), 0},
            3};
        inRings[port].Publish(noteOff);
        return true;
    });
}

// What the senders pushed goes out in the order they pushed it, from the
// first event that is not due yet on left for the next cycle. Closing
// sends everything at once and ends what still sounds.
void JackBridge::SendOutgoing(int32_t port, const OutPacer::Window& window, bool ending,
                              bool overflowed)
{
    void* buffer = api.portBuffer(outPorts[port], window.frames);
    if (buffer == nullptr)
        return;
    api.midiClearBuffer(buffer);
    jack::Frames floor = 0;
    BridgeEvent event;
    while (outRings[port].Peek(event)) {
        if (MicrosBetween(window.end, event.due) >= 0 && !ending)
            break;
        const jack::Frames at = window.FrameOf(event.due);
        const jack::Frames frame = at > floor ? at : floor;
        if (!WriteOut(port, buffer, frame, event))
            break;
        floor = frame;
        outRings[port].Drop();
    }
    if (overflowed || ending)
        EndOutgoingNotes(port, buffer, floor);
}

// The output plays a receiver of its port: a note-off for a note it never
// let out is dropped, and a release marker ends everything it let out.
bool JackBridge::WriteOut(int32_t port, void* buffer, jack::Frames frame, const BridgeEvent& event)
{
    if (event.size == kReleaseSize) {
        EndOutgoingNotes(port, buffer, frame);
        return true;
    }
    const int32_t channel = event.bytes[0] & 15;
    const int32_t note = event.bytes[1] & 127;
    const bool noteOff = IsNoteOffEvent(event);
    if (noteOff && !outNotes[port].Remove(channel, note))
        return true;
    if (api.midiEventWrite(buffer, frame, event.bytes, event.size) != 0) {
        if (noteOff)
            outNotes[port].Add(channel, note);
        return false;
    }
    if (IsNoteOnEvent(event))
        outNotes[port].Add(channel, note);
    return true;
}

void JackBridge::EndOutgoingNotes(int32_t port, void* buffer, jack::Frames frame)
{
    outNotes[port].EndAll([&](int32_t channel, int32_t note) {
        const unsigned char noteOff[3] = {static_cast<unsigned char>(kNoteOffStatus | channel),
                                          static_cast<unsigned char>(note), 0};
        return api.midiEventWrite(buffer, frame, noteOff, 3) == 0;
    });
}

// JACK may call this on its own thread while a cycle is under way; the
// gate waits for that cycle, and from then on this thread is the in rings'
// one writer: the notes that came in end at the receivers, who keep
// reading until the last node leaves.
void JackBridge::ShutdownEntry(void* argument)
{
    JackBridge& self = *static_cast<JackBridge*>(argument);
    if (!self.clientLive.load(std::memory_order_acquire))
        return;
    // JACK may report the end from more than one of its threads; the in
    // rings have one writer, the first.
    if ((self.gate.fetch_or(kGateClosed, std::memory_order_acq_rel) & kGateClosed) != 0)
        return;
    self.sending.store(false, std::memory_order_release);
    while ((self.gate.load(std::memory_order_acquire) & ~kGateClosed) != 0)
        sched_yield();
    const uint32_t now = BridgeMicros();
    for (int32_t port = 0; port < kPorts; ++port)
        self.EndIncomingNotes(port, now);
    self.serverGone.store(true, std::memory_order_release);
    self.Wake(false);
}

// On JACK's notification thread: marks the inputs that lost a connection,
// for the process thread to end their notes in its next cycle, and has the
// keeper note the connections our ports have now.
void JackBridge::ConnectEntry(jack::PortId a, jack::PortId b, int connect, void* argument)
{
    JackBridge& self = *static_cast<JackBridge*>(argument);
    if (self.client == nullptr)
        return;
    const jack::Port* first = self.api.portById(self.client, a);
    const jack::Port* second = self.api.portById(self.client, b);
    bool ours = false;
    for (int32_t port = 0; port < kPorts; ++port) {
        const bool in = self.inPorts[port] != nullptr &&
                        (self.inPorts[port] == first || self.inPorts[port] == second);
        const bool out = self.outPorts[port] != nullptr &&
                         (self.outPorts[port] == first || self.outPorts[port] == second);
        if (in && connect == 0)
            self.disconnectedInputs.fetch_or(1u << port, std::memory_order_release);
        ours = ours || in || out;
    }
    if (ours)
        self.Wake(true);
}

// On JACK's notification thread: a port that appears may be the other end
// of a connection the keeper is to make again.
void JackBridge::RegistrationEntry(jack::PortId, int registered, void* argument)
{
    if (registered != 0)
        static_cast<JackBridge*>(argument)->Wake(true);
}
