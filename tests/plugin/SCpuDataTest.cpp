#include "plugin/SCpuData.h"

#include "ProcFilesFixture.h"

#include <unistd.h>

#include <cstring>
#include <string>

using kvor::system::SCpuData;

namespace {

const char kIntelBlock[] = "processor\t: 0\n"
                           "vendor_id\t: GenuineIntel\n"
                           "cpu family\t: 6\n"
                           "model name\t: Intel(R) Core(TM) i5 CPU @ 2.60GHz\n"
                           "cpu MHz\t\t: 2599.998\n"
                           "cpu cores\t: 4\n"
                           "flags\t\t: fpu vme mmx fxsr sse sse2 ht\n"
                           "\n";

class CpuQuery : public ProcFilesFixture {
protected:
    SCpuData Query(const std::string& cpuinfo)
    {
        WriteCpuinfo(cpuinfo);
        SCpuData cpu;
        cpu.Query(files.cpuinfo);
        return cpu;
    }
};

// Reading the fields of the first processor entry.

TEST_F(CpuQuery, ReadsVendorModelClockFeaturesAndCount)
{
    SCpuData cpu = Query(kIntelBlock);
    EXPECT_STREQ(cpu.vendor, "GenuineIntel");
    EXPECT_STREQ(cpu.model, "Intel(R) Core(TM) i5 CPU @ 2.60GHz");
    EXPECT_EQ(cpu.mhz, 2600);
    EXPECT_EQ(cpu.features, SCpuData::kMMX | SCpuData::kSSE | SCpuData::kSSE2);
    EXPECT_EQ(cpu.count, 4);
    EXPECT_EQ(cpu.reserved, 0);
}

TEST_F(CpuQuery, VendorIsOneWordLimitedTo255Characters)
{
    SCpuData cpu = Query("vendor_id : " + std::string(300, 'V') + " tail\n");
    EXPECT_EQ(std::string(cpu.vendor), std::string(255, 'V'));
    EXPECT_STREQ(Query("vendor_id : AuthenticAMD extra\n").vendor, "AuthenticAMD");
}

TEST_F(CpuQuery, ModelIsCutAtLineEndAndAt255Characters)
{
    EXPECT_STREQ(Query("model name : Test CPU\nstepping : 1\n").model, "Test CPU");
    SCpuData cpu = Query("model name : " + std::string(400, 'M') + "\n");
    EXPECT_EQ(std::string(cpu.model), std::string(255, 'M'));
}

TEST_F(CpuQuery, ModelStartsTwoCharactersAfterTheColon)
{
    // The kernel writes ": "; a tab after the colon is taken as the gap.
    EXPECT_STREQ(Query("model name\t:\tK6-2\n").model, "K6-2");
    EXPECT_STREQ(Query("model name:  two\n").model, " two");
}

TEST_F(CpuQuery, ModelWithNothingAfterTheColonIsEmpty)
{
    // Neither the next line nor bytes past the end may become the model.
    EXPECT_STREQ(Query("model name :\nstepping : 1\n").model, "");
    EXPECT_STREQ(Query("model name :").model, "");
    EXPECT_STREQ(Query("model name").model, "");
}

TEST_F(CpuQuery, ModelColonAtTheEndOfTheExaminedBytesStaysInBounds)
{
    // The colon is the 2048th byte: the text two characters further on
    // would lie past the buffer's terminator.
    std::string info(2048 - 12, '#');
    info += "model name :more text after the examined bytes\n";
    SCpuData cpu = Query(info);
    EXPECT_STREQ(cpu.model, "");
}

TEST_F(CpuQuery, MissingFieldsStayEmpty)
{
    SCpuData cpu = Query("flags : fpu\n");
    EXPECT_STREQ(cpu.vendor, "");
    EXPECT_STREQ(cpu.model, "");
    EXPECT_EQ(cpu.mhz, 0);
    EXPECT_EQ(cpu.features, 0u);
    EXPECT_EQ(cpu.count, 0);
}

// Clock rounding.

TEST_F(CpuQuery, ClockRoundsToNearestWithHalvesToEven)
{
    EXPECT_EQ(Query("cpu MHz : 2399.5\n").mhz, 2400);
    EXPECT_EQ(Query("cpu MHz : 2398.5\n").mhz, 2398);
    EXPECT_EQ(Query("cpu MHz : 1000.49\n").mhz, 1000);
    EXPECT_EQ(Query("cpu MHz\t\t: 800.000\n").mhz, 800);
}

TEST_F(CpuQuery, ClockWithoutValueOnItsLineIsZero)
{
    EXPECT_EQ(Query("cpu MHz\t\t: \nbogomips : 5000\n").mhz, 0);
    EXPECT_EQ(Query("cpu MHz : fast\n").mhz, 0);
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbourBothSigns)
{
    using kvor::system::RoundHalfEven;
    EXPECT_EQ(RoundHalfEven(0.5f), 0);
    EXPECT_EQ(RoundHalfEven(1.5f), 2);
    EXPECT_EQ(RoundHalfEven(2.5f), 2);
    EXPECT_EQ(RoundHalfEven(-2.5f), -2);
    EXPECT_EQ(RoundHalfEven(-3.5f), -4);
    EXPECT_EQ(RoundHalfEven(2.51f), 3);
}

TEST(RoundHalfEven, ValuesOutside32BitsGiveZero)
{
    using kvor::system::RoundHalfEven;
    EXPECT_EQ(RoundHalfEven(1e20f), 0);
    EXPECT_EQ(RoundHalfEven(-1e20f), 0);
    EXPECT_EQ(RoundHalfEven(__builtin_nanf("")), 0);
    EXPECT_EQ(RoundHalfEven(__builtin_inff()), 0);
}

// Feature flags.

TEST_F(CpuQuery, FeaturesAreFoundAsSubstrings)
{
    EXPECT_EQ(Query("flags : fpu sse2\n").features, SCpuData::kSSE | SCpuData::kSSE2);
    EXPECT_EQ(Query("flags : mmx 3dnow\n").features, SCpuData::kMMX | SCpuData::k3DNow);
    EXPECT_EQ(Query("flags : fpu sse\n").features, SCpuData::kSSE);
    EXPECT_EQ(Query("flags : fpu mmxext\n").features, SCpuData::kMMX);
}

TEST_F(CpuQuery, OnlyTheFirst2048BytesAreExamined)
{
    std::string info = "processor : 0\ncpu cores : 2\n";
    info.resize(2048 - 3, '#');
    info += "mmx sse";
    SCpuData cpu = Query(info);
    EXPECT_EQ(cpu.features, SCpuData::kMMX);
}

// Core count.

TEST_F(CpuQuery, FirstProcessorNumberedZeroTakesCpuCores)
{
    EXPECT_EQ(Query("processor : 0\ncpu cores : 4\n").count, 4);
}

TEST_F(CpuQuery, FirstProcessorNumberAboveZeroIsTheCount)
{
    EXPECT_EQ(Query("processor : 3\ncpu cores : 4\n").count, 3);
}

TEST_F(CpuQuery, NoProcessorLineLeavesCountZero)
{
    EXPECT_EQ(Query("cpu cores : 4\nflags : mmx\n").count, 0);
}

TEST_F(CpuQuery, NoCpuCoresLineAsksTheSystem)
{
    SCpuData cpu = Query("processor : 0\nflags : mmx\n");
    EXPECT_EQ(cpu.count, kvor::system::SystemCoreCount());
    EXPECT_GE(cpu.count, 1);
}

TEST(SystemCoreCount, IsAtLeastTheOnlineProcessorsOrTheLogicalCount)
{
    // Only a hyper-threading family 15 processor replaces the online count.
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    const int32_t count = kvor::system::SystemCoreCount();
    EXPECT_GE(count, 1);
    EXPECT_TRUE(count == online || count > 1) << count << " vs " << online;
}

TEST_F(CpuQuery, CountNumbersReadLikeScanfIntegers)
{
    // "%i" takes base prefixes, and an absurd number must not overflow.
    EXPECT_EQ(Query("processor : 0x10\n").count, 16);
    EXPECT_EQ(Query("processor : 0\ncpu cores : 99999999999\n").count, 2147483647);
}

// Unreadable files.

TEST_F(CpuQuery, MissingFileSaysNotFoundAndLeavesAllZero)
{
    SCpuData cpu;
    std::strcpy(cpu.vendor, "stale");
    cpu.features = SCpuData::kMMX;
    testing::internal::CaptureStderr();
    cpu.Query(files.cpuinfo);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Reading /proc/cpuinfo failed (not found).");
    EXPECT_EQ(cpu.features, 0u);
    EXPECT_EQ(cpu.count, 0);
    EXPECT_EQ(cpu.mhz, 0);
    EXPECT_STREQ(cpu.vendor, "");
}

TEST_F(CpuQuery, EmptyFileSaysNoData)
{
    WriteCpuinfo("");
    SCpuData cpu;
    testing::internal::CaptureStderr();
    cpu.Query(files.cpuinfo);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Reading /proc/cpuinfo failed (no data).");
    EXPECT_EQ(cpu.features, 0u);
    EXPECT_EQ(cpu.count, 0);
}

}  // namespace
