// The dispatcher with any opcode, index, value and opt, and ptr either null
// or pointing at a buffer the input fills, interleaved with the record's
// parameter and process functions, on two live nodes.
//
// Where the interface itself makes value or ptr a promise that only a
// host can keep, the call keeps it: a chunk's size is the buffer's, an
// event block is well-formed, a pointer carried in value points at memory.
// The editor-open call is given no window: it would hand the toolkit a
// window and display that do not exist. Close is left out, since it ends
// the node (the other fuzzers and the tests close nodes), and so is the
// editor-close call, which waits 25 ms for the editor's idle pass by design
// and would slow the run a hundredfold for nothing.
#include "fuzz/FuzzNodes.h"

#include "plugin/VstOpcodes.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kBufferSize = 2048;

fuzz::HostInstance* nodes[2] = {nullptr, nullptr};
fuzz::MidiOutputCheck checks[2];

struct CallBuffers {
    alignas(16) unsigned char bytes[kBufferSize];
    VstMidiEvent events[64];
    VstEventBlock<64> block;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (int i = 0; i < 2; ++i)
        nodes[i] = fuzz::MakeNode(checks[i]);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    static CallBuffers buffers;
    for (int call = 0; call < 32 && input.remaining_bytes() > 0; ++call) {
        fuzz::HostInstance& node = *nodes[input.ConsumeIntegralInRange<int>(0, 1)];
        // The process calls go straight to the record: the host library
        // would not pass a negative frame count on.
        AEffect* e = node.Effect();
        const int kind = input.ConsumeIntegralInRange<int>(0, 9);
        if (kind == 8) {
            const VstInt32 index = input.ConsumeIntegral<VstInt32>();
            node.SetParameter(index, input.ConsumeFloatingPoint<float>());
            continue;
        }
        if (kind == 9) {
            const VstInt32 index = input.ConsumeIntegral<VstInt32>();
            node.GetParameter(index);
            float in[2][16] = {};
            float out[2][16] = {};
            float* inputs[2] = {in[0], in[1]};
            float* outputs[2] = {out[0], out[1]};
            const VstInt32 frames = input.ConsumeIntegralInRange<VstInt32>(-4, 16);
            if (input.ConsumeBool())
                e->processReplacing(e, inputs, outputs, frames);
            else
                e->process(e, inputs, outputs, frames);
            continue;
        }
        VstInt32 opcode = kind < 6 ? input.ConsumeIntegralInRange<VstInt32>(0, 80)
                                   : input.ConsumeIntegral<VstInt32>();
        const VstInt32 index = input.ConsumeIntegral<VstInt32>();
        VstIntPtr value = input.ConsumeIntegral<VstIntPtr>();
        const float opt = input.ConsumeFloatingPoint<float>();
        const bool withPointer = input.ConsumeBool();
        std::memset(buffers.bytes, 0, sizeof buffers.bytes);
        const std::vector<uint8_t> fill = input.ConsumeBytes<uint8_t>(
            input.ConsumeIntegralInRange<std::size_t>(0, kBufferSize - 1));
        if (!fill.empty())
            std::memcpy(buffers.bytes, fill.data(), fill.size());
        // Texts the plug-in reads end within the buffer.
        buffers.bytes[kBufferSize - 1] = 0;
        void* ptr = withPointer ? buffers.bytes : nullptr;

        switch (opcode) {
        case effClose:
        case effEditClose:
            continue;
        case effEditOpen:
            ptr = nullptr;
            break;
        case effSetChunk:
            value =
                withPointer
                    ? static_cast<VstIntPtr>(static_cast<std::size_t>(value) % (fill.size() + 1))
                    : 0;
            break;
        case effProcessEvents:
            if (withPointer) {
                const int count = static_cast<int>(fill.size() / sizeof(VstMidiEvent)) % 65;
                std::memcpy(buffers.events, buffers.bytes,
                            static_cast<std::size_t>(count) * sizeof(VstMidiEvent));
                buffers.block.numEvents = count;
                buffers.block.reserved = 0;
                for (int i = 0; i < count; ++i)
                    buffers.block.events[i] = reinterpret_cast<VstEvent*>(&buffers.events[i]);
                ptr = buffers.block.asVstEvents();
            }
            break;
        case effSetSpeakerArrangement:
        case effGetSpeakerArrangement:
            value = withPointer ? reinterpret_cast<VstIntPtr>(buffers.bytes + kBufferSize / 2) : 0;
            break;
        default:
            break;
        }
        node.Dispatch(opcode, index, value, ptr, opt);
    }
    for (fuzz::HostInstance* node : nodes)
        fuzz::CheckNode(*node);
    fuzz::CheckTables();
    return 0;
}
