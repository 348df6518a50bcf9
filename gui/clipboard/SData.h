// The tagged record in which data travels to and from the clipboard.
#pragma once

#include <cstdint>

namespace kvor::gui {

// One value of one format: a text, an integer, a float or a run of bytes.
// Texts and bytes are copies the record owns.
class SData {
public:
    enum Format : int32_t {
        kFormatNone = 0,
        kFormatText = 1,
        kFormatInteger = 16,
        kFormatFloat = 32,
        kFormatCustom = 128,
    };

    SData() = default;
    // A text is copied when it is not empty (size: its length plus one); an
    // integer or float is read from source; custom bytes are copied, size
    // of them. What cannot be copied (a null source, an empty text, a
    // negative byte count) leaves an empty record of format 0; any other
    // format is kept with size 0.
    SData(int format, const void* source, int size);
    SData(const SData&) = delete;
    SData& operator=(const SData&) = delete;
    virtual ~SData();

    virtual unsigned GetSize() const { return size; }
    virtual void SetSize(unsigned newSize) { size = newSize; }
    virtual void SetFormat(int newFormat) { format = newFormat; }
    virtual int GetFormat() const { return format; }

    // Replaces the text; null or empty leaves format and size 0.
    void SetTextData(const char* text);
    // Replaces the bytes with a copy of GetSize() of them (set the size
    // first); null leaves format and size 0.
    void SetCustomData(const char* bytes);
    void SetValueI(int value);
    void SetValueF(float value);

    // The value when the record holds that format, else null.
    int* GetValueI();
    float* GetValueF();
    const char* GetTextData() const { return textData; }
    const char* GetCustomData() const { return customData; }

private:
    void Clear();

    int32_t format = kFormatNone;
    char* textData = nullptr;
    char* customData = nullptr;
    int32_t valueI = 0;
    float valueF = 0;
    uint32_t size = 0;
};

}  // namespace kvor::gui
