// The chunk readers: any size, any bytes, program and bank, through the
// dispatcher of a live node and on a bare program bank.
#include "fuzz/FuzzNodes.h"

#include "plugin/VstOpcodes.h"
#include "relay/VSTPluginProgram.h"

#include <cstring>
#include <memory>

namespace {

fuzz::HostInstance* node = nullptr;
fuzz::MidiOutputCheck check;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    node = fuzz::MakeNode(check);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        if (node->Dispatch(effSetChunk, 0, 0, nullptr) != 0)
            fuzz::Fail("a null chunk was taken");
        return 0;
    }
    const uint8_t how = data[0];
    const size_t length = size - 1;
    // A block of exactly the given size, so that any read past it is caught.
    std::unique_ptr<uint8_t[]> block(new uint8_t[length]);
    if (length > 0)
        std::memcpy(block.get(), data + 1, length);
    const long expected = length >= 60 ? 1 : 0;
    switch (how % 4) {
    case 0:
    case 1: {
        const VstIntPtr taken =
            node->Dispatch(effSetChunk, how % 4, static_cast<VstIntPtr>(length), block.get());
        if (taken != expected)
            fuzz::Fail("setChunk's answer does not follow the size");
        break;
    }
    case 2: {
        VSTPluginProgramBank bank;
        if (bank.readBank(block.get(), static_cast<long>(length)) != expected)
            fuzz::Fail("readBank's answer does not follow the size");
        if (bank.programs[0].mode > 1 || bank.programs[0].mode < 0 || bank.programs[0].port > 7 ||
            bank.programs[0].port < 0 || std::memchr(bank.programs[0].name, 0, 48) == nullptr)
            fuzz::Fail("readBank left a field out of range");
        break;
    }
    default: {
        VSTPluginProgramBank bank;
        const int program = static_cast<int>(how >> 2) % 3 - 1;
        const int taken = bank.readProgram(block.get(), static_cast<long>(length), program);
        if (taken != (program == 0 ? expected : 0))
            fuzz::Fail("readProgram's answer does not follow the size and program");
        if (bank.programs[0].mode > 1 || bank.programs[0].mode < 0 || bank.programs[0].port > 7 ||
            bank.programs[0].port < 0 || std::memchr(bank.programs[0].name, 0, 48) == nullptr)
            fuzz::Fail("readProgram left a field out of range");
        break;
    }
    }
    fuzz::CheckNode(*node);
    fuzz::CheckTables();
    return 0;
}
