// The processor as /proc/cpuinfo describes it, with the processor's own
// answer as a fallback for the core count.
#pragma once

#include <cstdint>

namespace kvor::system {

class SCpuData {
public:
    static constexpr unsigned kTextSize = 256;
    enum Feature : uint32_t { kMMX = 1, kSSE = 2, kSSE2 = 4, k3DNow = 8 };

    int32_t count;
    int32_t mhz;
    int32_t reserved;
    uint32_t features;
    char vendor[kTextSize];
    char model[kTextSize];

    SCpuData();

    // Examines only the first 2048 bytes of the file: the first processor's
    // entry, which is all the check needs. A missing or empty file leaves
    // everything 0 and says so on standard error.
    void Query(const char* cpuinfoPath);

private:
    void ReadVendor(const char* info);
    void ReadModel(const char* info);
    void ReadClock(const char* info);
    void ReadFeatures(const char* info);
    void ReadCount(const char* info);
};

// Nearest integer with halves to the even neighbour, done by hand so that a
// host that changed the rounding mode does not change the answer. Values
// outside the 32-bit range give 0.
int32_t RoundHalfEven(float value);

// What the system itself says when cpuinfo has no "cpu cores" line: the
// online processors, or the logical count of a hyper-threading family 15
// processor.
int32_t SystemCoreCount();

}  // namespace kvor::system
