// Where the events senders pushed go in each JACK cycle. An event due at
// `due` goes out one latency later; the latency is one period of JACK's.
// When the period changes, nothing is squashed or reordered: a longer
// period raises the latency at once (the events move later by the
// difference), and after a shorter one the latency comes down a quarter
// of the new period a cycle, the cycle's events a little closer together
// meanwhile, instead of all that is suddenly overdue landing on frame 0.
// The process thread's own.
#pragma once

#include <cstdint>

class OutPacer {
public:
    struct Window {
        uint32_t end;    // events due before this go out this cycle
        uint32_t first;  // the due time that maps to frame 0
        int32_t span;    // microseconds of due time the cycle's frames hold
        uint32_t frames;
        // The frame for an event due before `end`; 0 for an overdue one.
        uint32_t FrameOf(uint32_t due) const;
    };

    // A cycle starting at `start` (bridge clock) of `periodMicros` and
    // `frames`.
    Window Next(uint32_t start, int32_t periodMicros, uint32_t frames);
    void Reset() { started = false; }

private:
    bool started = false;
    uint32_t sentUpTo = 0;  // the last cycle's end
    int32_t latency = 0;
};
