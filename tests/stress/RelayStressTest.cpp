// The relay under a parallel host: audio threads run many nodes at once
// while other threads change settings, load and save chunks, switch nodes
// off and on, and create and close instances; some of the nodes are LV2
// instances, driven as an LV2 host drives them. The tests bound themselves
// in time (TARVENNA_STRESS_SECONDS scales them) and check, besides "no
// crash" and whatever the sanitizer of the build reports:
//  - the process-wide tables stay consistent at every moment;
//  - events between nodes arrive whole and, per sender, in order;
//  - once the playing stops (the tracks let go of their keys and every node
//    runs a few blocks with no MIDI, nothing switched off), every host
//    output stream is balanced: each note-on is followed by its note-off or
//    by all-notes-off or all-sound-off on its channel.
#include "fuzz/BalanceCheck.h"
#include "fuzz/RelayAudit.h"
#include "host/Host.h"
#include "host/testing/Lv2AsVst.h"
#include "host/testing/MidiOutputCheck.h"
#include "host/testing/Stress.h"
#include "lv2/Lv2Descriptor.h"
#include "module/EntryPoint.h"
#include "plugin/ParameterIndex.h"
#include "plugin/VstOpcodes.h"
#include "relay/VSTPlugin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tarvenna::host;
using relayaudit::AuditTables;
using relayaudit::ListedReceivers;
using relayaudit::RegisteredNodes;
using Clock = std::chrono::steady_clock;

// Frames of each block, room for the longest burst of host MIDI, and the
// blocks every node runs with no MIDI before the streams are looked at.
constexpr VstInt32 kFrames = 32;
constexpr std::size_t kBlockCapacity = 320;
constexpr int kQuietBlocks = 4;

// The host of every stress instance; instances are made through the
// plug-in's own entry point, in this process.
Host& StressHost()
{
    static Host host = [] {
        HostConfig answers;
        answers.product = "tarvenna-stress";
        return Host(answers);
    }();
    return host;
}

// A VST 2 node, or an LV2 instance made through the plug-in's LV2 face.
InstanceFactory Face(bool lv2)
{
    if (!lv2)
        return CreateInstance;
    return [](audioMasterCallback callback) {
        return MakeLv2AsVst(lv2face::Descriptor(0, CreateInstance), callback);
    };
}

std::unique_ptr<HostInstance> CreateNode(MidiOutputCheck& check, bool lv2 = false)
{
    return StressHost().Instantiate(Face(lv2), check.Options());
}

// Both checks see every handout of the instance; both must outlive it.
std::unique_ptr<HostInstance> CreateNode(MidiOutputCheck& check, balance::BalanceCheck& balance,
                                         bool lv2)
{
    InstanceOptions options = check.Options();
    options.hook = [first = options.hook, second = balance.Options().hook](
                       const RequestRecord& request) -> std::optional<VstIntPtr> {
        first(request);
        second(request);
        return std::nullopt;
    };
    return StressHost().Instantiate(Face(lv2), options);
}

// Problems found by any thread, reported at the end by the test's thread.
class Findings {
public:
    void Add(const std::string& text)
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (texts.size() < 20)
            texts.push_back(text);
        ++count;
    }
    std::string Report()
    {
        std::lock_guard<std::mutex> guard(mutex);
        std::string all;
        for (const std::string& text : texts)
            all += text + "\n";
        return all;
    }
    int Count()
    {
        std::lock_guard<std::mutex> guard(mutex);
        return count;
    }

private:
    std::mutex mutex;
    std::vector<std::string> texts;
    int count = 0;
};

std::string Describe(const std::vector<Note>& notes)
{
    std::string text;
    for (const Note& n : notes)
        text += " " + std::to_string(n.channel) + "/" + std::to_string(n.note);
    return text;
}

