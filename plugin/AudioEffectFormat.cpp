// Fixed-width number texts for parameter displays. Hosts show them in
// 8-character fields, so every result fits in 8 characters plus the zero.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "plugin/AudioEffect.h"

namespace {

constexpr int kDigitBudget = 8;  // digits of a result, the sign counting as one

void writeHuge(char* text) { std::strcpy(text, "Huge!"); }

// Writes the integer part's digits followed by the point; answers the digit
// budget used so far. The loop stops at the budget, so for oversized parts
// only the lowest digits are written.
int writeIntegerPart(double integer, bool negative, int counter, char*& out)
{
    char digits[kDigitBudget];
    int count = 0;
    digits[count++] = static_cast<char>('0' + static_cast<int>(std::fmod(integer, 10.0)));
    for (double power = 10.0; integer / power >= 1.0 && counter <= 7; power *= 10.0) {
        digits[count++] =
            static_cast<char>('0' + static_cast<int>(std::fmod(integer / power, 10.0)));
        ++counter;
    }
    if (negative)
        *out++ = '-';
    while (count > 0)
        *out++ = digits[--count];
    *out++ = '.';
    return counter;
}

// Writes `places` truncated decimals of fraction, from the last one backwards.
void writeDecimals(double fraction, int places, char* out)
{
    double quantity = fraction * std::pow(10.0, places);
    for (int i = places - 1; i >= 0; --i) {
        if (quantity > 0.0) {
            out[i] = static_cast<char>('0' + static_cast<int>(std::fmod(quantity, 10.0)));
            quantity /= 10.0;
        } else {
            out[i] = '0';
        }
    }
    out[places] = 0;
}

}  // namespace

void AudioEffect::float2string(float value, char* text)
{
    double v = value;
    const bool negative = v < 0.0;
    if (negative)
        v = -v;
    // The sign takes one of the 8 places, so negative values get one digit less.
    int counter = negative ? 3 : 2;
    const double limit = negative ? 9999999.0 : 99999999.0;
    // Written as "not within" so that NaN also ends here rather than in a
    // conversion of NaN to a digit.
    if (!(v <= limit)) {
        writeHuge(text);
        return;
    }
    const double integer = std::floor(v);
    char* out = text;
    counter = writeIntegerPart(integer, negative, counter, out);
    if (counter >= kDigitBudget) {
        *out = 0;
        return;
    }
    writeDecimals(v - integer, kDigitBudget - counter, out);
}

void AudioEffect::dB2string(float value, char* text)
{
    if (value <= 0.0f) {
        std::strcpy(text, "-oo");
        return;
    }
    float2string(static_cast<float>(20.0 * std::log10(value)), text);
}

void AudioEffect::Hz2string(float samples, char* text)
{
    float2string(samples == 0.0f ? 0.0f : getSampleRate() / samples, text);
}

void AudioEffect::ms2string(float samples, char* text)
{
    float2string(samples * 1000.0f / sampleRate, text);
}

void AudioEffect::long2string(VstInt32 value, char* text)
{
    if (value > 99999999) {
        writeHuge(text);
        return;
    }
    // Room for any 32-bit number; a long negative one is then cut to its
    // first 8 characters.
    char full[16];
    std::snprintf(full, sizeof(full), "%7d", static_cast<int>(value));
    std::memcpy(text, full, kDigitBudget);
    text[kDigitBudget] = 0;
}
