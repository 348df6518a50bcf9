// The relay's side of the bridge, on the nodes' threads: events become the
// bridge's timed records on their way out and VST events on their way in.
// Nothing here allocates, waits or takes a lock but the receiver's own
// inbox lock, as a sender's push would.
#include "relay/Bridge.h"

#include "bridge/JackBridge.h"
#include "relay/MidiMessages.h"
#include "relay/RelayLimits.h"

namespace {

// Room kept in an outgoing ring for what ends notes: when a block does not
// fit with this much left over, only its note-offs go in.
constexpr uint32_t kNoteOffRoom = 256;
constexpr int32_t kBatch = 256;

float UsableRate(float sampleRate) { return sampleRate > 0.0f ? sampleRate : 44100.0f; }

bool ToBridgeEvent(const VstMidiEvent& midi, uint32_t due, BridgeEvent& event)
{
    if (IsReleaseMarker(midi)) {
        event = BridgeEvent{due, {0, 0, 0}, kReleaseSize};
        return true;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(midi.midiData);
    const uint8_t size = MidiMessageSize(bytes[0]);
    if (midi.type != kVstMidiType || size == 0)
        return false;
    event = BridgeEvent{
        due, {bytes[0], size > 1 ? bytes[1] : uint8_t{0}, size > 2 ? bytes[2] : uint8_t{0}}, size};
    return true;
}

// A block that does not fit whole gives up what starts notes, never what
// ends them; when even that does not fit, the process thread ends every
// note it let out on the port.
void PushKeepingNoteOffs(JackBridge& bridge, int32_t port, BridgeEvent* events, uint32_t count)
{
    OutRing& ring = bridge.Out(port);
    if (ring.Push(events, count, kNoteOffRoom))
        return;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (IsNoteOffEvent(events[i]) || events[i].size == kReleaseSize)
            events[kept++] = events[i];
    if (kept > 0 && !ring.Push(events, kept, 0))
        bridge.MarkOverflow(port);
}

void PushToInbox(Inbox& inbox, ReleaseFlag& releaseFlag, const VstMidiEvent* events, int32_t count)
{
    const int32_t pushed = inbox.PushAll(events, count);
    if (pushed < count && AnyNoteOff(events + pushed, count - pushed))
        releaseFlag.store(1);
}

}  // namespace

void BridgeNodeJoined() { TheBridge().Join(); }

void BridgeNodeLeft() { TheBridge().Leave(); }

void BridgeSend(int32_t port, const VstMidiEvent* events, int32_t count, float sampleRate)
{
    JackBridge& bridge = TheBridge();
    if (count <= 0 || !IsValidPort(port) || !bridge.Sending())
        return;
    const uint32_t now = BridgeMicros();
    const float microsPerFrame = 1000000.0f / UsableRate(sampleRate);
    BridgeEvent batch[kBatch];
    uint32_t n = 0;
    for (int32_t i = 0; i < count && n < kBatch; ++i) {
        const VstInt32 frame = events[i].deltaFrames > 0 ? events[i].deltaFrames : 0;
        const uint32_t due =
            now + static_cast<uint32_t>(static_cast<float>(frame) * microsPerFrame);
        if (ToBridgeEvent(events[i], due, batch[n]))
            ++n;
    }
    PushKeepingNoteOffs(bridge, port, batch, n);
}

void BridgeRelease(int32_t port, const VstMidiEvent* noteOffs, int32_t count, bool endEverything)
{
    JackBridge& bridge = TheBridge();
    if (!IsValidPort(port) || !bridge.Sending())
        return;
    const uint32_t now = BridgeMicros();
    BridgeEvent batch[kBatch + 1];
    uint32_t n = 0;
    for (int32_t i = 0; i < count && n < kBatch; ++i)
        if (ToBridgeEvent(noteOffs[i], now, batch[n]))
            ++n;
    if (endEverything)
        batch[n++] = BridgeEvent{now, {0, 0, 0}, kReleaseSize};
    PushKeepingNoteOffs(bridge, port, batch, n);
}

// The receiver's block covers the next `frames` from now; what is due
// before its end goes in at its place, what is overdue at the first frame.
void BridgeDeliver(BridgeCursor& cursor, int32_t port, Inbox& inbox, ReleaseFlag& releaseFlag,
                   int32_t frames, float sampleRate)
{
    const JackBridge& bridge = TheBridge();
    if (!bridge.Readable() || !IsValidPort(port) || frames <= 0) {
        cursor.port = -1;
        return;
    }
    const InRing& ring = bridge.In(port);
    if (cursor.port != port) {
        cursor = BridgeCursor{port, ring.Head()};
        return;
    }
    const uint32_t now = BridgeMicros();
    const float framesPerMicro = UsableRate(sampleRate) / 1000000.0f;
    const int32_t window = static_cast<int32_t>(static_cast<float>(frames) / framesPerMicro);
    VstMidiEvent batch[64];
    int32_t n = 0;
    BridgeEvent event;
    for (int32_t taken = 0; taken < static_cast<int32_t>(InRing::kCapacity); ++taken) {
        const InRing::Read read = ring.ReadAt(cursor.next, event);
        if (read == InRing::Read::Lost) {
            // A whole ring passed by unread: note-offs may be among it.
            cursor.next = ring.Head();
            releaseFlag.store(1);
            break;
        }
        if (read == InRing::Read::Empty)
            break;
        const int32_t ahead = MicrosBetween(now, event.due);
        if (ahead >= window)
            break;
        ++cursor.next;
        VstMidiEvent& midi = batch[n] = BlankMidiEvent();
        const int32_t frame = ahead <= 0 ? 0 : static_cast<int32_t>(ahead * framesPerMicro);
        midi.deltaFrames = frame < frames ? frame : frames - 1;
        for (int b = 0; b < 3; ++b)
            midi.midiData[b] = b < event.size ? event.bytes[b] : 0;
        if (++n == 64) {
            PushToInbox(inbox, releaseFlag, batch, n);
            n = 0;
        }
    }
    if (n > 0)
        PushToInbox(inbox, releaseFlag, batch, n);
}

bool BridgeIdle() { return !TheBridge().Readable(); }