// One place in the host's mixer where an instance may sit.
struct Seat {
    std::shared_mutex life;  // shared: calls on the instance; exclusive: create, close
    std::mutex processing;   // the audio thread that runs it
    std::mutex mains;        // a host switches one instance off and on from one thread
    std::mutex saving;       // and saves its chunk from one thread
    // The checks outlive the instance that hands them its MIDI.
    std::unique_ptr<MidiOutputCheck> stream;
    std::unique_ptr<balance::BalanceCheck> balance;
    std::unique_ptr<HostInstance> node;
    bool lv2 = false;  // the seat's instances are LV2 ones
    // The notes the host's own track holds, so that most note-offs it sends
    // end something, and so that it can let go of them all at the end.
    bool held[16][128] = {};
    int heldCount = 0;
};

// Keeps the track's held notes as a synthesizer would read what the host
// sends: any MIDI record that starts or ends a note counts.
void Track(Seat& seat, const VstMidiEvent& event)
{
    const int kind = event.midiData[0] & 0xF0;
    const int channel = event.midiData[0] & 0x0F;
    const int note = event.midiData[1] & 0x7F;
    const bool on = kind == 0x90 && (event.midiData[2] & 0x7F) > 0;
    if (event.type != kVstMidiType || (kind != 0x90 && kind != 0x80))
        return;
    if (seat.held[channel][note] != on)
        seat.heldCount += on ? 1 : -1;
    seat.held[channel][note] = on;
}

void Add(Seat& seat, MidiBlock& block, const VstMidiEvent& event, bool nullPointer = false)
{
    if (block.Add(event, nullPointer) && !nullPointer)
        Track(seat, event);
}

struct Tally {
    std::atomic<uint64_t> blocks{0};
    std::atomic<uint64_t> hostEvents{0};
    std::atomic<uint64_t> parameterChanges{0};
    std::atomic<uint64_t> panics{0};
    std::atomic<uint64_t> chunkLoads{0};
    std::atomic<uint64_t> chunkSaves{0};
    std::atomic<uint64_t> suspends{0};
    std::atomic<uint64_t> reads{0};
    std::atomic<uint64_t> creates{0};
    std::atomic<uint64_t> closes{0};
    std::atomic<uint64_t> retirements{0};
    std::atomic<uint64_t> audits{0};
};

// One block of host MIDI for a seat: mostly well-formed playing, some of
// it junk a host might still pass on.
void FillBlock(Seat& seat, MidiBlock& block, StressRandom& random)
{
    block.Clear();
    const int count = random.OneIn(40) ? 200 + static_cast<int>(random.Below(120))
                                       : static_cast<int>(random.Below(12));
    for (int i = 0; i < count; ++i) {
        const int delta = static_cast<int>(random.Below(32));
        const uint32_t kind = random.Below(100);
        if (kind < 40) {
            const int channel = static_cast<int>(random.Below(4));
            const int note = 36 + static_cast<int>(random.Below(48));
            Add(seat, block, MakeMidiEvent(0x90 + channel, note, 1 + random.Below(127), delta));
        } else if (kind < 70 && seat.heldCount > 0) {
            // End a note the track holds, as 0x80 or as a 0x90 of velocity 0.
            for (int tries = 0; tries < 64; ++tries) {
                const int channel = static_cast<int>(random.Below(4));
                const int note = 36 + static_cast<int>(random.Below(48));
                if (!seat.held[channel][note])
                    continue;
                const bool asNoteOn = random.OneIn(3);
                Add(seat, block,
                    MakeMidiEvent((asNoteOn ? 0x90 : 0x80) + channel, note,
                                  asNoteOn ? 0 : random.Below(128), delta));
                break;
            }
        } else if (kind < 75) {
            Add(seat, block,
                MakeMidiEvent(0x80 + random.Below(16), random.Below(128), random.Below(128),
                              delta));
        } else if (kind < 88) {
            const int status = (random.OneIn(2)   ? 0xB0
                                : random.OneIn(2) ? 0xE0
                                                  : 0xD0) +
                               random.Below(16);
            Add(seat, block, MakeMidiEvent(status, random.Below(128), random.Below(128), delta));
        } else if (kind < 95) {
            // Any status byte at all, data bytes with the top bit set.
            Add(seat, block,
                MakeMidiEvent(random.Below(256), random.Below(256), random.Below(256), delta));
        } else if (kind < 98) {
            VstMidiEvent other = MakeMidiEvent(0xF0, 0x7E, 0x7F, delta);
            other.type = 6;  // system exclusive: the relay drops it at input
            Add(seat, block, other);
        } else {
            Add(seat, block, MakeMidiEvent(0x90, 60, 100, delta), true);
        }
    }
}

