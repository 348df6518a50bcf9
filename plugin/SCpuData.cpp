#include "plugin/SCpuData.h"

#include "plugin/SProcFiles.h"

#include <cpuid.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kvor::system {

namespace {

constexpr std::size_t kInfoLimit = 2048;

// Reads "<label> : <integer>" the way sscanf's "%i" does (any base prefix),
// with the label already found at `at`, but clamps instead of overflowing.
bool ReadLabelledInt(const char* at, const char* label, int32_t& value)
{
    const char* p = at + std::strlen(label);
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (*p != ':')
        return false;
    ++p;
    char* end = nullptr;
    const long long number = std::strtoll(p, &end, 0);
    if (end == p)
        return false;
    value = static_cast<int32_t>(number < INT_MIN ? INT_MIN : number > INT_MAX ? INT_MAX : number);
    return true;
}

// Copies from `from` up to the end of its line, at most `size` - 1 chars.
void CopyLine(char* to, std::size_t size, const char* from)
{
    std::size_t n = 0;
    while (n + 1 < size && from[n] != 0 && from[n] != '\n')
        ++n;
    std::memcpy(to, from, n);
    to[n] = 0;
}

}  // namespace

SCpuData::SCpuData() : count(0), mhz(0), reserved(0), features(0), vendor{}, model{} {}

void SCpuData::Query(const char* cpuinfoPath)
{
    count = 0;
    mhz = 0;
    features = 0;
    vendor[0] = 0;
    model[0] = 0;
    char info[kInfoLimit + 1];
    const long read = ReadProcFile(cpuinfoPath, info, kInfoLimit);
    if (read < 0) {
        std::fputs("Error: Reading /proc/cpuinfo failed (not found).", stderr);
        return;
    }
    if (read == 0) {
        std::fputs("Error: Reading /proc/cpuinfo failed (no data).", stderr);
        return;
    }
    ReadVendor(info);
    ReadModel(info);
    ReadClock(info);
    ReadFeatures(info);
    ReadCount(info);
}

void SCpuData::ReadVendor(const char* info)
{
    const char* at = std::strstr(info, "vendor_id");
    if (at && std::sscanf(at, "vendor_id : %255s", vendor) != 1)
        vendor[0] = 0;
}

void SCpuData::ReadModel(const char* info)
{
    const char* at = std::strstr(info, "model name");
    const char* colon = at ? std::strchr(at, ':') : nullptr;
    // The text starts two characters after the colon; a colon that ends the
    // line or the buffer has no text after it.
    if (!colon || colon[1] == 0 || colon[1] == '\n')
        return;
    CopyLine(model, kTextSize, colon + 2);
}

void SCpuData::ReadClock(const char* info)
{
    const char* at = std::strstr(info, "cpu MHz");
    const char* separator = at ? std::strstr(at, ": ") : nullptr;
    if (!separator)
        return;
    // Cut at the line end first, so an empty value cannot pick up the
    // number of the next line.
    char line[64];
    CopyLine(line, sizeof line, separator + 2);
    mhz = RoundHalfEven(static_cast<float>(ParseDecimal(line)));
}

void SCpuData::ReadFeatures(const char* info)
{
    // Plain substring searches, as the flags line is a list of words; any
    // occurrence counts ("sse2" alone also means SSE).
    if (std::strstr(info, "mmx"))
        features |= kMMX;
    if (std::strstr(info, "3dnow"))
        features |= k3DNow;
    if (std::strstr(info, "sse"))
        features |= kSSE;
    if (std::strstr(info, "sse2"))
        features |= kSSE2;
}

void SCpuData::ReadCount(const char* info)
{
    const char* at = std::strstr(info, "processor");
    if (!at)
        return;
    // Most kernels number the first processor 0; a larger first number is
    // taken as the count itself.
    int32_t number = 0;
    ReadLabelledInt(at, "processor", number);
    if (number > 0) {
        count = number;
        return;
    }
    const char* cores = std::strstr(info, "cpu cores");
    if (!cores) {
        count = SystemCoreCount();
        return;
    }
    int32_t coreCount = 0;
    ReadLabelledInt(cores, "cpu cores", coreCount);
    count = coreCount;
}

int32_t RoundHalfEven(float value)
{
    const double v = value;
    if (!(v > -2147483648.0 && v < 2147483647.0))
        return 0;
    const double below = std::floor(v);
    const double fraction = v - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    return static_cast<int32_t>(rounded);
}

int32_t SystemCoreCount()
{
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    int32_t number = online > 0 && online <= INT_MAX ? static_cast<int32_t>(online) : 0;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || edx == 0)
        return number;
    const unsigned family = (eax >> 8) & 0xF;
    const bool hyperThreading = (edx & (1u << 28)) != 0;
    const unsigned logical = (ebx >> 16) & 0xFF;
    if (family == 15 && hyperThreading && logical > 1)
        number = static_cast<int32_t>(logical);
    return number;
}

}  // namespace kvor::system
