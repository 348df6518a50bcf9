#pragma once

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace kvor::data {

// Growable zero-terminated text. Storage comes in whole steps of N bytes and
// grows by at least half of itself, so that building a text piece by piece
// costs time in proportion to its length, however many pieces it takes;
// `data` is public because callers hand it straight to Xlib and the C
// library.
template <unsigned N, typename Char = char> class datastring {
    static_assert(std::is_same_v<Char, char>, "only narrow text is supported");
    static_assert(N > 0, "the growth step must be at least one byte");

public:
    // Formatted appends use a stack buffer; a careless limit must not be
    // able to blow the stack, so the buffer never exceeds this many bytes.
    static constexpr unsigned kMaxFormatted = 4096;

    char* data;
    uint32_t capacity;
    uint32_t length;  // characters plus the terminator
    uint32_t grain;

    datastring() : data(new char[N]()), capacity(N), length(1), grain(N) {}

    __attribute__((format(printf, 3, 4))) datastring(unsigned size, const char* format, ...)
        : data(nullptr),
          capacity(StorageFor(size)),
          length(1),
          grain(N)
    {
        data = new char[capacity]();
        if (size < 2 || format == nullptr)
            return;
        va_list args;
        va_start(args, format);
        std::vsnprintf(data, size - 1, format, args);
        va_end(args);
        data[size - 1] = 0;
        length = static_cast<uint32_t>(std::strlen(data)) + 1;
    }

    datastring(const datastring& other)
        : data(new char[other.capacity]()),
          capacity(other.capacity),
          length(other.length),
          grain(N)
    {
        std::memcpy(data, other.data, other.length);
    }

    datastring& operator=(const datastring& other)
    {
        datastring copy(other);
        Swap(copy);
        return *this;
    }

    ~datastring() { delete[] data; }

    datastring& Append(const char* text)
    {
        if (text != nullptr)
            AppendBytes(text, static_cast<uint32_t>(std::strlen(text)));
        return *this;
    }

    datastring& Append(char c)
    {
        if (c != 0)
            AppendBytes(&c, 1);
        return *this;
    }

    // Appends at most maxLength - 2 formatted characters, the historical
    // contract that callers size their "%i" limits by.
    __attribute__((format(printf, 3, 4))) datastring& Append(unsigned maxLength, const char* format,
                                                             ...)
    {
        if (maxLength > kMaxFormatted)
            maxLength = kMaxFormatted;
        if (maxLength < 2 || format == nullptr)
            return *this;
        char buffer[kMaxFormatted];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, maxLength - 1, format, args);
        va_end(args);
        buffer[maxLength - 1] = 0;
        return Append(buffer);
    }

    void Clear(bool shrink)
    {
        if (shrink && capacity > N)
            Replace(N);
        data[0] = 0;
        length = 1;
    }

    void Initialize(unsigned size) { Replace(StorageFor(size)); }

    // Splits with strtok rules: runs of delimiters count as one and no empty
    // tokens appear. The reentrant variant keeps concurrent callers apart.
    unsigned Tokenize(std::vector<datastring<32, char>>& tokens, const char* delimiters) const
    {
        std::vector<char> scratch(data, data + length);
        scratch.back() = 0;
        const char* separators = delimiters != nullptr ? delimiters : "";
        char* state = nullptr;
        unsigned count = 0;
        for (char* token = strtok_r(scratch.data(), separators, &state); token != nullptr;
             token = strtok_r(nullptr, separators, &state)) {
            tokens.emplace_back();
            tokens.back().Append(token);
            ++count;
        }
        return count;
    }

private:
    // The most storage a text may take: lengths are 32-bit words.
    static constexpr uint32_t kLargest = UINT32_MAX / 2;

    static uint32_t StorageFor(uint32_t need)
    {
        if (need <= N)
            return N;
        return (need + N - 1) / N * N;
    }

    void Swap(datastring& other) noexcept
    {
        std::swap(data, other.data);
        std::swap(capacity, other.capacity);
        std::swap(length, other.length);
    }

    // Leaves an empty text in a fresh, zeroed allocation.
    void Replace(uint32_t newCapacity)
    {
        char* fresh = new char[newCapacity]();
        delete[] data;
        data = fresh;
        capacity = newCapacity;
        length = 1;
    }

    // `bytes` may point into our own storage (appending a string to itself),
    // so the old storage is freed only after the copy. A text that would
    // pass the largest storage is left as it is.
    void AppendBytes(const char* bytes, uint32_t count)
    {
        if (count == 0 || count > kLargest - length)
            return;
        const uint32_t need = length + count;
        if (need > capacity) {
            const uint32_t grownCapacity = StorageFor(std::max(need, capacity + capacity / 2));
            char* grown = new char[grownCapacity]();
            std::memcpy(grown, data, length - 1);
            std::memcpy(grown + length - 1, bytes, count);
            delete[] data;
            data = grown;
            capacity = grownCapacity;
        } else {
            std::memmove(data + length - 1, bytes, count);
            data[need - 1] = 0;
        }
        length = need;
    }
};

}  // namespace kvor::data