std::vector<unsigned char> RandomChunk(StressRandom& random, int size)
{
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size), 0);
    std::snprintf(reinterpret_cast<char*>(bytes.data()), 48, "stress %u", random.Below(1000));
    if (size >= 51) {
        bytes[48] =
            static_cast<unsigned char>(random.OneIn(10) ? random.Below(256) : random.Below(2));
        bytes[49] =
            static_cast<unsigned char>(random.OneIn(10) ? random.Below(256) : random.Below(8));
        bytes[50] = static_cast<unsigned char>(random.Below(2));
    }
    if (random.OneIn(20))
        for (int i = 0; i < 48; ++i)
            bytes[static_cast<std::size_t>(i)] = static_cast<unsigned char>('a' + i % 26);
    return bytes;
}

VSTPlugin* NodeOf(const HostInstance& node)
{
    return static_cast<VSTPlugin*>(static_cast<AudioEffect*>(node.Effect()->object));
}

// One settings call of the kind hosts and panels make while audio runs.
void ChangeSomething(Seat& seat, StressRandom& random, Tally& tally, Findings& findings)
{
    HostInstance& node = *seat.node;
    const uint32_t what = random.Below(100);
    if (what < 22) {
        const float values[] = {0.0f, 1.0f, 0.49f, 0.5f};
        node.SetParameter(kParameterMode, values[random.Below(4)]);
        ++tally.parameterChanges;
    } else if (what < 40) {
        node.SetParameter(kParameterPort, static_cast<float>(random.Below(8)) / 7.0f);
        ++tally.parameterChanges;
    } else if (what < 52) {
        node.SetParameter(kParameterThru, random.OneIn(2) ? 1.0f : 0.0f);
        ++tally.parameterChanges;
    } else if (what < 56) {
        node.SetParameter(kParameterPanic, 1.0f);
        node.SetParameter(kParameterPanic, 0.0f);
        ++tally.panics;
    } else if (what < 64) {
        // Program or bank (LV2's state holds a bank), well-formed or with
        // values out of range; 59 bytes are refused. Longer blocks would
        // show the newer-version box.
        const bool program = !seat.lv2 && random.OneIn(2);
        const int size = random.OneIn(8) ? 59 : program ? 60 : 61;
        std::vector<unsigned char> bytes = RandomChunk(random, size);
        const VstIntPtr taken = node.Dispatch(effSetChunk, program ? 1 : 0, size, bytes.data());
        if (taken != (size >= 60 ? 1 : 0))
            findings.Add("setChunk of " + std::to_string(size) + " bytes answered " +
                         std::to_string(taken));
        ++tally.chunkLoads;
    } else if (what < 68) {
        std::lock_guard<std::mutex> saving(seat.saving);
        void* data = nullptr;
        const bool program = !seat.lv2 && random.OneIn(2);
        const VstIntPtr size = node.Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
        unsigned char bytes[61] = {};
        if (data == nullptr || size != (program ? 60 : 61)) {
            findings.Add("getChunk gave " + std::to_string(size) + " bytes");
        } else {
            std::memcpy(bytes, data, static_cast<std::size_t>(size));
            if (bytes[48] > 1 || bytes[49] > 7 || std::memchr(bytes, 0, 48) == nullptr)
                findings.Add("a saved chunk holds mode " + std::to_string(bytes[48]) + ", port " +
                             std::to_string(bytes[49]));
        }
        ++tally.chunkSaves;
    } else if (what < 76) {
        std::lock_guard<std::mutex> mains(seat.mains);
        node.Dispatch(effMainsChanged, 0, 0);
        if (random.OneIn(2))
            std::this_thread::sleep_for(std::chrono::microseconds(random.Below(400)));
        node.Dispatch(effMainsChanged, 0, 1);
        ++tally.suspends;
    } else if (what < 82) {
        const float junk[] = {-0.1f, 1.5f, NAN, INFINITY, 0.7f, 0.2f};
        node.SetParameter(static_cast<VstInt32>(random.Below(20)) - 2, junk[random.Below(6)]);
        ++tally.parameterChanges;
    } else if (what < 94) {
        char text[256] = {};
        const VstInt32 index = static_cast<VstInt32>(random.Below(5));
        const float value = node.GetParameter(index);
        if (!(value >= 0.0f && value <= 1.0f))
            findings.Add("getParameter(" + std::to_string(index) + ") is " + std::to_string(value));
        node.Dispatch(effGetParamDisplay, index, 0, text);
        node.Dispatch(effGetParamName, index, 0, text);
        node.Dispatch(effGetProgramName, 0, 0, text);
        char cells[kPortCount][kSlotCount];
        if (!seat.lv2)
            NodeOf(node)->listlisteners(cells);
        ++tally.reads;
    } else {
        char name[80];
        std::snprintf(name, sizeof name, "renamed %u", random.Below(100000));
        node.Dispatch(effSetProgramName, 0, 0, name);
        node.Dispatch(effSetProgram, 0, 0);
        node.Dispatch(effGetProgram);
        ++tally.reads;
    }
}

