// Speaker arrangements: an 8-byte head followed by one speaker record per
// channel, in a single malloc block so that a host can free it with free().
#include <cstdlib>
#include <cstring>

#include "plugin/AudioEffectX.h"

namespace {

// The declared array holds only 8 speakers; larger arrangements run past
// it, so speakers are reached through the block rather than the array.
VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 i)
{
    char* speakers = reinterpret_cast<char*>(arrangement) + kVstSpeakerArrangementHead;
    return reinterpret_cast<VstSpeakerProperties*>(speakers) + i;
}

}  // namespace

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels)
{
    if (!arrangement || channels < 0)
        return false;
    if (*arrangement && !deallocateArrangement(arrangement))
        return false;
    const std::size_t size = kVstSpeakerArrangementHead +
                             static_cast<std::size_t>(channels) * sizeof(VstSpeakerProperties);
    auto* block = static_cast<VstSpeakerArrangement*>(std::calloc(1, size));
    if (!block)
        return false;
    block->numChannels = channels;
    *arrangement = block;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement)
{
    if (!arrangement)
        return false;
    std::free(*arrangement);
    *arrangement = nullptr;
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from)
{
    if (!to || !from)
        return false;
    if (to == from)
        return true;  // memcpy must not copy onto itself
    const std::size_t length = strnlen(from->name, sizeof(to->name) - 1);
    std::memcpy(to->name, from->name, length);
    to->name[length] = 0;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    to->type = from->type;
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from)
{
    if (!from || !deallocateArrangement(to) || !allocateArrangement(to, from->numChannels))
        return false;
    (*to)->type = from->type;
    for (VstInt32 i = 0; i < from->numChannels; ++i) {
        if (!copySpeaker(speakerAt(*to, i), speakerAt(from, i)))
            return false;
    }
    return true;
}
