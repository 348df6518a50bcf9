// The pieces of the stress driver: MIDI output checks, the generator, the
// run length and the timed jobs; and the MIDI blocks with faulty slots that
// stress runs and fuzzers send.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstddef>
#include <set>

#include "host/MidiBlock.h"
#include "host/testing/MidiOutputCheck.h"
#include "host/testing/Stress.h"
#include "plugin/VstOpcodes.h"
#include "tests/host/HostTestSupport.h"

namespace tarvenna::host::test {
namespace {

VstEvent* SlotOf(VstEvents* events, std::size_t i)
{
    auto* base = reinterpret_cast<unsigned char*>(events) + offsetof(VstEvents, events);
    return reinterpret_cast<VstEvent**>(base)[i];
}

TEST(HostMidiBlockFaults, LooseValuesAreCutToBytesAndASlotMayBeNull)
{
    const VstMidiEvent e = MakeMidiEvent(0x1F0, -1, 0x80, -3);
    EXPECT_EQ(e.midiData[0], 0xF0);
    EXPECT_EQ(e.midiData[1], 0xFF);
    EXPECT_EQ(e.midiData[2], 0x80);
    EXPECT_EQ(e.deltaFrames, -3);
    MidiBlock block(2);
    EXPECT_TRUE(block.Add(e, true));
    EXPECT_TRUE(block.Add(e));
    EXPECT_EQ(block.Size(), 2u);
    EXPECT_EQ(SlotOf(block.Events(), 0), nullptr);
    EXPECT_NE(SlotOf(block.Events(), 1), nullptr);
    EXPECT_EQ(block[0].midiData[0], 0xF0);
}

// A block of events as a plug-in hands them to its host.
class Handout {
public:
    Handout() : block(16) {}
    Handout& Event(int status, int data1, int data2, VstInt32 delta = 0)
    {
        block.Add(MakeMidiEvent(status, data1, data2, delta));
        return *this;
    }
    Handout& Odd(VstMidiEvent event, bool nullPointer = false)
    {
        block.Add(event, nullPointer);
        return *this;
    }
    const VstEvents* Events() { return block.Events(); }

private:
    MidiBlock block;
};

TEST(HostMidiOutputCheck, NotesSoundUntilTheirOffInEitherForm)
{
    MidiOutputCheck check;
    Handout first;
    first.Event(0x90, 60, 100).Event(0x91, 62, 90).Event(0x92, 64, 80).Event(0x90, 67, 0);
    check.Take(first.Events());
    ASSERT_EQ(check.Sounding().size(), 3u);
    Handout second;
    second.Event(0x80, 60, 64).Event(0x91, 62, 0);
    check.Take(second.Events());
    const std::vector<Note> left = check.Sounding();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].channel, 2);
    EXPECT_EQ(left[0].note, 64);
    EXPECT_EQ(check.Events(), 6u);
    check.Reset();
    EXPECT_TRUE(check.Sounding().empty());
    EXPECT_EQ(check.Events(), 0u);
}

TEST(HostMidiOutputCheck, CountsWhatIsNotAWellFormedMidiRecord)
{
    MidiOutputCheck check;
    VstMidiEvent sysex = MakeMidiEvent(0xF0, 0, 0);
    sysex.type = 6;
    VstMidiEvent longer = MakeMidiEvent(0x90, 1, 1);
    longer.byteSize = 28;
    Handout handout;
    handout.Odd(sysex).Odd(longer).Odd(MakeMidiEvent(0x90, 2, 2), true);
    const std::uint64_t before = MidiOutputCheck::AllEvents();
    check.Take(handout.Events());
    check.Take(nullptr);
    EXPECT_EQ(check.Malformed(), 2u);
    EXPECT_EQ(check.OddSizes(), 1u);
    EXPECT_EQ(MidiOutputCheck::AllEvents() - before, 3u);
}

// Each sender (the channel) numbers its controllers; the number rides in
// the delta frames and, cut to 14 bits, in the data bytes.
TEST(HostMidiOutputCheck, SequencesMustRiseAndArriveWhole)
{
    MidiOutputCheck check(true);
    Handout handout;
    handout.Event(0xB0, 0, 0, 0).Event(0xB0, 1, 0, 1).Event(0xB1, 0, 1, 128);
    handout.Event(0xB0, 1, 0, 1);    // again: out of order
    handout.Event(0xB1, 5, 0, 129);  // bytes say 5: torn
    check.Take(handout.Events());
    EXPECT_EQ(check.Sequenced(), 5u);
    EXPECT_EQ(check.OutOfOrder(), 1u);
    EXPECT_EQ(check.Torn(), 1u);
}

TEST_F(HostTest, AnInstanceWithCheckedOutputHandsItsMidiToTheCheck)
{
    MidiOutputCheck check;
    auto instance = host.Instantiate(module, check.Options());
    ASSERT_NE(instance, nullptr);
    ASSERT_TRUE(instance->RunBlock({{0, 0x90, 60, 100}, {0, 0x90, 61, 100}}, 16));
    EXPECT_EQ(check.Events(), 2u);
    EXPECT_EQ(check.Sounding().size(), 2u);
    EXPECT_TRUE(instance->Recorded().midiOut.empty());
}

TEST(HostStressRandom, IsRepeatableAndStaysInRange)
{
    StressRandom a(7), b(7), c(8), d(9);
    bool differs = false;
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t x = a.Next();
        EXPECT_EQ(x, b.Next());
        differs = differs || x != c.Next();
        const std::uint32_t below = d.Below(10);
        EXPECT_LT(below, 10u);
        seen.insert(below);
        const float unit = d.Unit();
        EXPECT_GE(unit, 0.0f);
        EXPECT_LT(unit, 1.0f);
    }
    EXPECT_TRUE(differs);
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(d.Below(0), 0u);
    EXPECT_TRUE(d.OneIn(1));
}

TEST(HostStressSeconds, TheEnvironmentScalesTheDefault)
{
    unsetenv("TARVENNA_STRESS_SECONDS");
    EXPECT_EQ(StressSeconds(1.5), 1.5);
    setenv("TARVENNA_STRESS_SECONDS", "4", 1);
    EXPECT_EQ(StressSeconds(1.5), 6.0);
    setenv("TARVENNA_STRESS_SECONDS", "nonsense", 1);
    EXPECT_EQ(StressSeconds(1.5), 1.5);
    unsetenv("TARVENNA_STRESS_SECONDS");
}

TEST(HostRunFor, RunsEveryJobOnItsOwnThreadUntilTheTimeIsUp)
{
    std::atomic<int> started{0};
    std::atomic<long> rounds{0};
    std::vector<StressJob> jobs(3, [&](const std::atomic<bool>& stop) {
        ++started;
        while (!stop)
            ++rounds;
    });
    const auto begin = std::chrono::steady_clock::now();
    RunFor(0.05, jobs);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(50));
    EXPECT_EQ(started.load(), 3);
    EXPECT_GT(rounds.load(), 0);
}

}  // namespace
}  // namespace tarvenna::host::test