void Create(Seat& seat, Tally& tally)
{
    seat.stream = std::make_unique<MidiOutputCheck>();
    seat.balance = std::make_unique<balance::BalanceCheck>();
    std::memset(seat.held, 0, sizeof seat.held);
    seat.heldCount = 0;
    seat.node = CreateNode(*seat.stream, *seat.balance, seat.lv2);
    if (seat.node) {
        seat.node->Resume();
        ++tally.creates;
    }
}

// A host about to close an instance, done kindly: the node stops
// receiving and stops echoing, and after two blocks every note it gave
// its host has ended.
void Retire(Seat& seat, Tally& tally, Findings& findings)
{
    HostInstance& node = *seat.node;
    node.SetParameter(kParameterThru, 0.0f);
    node.SetParameter(kParameterMode, 0.0f);
    node.RunBlock(nullptr, kFrames);
    node.RunBlock(nullptr, kFrames);
    const std::vector<Note> left = seat.stream->Sounding();
    if (!left.empty())
        findings.Add(std::string(seat.lv2 ? "an LV2" : "a VST 2") +
                     " node switched to Send without Thru left notes sounding:" + Describe(left));
    ++tally.retirements;
}

void Close(Seat& seat, Tally& tally)
{
    seat.node->Close();
    seat.node.reset();
    ++tally.closes;
}

double PerSecond(uint64_t count, double seconds)
{
    return seconds > 0.0 ? static_cast<double>(count) / seconds : 0.0;
}

