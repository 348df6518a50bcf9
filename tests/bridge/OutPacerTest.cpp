// The pacing of outgoing events across a change of JACK's period, on a
// simulated clock: an event every 500 us, cycles of one period after the
// other, each event placed where the pacer puts it.
#include "bridge/OutPacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int32_t kSpacing = 500;  // us between events
constexpr uint32_t kRate = 48000;

int32_t PeriodMicros(uint32_t frames) { return static_cast<int32_t>(frames * 1000000ull / kRate); }

struct Sent {
    uint32_t due;
    uint32_t at;  // when it plays, on the same clock
};

// Runs `cycles` cycles of each period in turn, the first cycle of each
// period after the first `pause` late, and returns every event sent.
std::vector<Sent> Play(const std::vector<uint32_t>& periods, int cycles, uint32_t pause = 0)
{
    OutPacer pacer;
    std::vector<Sent> sent;
    uint32_t start = 1000000;
    // The first event is due as the first cycle's window opens.
    uint32_t next = start - static_cast<uint32_t>(PeriodMicros(periods.front()));
    for (uint32_t frames : periods) {
        const int32_t period = PeriodMicros(frames);
        start += frames == periods.front() ? 0 : pause;
        for (int c = 0; c < cycles; ++c, start += static_cast<uint32_t>(period)) {
            const OutPacer::Window window = pacer.Next(start, period, frames);
            for (; static_cast<int32_t>(next - window.end) < 0; next += kSpacing) {
                const uint64_t frame = window.FrameOf(next);
                sent.push_back({next, start + static_cast<uint32_t>(frame * period / frames)});
            }
        }
    }
    return sent;
}

// Every event once, in order, none squashed onto another (closer than
// three quarters of its spacing), each late by at least the shorter period
// and at most the longer one (plus a frame's rounding).
void ExpectPaced(const std::vector<Sent>& sent, int32_t shorter, int32_t longer)
{
    ASSERT_GT(sent.size(), 100u);
    for (std::size_t i = 1; i < sent.size(); ++i) {
        const Sent& event = sent[i];
        EXPECT_EQ(event.due - sent[i - 1].due, static_cast<uint32_t>(kSpacing)) << i;
        EXPECT_GE(static_cast<int32_t>(event.at - sent[i - 1].at), kSpacing * 3 / 4 - 30)
            << "event " << i << " squashed";
        const int32_t late = static_cast<int32_t>(event.at - event.due);
        EXPECT_GE(late, shorter - 30) << i;
        EXPECT_LE(late, longer + 30) << i;
    }
}

TEST(OutPacer, AShorterPeriodSquashesNothing)
{
    ExpectPaced(Play({1024, 32}, 40), PeriodMicros(32), PeriodMicros(1024));
    // PipeWire pauses its graph while it changes the quantum.
    ExpectPaced(Play({1024, 256}, 40, 20000), PeriodMicros(256), PeriodMicros(1024) + 20000);
}

TEST(OutPacer, ALongerPeriodDelaysByNoMoreThanTheDifference)
{
    ExpectPaced(Play({128, 1024, 64}, 30), PeriodMicros(64), PeriodMicros(1024));
}

}  // namespace
