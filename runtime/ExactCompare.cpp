#include "runtime/ExactCompare.h"

#include <cstdint>
#include <locale>
#include <strings.h>

namespace kvor::data {
namespace {

enum : int {
    kCharwise = -1,
    kCharwiseAlias = -3,
    kDigitsLast = -5,
    kNumeric = 15,
};

// The user's locale decides what "lower case" means; a broken environment
// must not stop sorting, so fall back to the classic rules.
const std::ctype<char>& Classification()
{
    static const std::locale locale = [] {
        try {
            return std::locale("");
        } catch (...) {
            return std::locale::classic();
        }
    }();
    static const std::ctype<char>& facet = std::use_facet<std::ctype<char>>(locale);
    return facet;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits (or numbers) rank above every character, so comparing keys
// compares rank first, then value.
struct SortKey {
    int rank;
    int64_t value;
    uint64_t number;
};

int CompareKeys(const SortKey& left, const SortKey& right)
{
    if (left.rank != right.rank)
        return left.rank < right.rank ? -1 : 1;
    if (left.value != right.value)
        return left.value < right.value ? -1 : 1;
    if (left.number != right.number)
        return left.number < right.number ? -1 : 1;
    return 0;
}

// Wraps on overflow rather than saturating: such numbers are not meant to
// sort meaningfully, only deterministically.
uint64_t NumberAt(const char* text)
{
    uint64_t number = 0;
    for (; IsDigit(*text); ++text)
        number = number * 10 + static_cast<uint64_t>(*text - '0');
    return number;
}

// Characters are compared as signed bytes so that anything at or above 0x80
// sorts before plain ASCII, the order users of the lists are used to.
SortKey KeyAt(const char* text, int mode)
{
    const char c = *text;
    if (IsDigit(c) && mode == kDigitsLast)
        return {1, c - '0', 0};
    if (IsDigit(c) && mode == kNumeric)
        return {1, 0, NumberAt(text)};
    const char lowered = Classification().tolower(c);
    return {0, static_cast<signed char>(lowered), 0};
}

int Walk(const char* a, const char* b, int mode)
{
    for (; *a != 0 && *b != 0; ++a, ++b) {
        const int order = CompareKeys(KeyAt(a, mode), KeyAt(b, mode));
        if (order != 0)
            return order;
    }
    if (*a == 0 && *b == 0)
        return 0;
    return *a == 0 ? -1 : 1;
}

bool IsWalkingMode(int mode)
{
    return mode == kCharwise || mode == kCharwiseAlias || mode == kDigitsLast || mode == kNumeric;
}

bool IsIndifferentMode(int mode) { return (mode & ~(2 | 4 | 8)) == 0; }

}  // namespace

int ExactCompare(const char* a, const char* b, int mode)
{
    if (a == b)
        return 0;
    if (a == nullptr)
        return -1;
    if (b == nullptr)
        return 1;
    if (IsWalkingMode(mode))
        return Walk(a, b, mode == kCharwiseAlias ? kCharwise : mode);
    if (IsIndifferentMode(mode))
        return 0;
    return strcasecmp(a, b);
}

}  // namespace kvor::data
