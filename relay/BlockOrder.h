// Hosts expect the events of a block in non-decreasing deltaFrames order;
// some play them as given, some sort them, some drop what is out of order.
// A host that sorts a block plays a note-off that came late before the
// note-on it follows, and the note hangs. So no event the relay hands on
// goes before one that came earlier: where its offset is below the one
// before it, it is raised to that one.
#pragma once

#include "plugin/VstRecords.h"

class OffsetFloor {
public:
    // The offset `event` goes out with after the events raised so far.
    VstInt32 Of(const VstMidiEvent& event) const
    {
        return event.deltaFrames > floor ? event.deltaFrames : floor;
    }
    // Writes the record only when it is raised: a pass that then copies it
    // would otherwise read back a store still on its way to memory.
    // Raising is the exception (most blocks come in order), and is laid out
    // as one.
    void Raise(VstMidiEvent& event)
    {
        if (__builtin_expect(event.deltaFrames < floor, 0))
            event.deltaFrames = floor;
        else
            floor = event.deltaFrames;
    }

private:
    // A block starts at its first frame: a negative offset from a faulty
    // host goes there too.
    VstInt32 floor = 0;
};