TEST(RelayStress, AParallelHostWithChurnAndFaultsLeavesNoNoteHanging)
{
    constexpr int kSeats = 24;
    constexpr int kAudioThreads = 4;
    constexpr int kControlThreads = 3;
    constexpr int kChurnThreads = 2;
    const double seconds = StressSeconds(3.0);

    std::vector<Seat> seats(kSeats);
    Tally tally;
    Findings findings;
    for (int i = 0; i < kSeats; ++i) {
        seats[static_cast<std::size_t>(i)].lv2 = i % 3 == 2;
        Create(seats[static_cast<std::size_t>(i)], tally);
    }
    const uint64_t handedBefore = MidiOutputCheck::AllEvents();

    std::vector<StressJob> jobs;
    for (int t = 0; t < kAudioThreads; ++t)
        jobs.push_back([&, t](const std::atomic<bool>& stop) {
            StressRandom random(100 + t);
            MidiBlock block(kBlockCapacity);
            while (!stop) {
                Seat& seat = seats[random.Below(kSeats)];
                std::unique_lock<std::mutex> audio(seat.processing, std::try_to_lock);
                if (!audio.owns_lock() || !seat.node) {
                    std::this_thread::yield();
                    continue;
                }
                FillBlock(seat, block, random);
                seat.node->RunBlock(&block, kFrames);
                ++tally.blocks;
                tally.hostEvents += static_cast<uint64_t>(block.Size());
            }
        });
    for (int t = 0; t < kControlThreads; ++t)
        jobs.push_back([&, t](const std::atomic<bool>& stop) {
            StressRandom random(200 + t);
            while (!stop) {
                // A seat being replaced can be held for a long time by the
                // claim handshake; the settings threads go elsewhere.
                Seat& seat = seats[random.Below(kSeats)];
                std::shared_lock<std::shared_mutex> life(seat.life, std::try_to_lock);
                if (!life.owns_lock())
                    continue;
                if (seat.node)
                    ChangeSomething(seat, random, tally, findings);
                life.unlock();
                if (random.OneIn(8))
                    std::this_thread::sleep_for(std::chrono::microseconds(random.Below(200)));
            }
        });
    for (int t = 0; t < kChurnThreads; ++t)
        jobs.push_back([&, t](const std::atomic<bool>& stop) {
            StressRandom random(300 + t);
            while (!stop) {
                std::this_thread::sleep_for(std::chrono::milliseconds(random.Below(20)));
                Seat& seat = seats[random.Below(kSeats)];
                std::unique_lock<std::shared_mutex> life(seat.life);
                std::lock_guard<std::mutex> audio(seat.processing);
                if (seat.node) {
                    if (random.OneIn(2))
                        Retire(seat, tally, findings);
                    Close(seat, tally);
                }
                Create(seat, tally);
            }
        });
    jobs.push_back([&](const std::atomic<bool>& stop) {
        while (!stop) {
            const std::string wrong = AuditTables();
            if (!wrong.empty())
                findings.Add("tables: " + wrong);
            ++tally.audits;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });

    const Clock::time_point start = Clock::now();
    RunFor(seconds, jobs);
    const double ran = std::chrono::duration<double>(Clock::now() - start).count();

    // The playing stops: each track lets go of the keys it holds, and every
    // node runs a few blocks with no host MIDI. Nothing is switched off: what
    // the hosts received must end every note by itself.
    MidiBlock release(16 * 128);
    for (Seat& seat : seats) {
        if (!seat.node)
            continue;
        release.Clear();
        for (int channel = 0; channel < 16; ++channel)
            for (int note = 0; note < 128; ++note)
                if (seat.held[channel][note])
                    release.Add(MakeMidiEvent(0x80 + channel, note, 64));
        seat.node->RunBlock(&release, kFrames);
    }
    for (int round = 0; round < kQuietBlocks; ++round)
        for (Seat& seat : seats)
            if (seat.node)
                seat.node->RunBlock(nullptr, kFrames);

    const uint64_t eventsOut = MidiOutputCheck::AllEvents() - handedBefore;
    int live = 0;
    for (std::size_t i = 0; i < seats.size(); ++i) {
        Seat& seat = seats[i];
        if (!seat.node)
            continue;
        ++live;
        EXPECT_EQ(seat.stream->Malformed(), 0u) << "seat " << i;
        EXPECT_EQ(seat.stream->OddSizes(), 0u) << "seat " << i;
        EXPECT_EQ(seat.balance->Unbalanced(), "")
            << "seat " << i << " ("
            << (seat.lv2 ? std::string("LV2")
                         : "node " + std::to_string(NodeOf(*seat.node)->nodeId))
            << ")";
    }
    EXPECT_EQ(AuditTables(), "");
    EXPECT_EQ(findings.Count(), 0) << findings.Report();
    EXPECT_EQ(RegisteredNodes(), live);

    for (Seat& seat : seats)
        if (seat.node)
            Close(seat, tally);
    EXPECT_EQ(RegisteredNodes(), 0);
    EXPECT_EQ(ListedReceivers(), 0);
    EXPECT_EQ(AuditTables(), "");

    EXPECT_GT(tally.blocks.load(), 100u);
    EXPECT_GT(tally.creates.load(), static_cast<uint64_t>(kSeats));
    std::printf(
        "[stress] parallel host: %.1f s, %d audio + %d settings + %d churn + 1 audit "
        "threads, %d seats; %llu blocks (%.0f/s), host MIDI in %.0f events/s, MIDI handed to "
        "hosts %.0f events/s; %llu parameter changes, %llu panics, %llu chunk "
        "loads, %llu chunk saves, %llu off/on, %llu reads, %llu instances created, "
        "%llu closed (%llu after a retirement check), %llu table audits\n",
        ran, kAudioThreads, kControlThreads, kChurnThreads, kSeats,
        static_cast<unsigned long long>(tally.blocks.load()), PerSecond(tally.blocks, ran),
        PerSecond(tally.hostEvents, ran), PerSecond(eventsOut, ran),
        static_cast<unsigned long long>(tally.parameterChanges.load()),
        static_cast<unsigned long long>(tally.panics.load()),
        static_cast<unsigned long long>(tally.chunkLoads.load()),
        static_cast<unsigned long long>(tally.chunkSaves.load()),
        static_cast<unsigned long long>(tally.suspends.load()),
        static_cast<unsigned long long>(tally.reads.load()),
        static_cast<unsigned long long>(tally.creates.load()),
        static_cast<unsigned long long>(tally.closes.load()),
        static_cast<unsigned long long>(tally.retirements.load()),
        static_cast<unsigned long long>(tally.audits.load()));
}

// Numbered controller events: the sender in the channel, its running
// number in noteOffset and the number's low 14 bits in the data bytes, all
// of which the relay passes on as they are (a receiver may raise offsets to
// keep its blocks in order, so the offsets carry no number).
class NumberedStream {
public:
    InstanceOptions Options()
    {
        InstanceOptions options;
        options.record = false;
        options.hook = [this](const RequestRecord& request) -> std::optional<VstIntPtr> {
            if (request.opcode == audioMasterProcessEvents)
                Take(*static_cast<const VstEvents*>(request.ptr));
            return std::nullopt;
        };
        return options;
    }
    void Take(const VstEvents& block)
    {
        const auto* base = reinterpret_cast<const unsigned char*>(&block);
        const auto* events =
            reinterpret_cast<const VstMidiEvent* const*>(base + offsetof(VstEvents, events));
        for (VstInt32 i = 0; i < block.numEvents; ++i) {
            const VstMidiEvent& event = *events[i];
            const int sender = event.midiData[0] & 0x0F;
            torn += event.type != kVstMidiType || event.byteSize != 24 ||
                    (event.noteOffset & 0x3FFF) != (event.midiData[1] | event.midiData[2] << 7);
            outOfOrder += event.noteOffset < next[sender];
            disordered += i > 0 && event.deltaFrames < events[i - 1]->deltaFrames;
            next[sender] = event.noteOffset + 1;
            ++sequenced;
        }
    }
    uint64_t torn = 0, outOfOrder = 0, disordered = 0, sequenced = 0;

private:
    int32_t next[16] = {};
};

// Many senders on several threads write into the same two inboxes while
// their owners drain them: every event must come out as it went in, each
// sender's events in the order it sent them, every block in order.
// VST 2 nodes only: the running number travels in noteOffset, which an LV2
// atom does not carry.
TEST(RelayStress, EventsFromParallelSendersArriveWholeAndInOrder)
{
    constexpr int kSenders = 8;
    constexpr int kReceivers = 2;
    constexpr int kSenderThreads = 4;
    constexpr float kFourthPort = 3.0f / 7.0f;
    const double seconds = StressSeconds(1.5);

    std::vector<std::unique_ptr<NumberedStream>> streams;
    std::vector<std::unique_ptr<HostInstance>> senders;
    std::vector<std::unique_ptr<HostInstance>> receivers;
    for (int i = 0; i < kSenders + kReceivers; ++i) {
        streams.push_back(std::make_unique<NumberedStream>());
        std::unique_ptr<HostInstance> node =
            StressHost().Instantiate(CreateInstance, streams.back()->Options());
        ASSERT_NE(node, nullptr);
        node->Resume();
        node->SetParameter(kParameterPort, kFourthPort);
        if (i >= kSenders)
            node->SetParameter(kParameterMode, 1.0f);
        (i < kSenders ? senders : receivers).push_back(std::move(node));
    }
    std::atomic<uint64_t> sent{0};
    std::atomic<uint64_t> receiverBlocks{0};
    std::vector<StressJob> jobs;
    for (int t = 0; t < kSenderThreads; ++t)
        jobs.push_back([&, t](const std::atomic<bool>& stop) {
            StressRandom random(400 + t);
            MidiBlock block(kBlockCapacity);
            int32_t sequence[kSenders] = {};
            while (!stop) {
                for (int s = t; s < kSenders; s += kSenderThreads) {
                    block.Clear();
                    const int count = 1 + static_cast<int>(random.Below(40));
                    for (int i = 0; i < count; ++i, ++sequence[s]) {
                        const int32_t n = sequence[s];
                        VstMidiEvent event = MakeMidiEvent(0xB0 + s, n & 0x7F, (n >> 7) & 0x7F,
                                                           static_cast<VstInt32>(random.Below(32)));
                        event.noteOffset = n;
                        block.Add(event);
                    }
                    senders[static_cast<std::size_t>(s)]->RunBlock(&block, kFrames);
                    sent += static_cast<uint64_t>(count);
                }
            }
        });
    jobs.push_back([&](const std::atomic<bool>& stop) {
        while (!stop) {
            for (const auto& receiver : receivers)
                receiver->RunBlock(nullptr, kFrames);
            ++receiverBlocks;
        }
    });
    const Clock::time_point start = Clock::now();
    RunFor(seconds, jobs);
    const double ran = std::chrono::duration<double>(Clock::now() - start).count();
    for (const auto& receiver : receivers)
        receiver->RunBlock(nullptr, kFrames);

    uint64_t arrived = 0;
    for (int r = 0; r < kReceivers; ++r) {
        const NumberedStream& stream = *streams[static_cast<std::size_t>(kSenders + r)];
        EXPECT_EQ(stream.torn, 0u);
        EXPECT_EQ(stream.outOfOrder, 0u);
        EXPECT_EQ(stream.disordered, 0u);
        EXPECT_GT(stream.sequenced, 0u);
        arrived += stream.sequenced;
    }
    EXPECT_LE(arrived, sent.load() * kReceivers);
    for (const auto& node : senders)
        node->Close();
    for (const auto& node : receivers)
        node->Close();
    EXPECT_EQ(RegisteredNodes(), 0);
    std::printf("[stress] parallel senders: %.1f s, %d sender threads, %d senders into %d "
                "receivers; %llu events sent (%.0f/s), %llu arrived (%.0f/s), %llu receiver "
                "rounds\n",
                ran, kSenderThreads, kSenders, kReceivers,
                static_cast<unsigned long long>(sent.load()), PerSecond(sent, ran),
                static_cast<unsigned long long>(arrived), PerSecond(arrived, ran),
                static_cast<unsigned long long>(receiverBlocks.load()));
}

// Receivers join the port, listen for a few blocks and are closed while
// senders on other threads keep fanning out to the port: a sender must
// never write into a receiver that is leaving. Every other receiver is an
// LV2 instance.
TEST(RelayStress, ReceiversComeAndGoWhileSendersFanOut)
{
    constexpr int kSenders = 4;
    constexpr int kChurnThreads = 2;
    const double seconds = StressSeconds(1.5);

    std::vector<std::unique_ptr<MidiOutputCheck>> senderStreams;
    std::vector<std::unique_ptr<HostInstance>> senders;
    for (int i = 0; i < kSenders; ++i) {
        senderStreams.push_back(std::make_unique<MidiOutputCheck>());
        std::unique_ptr<HostInstance> node = CreateNode(*senderStreams.back());
        ASSERT_NE(node, nullptr);
        node->Resume();
        node->SetParameter(kParameterThru, i % 2 ? 1.0f : 0.0f);
        senders.push_back(std::move(node));
    }
    std::atomic<uint64_t> joined{0};
    std::atomic<uint64_t> senderBlocks{0};
    std::atomic<int64_t> longestJoinMs{0};
    std::atomic<int64_t> longestLeaveMs{0};
    auto note = [](std::atomic<int64_t>& longest, Clock::time_point since) {
        const int64_t ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
        int64_t seen = longest.load();
        while (ms > seen && !longest.compare_exchange_weak(seen, ms)) {
        }
    };
    Findings findings;
    std::vector<StressJob> jobs;
    for (int s = 0; s < kSenders; ++s)
        jobs.push_back([&, s](const std::atomic<bool>& stop) {
            StressRandom random(500 + s);
            MidiBlock block(kBlockCapacity);
            bool on[128] = {};
            while (!stop) {
                block.Clear();
                for (int i = 0; i < 16; ++i) {
                    const int note = 40 + static_cast<int>(random.Below(40));
                    block.Add(MakeMidiEvent(on[note] ? 0x80 : 0x90, note, 90));
                    on[note] = !on[note];
                }
                if (random.OneIn(50))
                    senders[static_cast<std::size_t>(s)]->SetParameter(
                        kParameterPanic, random.OneIn(2) ? 1.0f : 0.0f);
                senders[static_cast<std::size_t>(s)]->RunBlock(&block, kFrames);
                ++senderBlocks;
            }
        });
    for (int t = 0; t < kChurnThreads; ++t)
        jobs.push_back([&, t](const std::atomic<bool>& stop) {
            StressRandom random(600 + t);
            for (bool lv2 = false; !stop; lv2 = !lv2) {
                MidiOutputCheck stream;
                const Clock::time_point joining = Clock::now();
                std::unique_ptr<HostInstance> node = CreateNode(stream, lv2);
                note(longestJoinMs, joining);
                if (!node) {
                    findings.Add("a receiver could not be created");
                    continue;
                }
                node->Resume();
                node->SetParameter(kParameterMode, 1.0f);
                ++joined;
                const int blocks = static_cast<int>(random.Below(4));
                for (int b = 0; b < blocks; ++b)
                    node->RunBlock(nullptr, kFrames);
                if (random.OneIn(3))
                    node->SetParameter(kParameterPort, static_cast<float>(random.Below(2)) / 7.0f);
                if (random.OneIn(2))
                    node->Suspend();
                const Clock::time_point leaving = Clock::now();
                node->Close();
                note(longestLeaveMs, leaving);
            }
        });
    const Clock::time_point start = Clock::now();
    RunFor(seconds, jobs);
    const double ran = std::chrono::duration<double>(Clock::now() - start).count();
    for (const auto& node : senders)
        node->RunBlock(nullptr, kFrames);
    EXPECT_EQ(findings.Count(), 0) << findings.Report();
    EXPECT_EQ(ListedReceivers(), 0);
    EXPECT_EQ(AuditTables(), "");
    for (const auto& node : senders)
        node->Close();
    EXPECT_EQ(RegisteredNodes(), 0);
    // Two nodes that leave at the same moment keep overwriting each other's
    // claim word until their 10 ms rhythms drift apart, so the count says
    // little; that each thread got through at least once is what matters.
    EXPECT_GE(joined.load(), static_cast<uint64_t>(kChurnThreads));
    std::printf("[stress] receivers coming and going: %.1f s, %d sender threads, %d churn "
                "threads; %llu receivers joined and left (%.0f/s), %llu sender blocks; "
                "longest join %lld ms, longest leave %lld ms\n",
                ran, kSenders, kChurnThreads, static_cast<unsigned long long>(joined.load()),
                PerSecond(joined, ran), static_cast<unsigned long long>(senderBlocks.load()),
                static_cast<long long>(longestJoinMs.load()),
                static_cast<long long>(longestLeaveMs.load()));
}

}  // namespace
