#include "bridge/OutPacer.h"

#include "bridge/BridgeEvent.h"

uint32_t OutPacer::Window::FrameOf(uint32_t due) const
{
    const int32_t into = MicrosBetween(first, due);
    if (into <= 0 || span <= 0)
        return 0;
    const int64_t frame = static_cast<int64_t>(into) * frames / span;
    return frame >= frames ? frames - 1 : static_cast<uint32_t>(frame);
}

namespace {

// The most that late cycles may add to the latency, together, rather than
// put what fell due meanwhile on a cycle's first frame: stalls that come
// faster than the latency comes down must not raise it without end.
constexpr int32_t kLongestCatchUp = 200000;

}  // namespace

OutPacer::Window OutPacer::Next(uint32_t start, int32_t periodMicros, uint32_t frames)
{
    const int32_t period = periodMicros > 0 ? periodMicros : 1;
    if (!started || latency < period)
        latency = period;
    else if (latency > period)
        latency = latency - period / 4 > period ? latency - period / 4 : period;
    uint32_t end = start + static_cast<uint32_t>(period - latency);
    // Due times from where the last cycle stopped.
    uint32_t begin = started ? sentUpTo : end - static_cast<uint32_t>(period);
    const int32_t late = MicrosBetween(begin, end) - period;
    if (started && late > period && latency + late - period <= kLongestCatchUp) {
        // A cycle that came late (PipeWire pauses its graph to change the
        // quantum): what fell due meanwhile keeps its spacing and goes out
        // later by the delay, which then comes down as after a longer
        // period.
        latency += late;
        end -= static_cast<uint32_t>(late);
    } else if (late > period || late < -period) {
        // After a longer stall (an xrun) what was missed is overdue, as it
        // is late.
        begin = end - static_cast<uint32_t>(period);
    }
    started = true;
    sentUpTo = end;
    // A cycle that holds more due time than a period (the latency coming
    // down) fits it into its frames; one that holds less (the latency gone
    // up) keeps the events' spacing and starts with a gap.
    const int32_t held = MicrosBetween(begin, end);
    const int32_t span = held > period ? held : period;
    return Window{end, end - static_cast<uint32_t>(span), span, frames};
}
