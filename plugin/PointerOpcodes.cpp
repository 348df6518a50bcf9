#include "plugin/PointerOpcodes.h"

#include <array>

namespace {

constexpr int kOpcodeCount = effBeginLoadProgram + 1;

// Which argument of each opcode must not be null, as a lookup by opcode so
// that the check costs the same for every call of the audio path.
enum : unsigned char { kNone = 0, kPtr = 1, kValue = 2 };

constexpr std::array<unsigned char, kOpcodeCount> buildNeeds()
{
    std::array<unsigned char, kOpcodeCount> needs{};
    for (VstInt32 opcode : kPointerOpcodes)
        needs[opcode] |= kPtr;
    for (VstInt32 opcode : kValuePointerOpcodes)
        needs[opcode] |= kValue;
    return needs;
}

constexpr std::array<unsigned char, kOpcodeCount> kNeeds = buildNeeds();

}  // namespace

bool lacksPointerArgument(VstInt32 opcode, VstIntPtr value, const void* ptr)
{
    if (opcode < 0 || opcode >= kOpcodeCount)
        return false;
    const unsigned char needs = kNeeds[opcode];
    return ((needs & kPtr) && !ptr) || ((needs & kValue) && value == 0);
}
