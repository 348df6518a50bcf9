// MIDI blocks of any count, event types, sizes, status bytes and running
// values, interleaved with parameter changes, chunk loads, Panic and
// switching off and on, across three nodes. Each input starts from the same
// settings and ends the way a session ends: every node switched off, on
// again and run two more blocks; then no node may have left a note sounding
// at its host.
#include "fuzz/FuzzNodes.h"

#include "plugin/ParameterIndex.h"
#include "plugin/VstOpcodes.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr int kNodes = 3;
constexpr VstInt32 kFrames = 32;
fuzz::HostInstance* nodes[kNodes] = {};
fuzz::MidiOutputCheck checks[kNodes];

void RunAll(int rounds)
{
    for (int round = 0; round < rounds; ++round)
        for (fuzz::HostInstance* node : nodes)
            node->RunBlock(nullptr, kFrames);
}

void EndSession()
{
    for (fuzz::HostInstance* node : nodes)
        node->Suspend();
    for (fuzz::HostInstance* node : nodes)
        node->Resume();
    RunAll(2);
}

// The same start for every input: senders in port 0, Thru and Panic off,
// nothing held, nothing queued, and fresh output checks.
void Restart()
{
    EndSession();
    for (fuzz::HostInstance* node : nodes) {
        node->SetParameter(kParameterPanic, 0.0f);
        node->SetParameter(kParameterThru, 0.0f);
        node->SetParameter(kParameterMode, 0.0f);
        node->SetParameter(kParameterPort, 0.0f);
    }
    RunAll(3);
    EndSession();
    for (fuzz::MidiOutputCheck& check : checks)
        check.Reset();
}

float ParameterValue(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
        return 0.0f;
    case 1:
        return 1.0f;
    case 2:
        return 0.5f;
    case 3:
        return 0.49f;
    case 4:
        return static_cast<float>(input.ConsumeIntegralInRange<int>(0, 7)) / 7.0f;
    case 5:
        return NAN;
    case 6:
        return input.ConsumeFloatingPointInRange<float>(-0.5f, 1.5f);
    default:
        return input.ConsumeProbability<float>();
    }
}

void SendBlock(fuzz::HostInstance& node, FuzzedDataProvider& input)
{
    static tarvenna::host::MidiBlock block(320);
    block.Clear();
    const int count = input.ConsumeIntegralInRange<int>(0, static_cast<int>(block.Capacity()));
    for (int i = 0; i < count && input.remaining_bytes() > 0; ++i) {
        const uint8_t shape = input.ConsumeIntegral<uint8_t>();
        // Status bytes below 0x80 are running values: data without a status.
        const int status = input.ConsumeIntegral<uint8_t>();
        const int data1 = input.ConsumeIntegral<uint8_t>();
        const int data2 = input.ConsumeIntegral<uint8_t>();
        VstMidiEvent event =
            tarvenna::host::MakeMidiEvent(status, data1, data2, input.ConsumeIntegral<int8_t>());
        if (shape & 0x01)
            event.type = input.ConsumeIntegral<int8_t>();
        if (shape & 0x02)
            event.byteSize = input.ConsumeIntegral<int16_t>();
        if (shape & 0x04)
            event.noteLength = input.ConsumeIntegral<VstInt32>();
        if (shape & 0x08)
            event.midiData[3] = input.ConsumeIntegral<uint8_t>();
        block.Add(event, (shape & 0xF0) == 0xF0);
    }
    node.SendEvents(block);
}

void LoadChunk(fuzz::HostInstance& node, FuzzedDataProvider& input)
{
    unsigned char bytes[62] = {};
    std::strcpy(reinterpret_cast<char*>(bytes), "fuzz");
    bytes[48] = input.ConsumeIntegral<uint8_t>() % 3;
    bytes[49] = input.ConsumeIntegral<uint8_t>() % 9;
    bytes[50] = input.ConsumeIntegral<uint8_t>() % 2;
    const bool program = input.ConsumeBool();
    node.Dispatch(effSetChunk, program ? 1 : 0, program ? 60 : 61, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (int i = 0; i < kNodes; ++i)
        nodes[i] = fuzz::MakeNode(checks[i]);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Restart();
    FuzzedDataProvider input(data, size);
    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
        fuzz::HostInstance& node = *nodes[input.ConsumeIntegralInRange<int>(0, kNodes - 1)];
        switch (input.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
        case 1:
        case 2:
            SendBlock(node, input);
            break;
        case 3:
            node.RunBlock(nullptr, kFrames);
            break;
        case 4: {
            float in[2][8] = {};
            float out[2][8] = {};
            float* inputs[2] = {in[0], in[1]};
            float* outputs[2] = {out[0], out[1]};
            AEffect* e = node.Effect();
            e->process(e, inputs, outputs, input.ConsumeIntegralInRange<VstInt32>(0, 8));
            break;
        }
        case 5:
        case 6: {
            const VstInt32 index = input.ConsumeIntegralInRange<VstInt32>(0, 4);
            node.SetParameter(index, ParameterValue(input));
            break;
        }
        case 7:
            node.Dispatch(effMainsChanged, 0, input.ConsumeBool() ? 1 : 0);
            break;
        case 8:
            LoadChunk(node, input);
            break;
        default:
            node.SetParameter(kParameterPanic, input.ConsumeBool() ? 1.0f : 0.0f);
            break;
        }
    }
    EndSession();
    for (int i = 0; i < kNodes; ++i) {
        const std::vector<tarvenna::host::Note> left = checks[i].Sounding();
        if (!left.empty()) {
            const std::string text = "node " + std::to_string(i) + " channel " +
                                     std::to_string(left[0].channel) + " note " +
                                     std::to_string(left[0].note);
            fuzz::Fail("a note was left sounding:", text.c_str());
        }
        if (checks[i].Malformed() != 0)
            fuzz::Fail("a node handed its host a malformed event");
        fuzz::CheckNode(*nodes[i]);
    }
    fuzz::CheckTables();
    return 0;
}
