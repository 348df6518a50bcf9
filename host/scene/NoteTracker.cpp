#include "host/scene/NoteTracker.h"

namespace tarvenna::host {

void NoteTracker::Apply(int status, int data1, int data2)
{
    const int channel = status & 0x0f;
    const std::size_t key = static_cast<std::size_t>(channel * 128 + (data1 & 0x7f));
    switch (status & 0xf0) {
    case 0x90:
        sounding.set(key, data2 != 0);
        break;
    case 0x80:
        sounding.reset(key);
        break;
    case 0xb0:
        if (data1 == 120 || data1 == 123)
            for (int k = 0; k < 128; ++k)
                sounding.reset(static_cast<std::size_t>(channel * 128 + k));
        break;
    default:
        break;
    }
}

std::vector<SoundingNote> NoteTracker::Sounding() const
{
    std::vector<SoundingNote> notes;
    for (std::size_t i = 0; i < sounding.size(); ++i)
        if (sounding.test(i))
            notes.push_back({static_cast<int>(i / 128), static_cast<int>(i % 128)});
    return notes;
}

std::string DescribeNotes(const std::vector<SoundingNote>& notes, std::size_t listed)
{
    if (notes.empty())
        return "none";
    std::string text;
    for (std::size_t i = 0; i < notes.size() && i < listed; ++i)
        text += (i ? ", ch " : "ch ") + std::to_string(notes[i].channel + 1) + " key " +
                std::to_string(notes[i].key);
    if (notes.size() > listed)
        text += " and " + std::to_string(notes.size() - listed) + " more";
    return text;
}

}  // namespace tarvenna::host
