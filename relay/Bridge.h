// What the relay calls to reach the JACK bridge (JackBridge.h). Each call
// costs an atomic load and returns when the bridge is off.
#pragma once

#include "plugin/VstRecords.h"
#include "relay/EventQueue.h"
#include "relay/NodeList.h"

#include <cstdint>

// A node joined or left the process's relay (host threads, no relay lock
// held): the first opens the bridge, the last closes it.
void BridgeNodeJoined();
void BridgeNodeLeft();

// Audio or host threads. What a receiver of `port` is given: a sender's
// block (offsets in it, at `sampleRate`), a Panic burst, or a port
// release's note-offs, followed by its marker when it ends everything.
void BridgeSend(int32_t port, const VstMidiEvent* events, int32_t count, float sampleRate);
void BridgeRelease(int32_t port, const VstMidiEvent* noteOffs, int32_t count, bool endEverything);

// Where a receiver has read to in its port's incoming ring.
struct BridgeCursor {
    int32_t port = -1;  // -1: start at what comes next
    uint32_t next = 0;
};

// The receiver's pass: what arrived on the port's JACK input and is due
// within the next `frames` goes into the receiver's inbox, as a sender of
// the port would put it there. A note-off that finds no room there, or
// that the receiver fell too far behind to read, sets `releaseFlag`.
void BridgeDeliver(BridgeCursor& cursor, int32_t port, Inbox& inbox, ReleaseFlag& releaseFlag,
                   int32_t frames, float sampleRate);
// Whether BridgeDeliver would find nothing to read for any receiver: a
// receiver's pass with nothing else to do is skipped while it holds.
bool BridgeIdle();
