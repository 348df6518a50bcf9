#include "gui/clipboard/SData.h"

#include <cstring>

namespace kvor::gui {

namespace {

char* CopyOf(const char* bytes, std::size_t count)
{
    char* copy = new char[count];
    std::memcpy(copy, bytes, count);
    return copy;
}

}  // namespace

SData::SData(int newFormat, const void* source, int newSize)
    : format(newFormat),
      size(newSize > 0 ? static_cast<uint32_t>(newSize) : 0)
{
    const auto* bytes = static_cast<const char*>(source);
    switch (format) {
    case kFormatText:
        SetTextData(bytes);
        break;
    case kFormatInteger:
    case kFormatFloat:
        if (source == nullptr)
            Clear();
        else if (format == kFormatInteger)
            std::memcpy(&valueI, source, sizeof valueI);
        else
            std::memcpy(&valueF, source, sizeof valueF);
        break;
    case kFormatCustom:
        if (newSize < 0)
            Clear();
        else
            SetCustomData(bytes);
        break;
    default:
        size = 0;
        break;
    }
}

SData::~SData()
{
    delete[] textData;
    delete[] customData;
}

void SData::Clear()
{
    format = kFormatNone;
    size = 0;
}

// The new text is copied before the old one goes: it may be the old one.
void SData::SetTextData(const char* text)
{
    char* copy = nullptr;
    if (text != nullptr && text[0] != 0)
        copy = CopyOf(text, std::strlen(text) + 1);
    delete[] textData;
    textData = copy;
    if (copy == nullptr) {
        Clear();
        return;
    }
    format = kFormatText;
    size = static_cast<uint32_t>(std::strlen(copy) + 1);
}

void SData::SetCustomData(const char* bytes)
{
    char* copy = bytes != nullptr ? CopyOf(bytes, size) : nullptr;
    delete[] customData;
    customData = copy;
    if (copy == nullptr) {
        Clear();
        return;
    }
    format = kFormatCustom;
}

void SData::SetValueI(int value)
{
    valueI = value;
    format = kFormatInteger;
}

void SData::SetValueF(float value)
{
    valueF = value;
    format = kFormatFloat;
}

int* SData::GetValueI() { return format == kFormatInteger ? &valueI : nullptr; }

float* SData::GetValueF() { return format == kFormatFloat ? &valueF : nullptr; }

}  // namespace kvor::gui
