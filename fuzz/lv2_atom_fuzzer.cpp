// Atom sequences of any shape into LV2 instances of the node: events of any
// type, size and frame (out of order, past the block, longer than MIDI), a
// last event running past the sequence's end, blocks longer than the
// announced maximum, and control changes between blocks, across three
// instances. What each hands its host must be well formed: MIDI events of
// one to three bytes inside the block, in time order. Each input ends the
// way a session ends: every instance switched off, on again and run two
// more blocks; then none may have left a note sounding at its host.
#include "host/testing/Lv2Instance.h"
#include "lv2/Lv2Descriptor.h"
#include "module/EntryPoint.h"

#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using tarvenna::host::Lv2Instance;

constexpr int kNodes = 3;
constexpr int32_t kMaxBlock = 64;
constexpr uint32_t kLongestBlock = 300;

tarvenna::host::UridMap urids;
std::unique_ptr<Lv2Instance> nodes[kNodes];
bool sounding[kNodes][16][128];
LV2_URID midiEvent;

[[noreturn]] void Fail(const char* what, int node)
{
    std::fprintf(stderr, "lv2_atom_fuzzer: instance %d: %s\n", node, what);
    std::abort();
}

void CheckOutput(int node, uint32_t frames)
{
    int64_t last = 0;
    LV2_ATOM_SEQUENCE_FOREACH(nodes[node]->Output(), event)
    {
        const auto* bytes = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
        if (event->body.type != midiEvent || event->body.size < 1 || event->body.size > 3)
            Fail("handed its host an event that is not MIDI of one to three bytes", node);
        if (event->time.frames < last || event->time.frames >= frames)
            Fail("handed its host an event out of order or outside the block", node);
        last = event->time.frames;
        if ((bytes[0] & 0xE0) == 0x80 && event->body.size == 3)
            sounding[node][bytes[0] & 15][bytes[1] & 127] =
                (bytes[0] & 0xF0) == 0x90 && bytes[2] != 0;
    }
}

// Up to 40 events of any shape; sometimes the sequence claims less than it
// holds, so that its last event runs past its end.
void FillInput(Lv2Instance& node, FuzzedDataProvider& input, uint32_t frames)
{
    LV2_Atom_Sequence* sequence = node.Input();
    sequence->atom = {sizeof(LV2_Atom_Sequence_Body), urids(LV2_ATOM__Sequence)};
    sequence->body = {0, 0};
    const int count = input.ConsumeIntegralInRange<int>(0, 40);
    for (int i = 0; i < count && input.remaining_bytes() > 0; ++i) {
        struct {
            LV2_Atom_Event head;
            uint8_t data[16];
        } event = {};
        const uint8_t shape = input.ConsumeIntegral<uint8_t>();
        event.head.time.frames = shape & 0x01 ? input.ConsumeIntegral<int64_t>()
                                              : input.ConsumeIntegralInRange<int64_t>(0, frames);
        event.head.body.type = shape & 0x02 ? input.ConsumeIntegral<uint32_t>() : midiEvent;
        event.head.body.size = shape & 0x04 ? input.ConsumeIntegralInRange<uint32_t>(0, 16)
                                            : input.ConsumeIntegralInRange<uint32_t>(1, 3);
        for (uint8_t& byte : event.data)
            byte = input.ConsumeIntegral<uint8_t>();
        lv2_atom_sequence_append_event(sequence, node.InputCapacity(), &event.head);
    }
    if (input.ConsumeIntegralInRange<int>(0, 7) == 0 && sequence->atom.size > 20)
        sequence->atom.size -= input.ConsumeIntegralInRange<uint32_t>(1, 12);
}

float ControlValue(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
        return 0.0f;
    case 1:
        return 1.0f;
    case 2:
        return static_cast<float>(input.ConsumeIntegralInRange<int>(1, 8));
    case 3:
        return NAN;
    default:
        return input.ConsumeFloatingPointInRange<float>(-2.0f, 10.0f);
    }
}

void Run(int node, uint32_t frames)
{
    nodes[node]->ResetOutput();
    nodes[node]->RunOnly(frames);
    CheckOutput(node, frames);
}

// Every input starts from the same settings: a sender and two receivers on
// port 1, Thru and Panic off.
void Settle()
{
    for (int node = 0; node < kNodes; ++node) {
        nodes[node]->Control(lv2face::kPortMode) = node == 0 ? 0.0f : 1.0f;
        nodes[node]->Control(lv2face::kPortRelayPort) = 1.0f;
        nodes[node]->Control(lv2face::kPortThru) = 0.0f;
        nodes[node]->Control(lv2face::kPortPanic) = 0.0f;
    }
}

void EndSession()
{
    for (int node = 0; node < kNodes; ++node)
        nodes[node]->Restart();
    for (int round = 0; round < 2; ++round)
        for (int node = 0; node < kNodes; ++node) {
            nodes[node]->Fill({});
            Run(node, kMaxBlock);
        }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    midiEvent = urids(LV2_MIDI__MidiEvent);
    for (int node = 0; node < kNodes; ++node) {
        nodes[node] = std::make_unique<Lv2Instance>(lv2face::Descriptor(0, CreateInstance), urids,
                                                    node == 0 ? 0.0f : 1.0f, 1.0f, kMaxBlock);
        if (!nodes[node]->Made())
            Fail("was not made", node);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    Settle();
    for (int step = 0; step < 48 && input.remaining_bytes() > 0; ++step) {
        const int node = input.ConsumeIntegralInRange<int>(0, kNodes - 1);
        if (input.ConsumeBool())
            nodes[node]->Control(input.ConsumeIntegralInRange<uint32_t>(
                lv2face::kPortMode, lv2face::kPortPanic)) = ControlValue(input);
        const uint32_t frames = input.ConsumeIntegralInRange<uint32_t>(1, kLongestBlock);
        FillInput(*nodes[node], input, frames);
        Run(node, frames);
    }
    EndSession();
    for (int node = 0; node < kNodes; ++node)
        for (int channel = 0; channel < 16; ++channel)
            for (int note = 0; note < 128; ++note)
                if (sounding[node][channel][note])
                    Fail("left a note sounding at its host after switching off and on", node);
    return 0;
}
