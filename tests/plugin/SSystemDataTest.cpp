#include "plugin/SSystemData.h"

#include "ProcFilesFixture.h"

#include <string>

using kvor::system::SSystemData;

namespace {

const char kRule[] = "========================================\n";

class SystemInquiry : public ProcFilesFixture {
protected:
    // Runs the load-time queries on the scratch files; stderr is kept so a
    // missing cpuinfo does not clutter the test output.
    void Inquire(const std::string& cpuinfo, const std::string& release)
    {
        if (!cpuinfo.empty())
            WriteCpuinfo(cpuinfo);
        WriteKernel("Linux\n", release, "#1 SMP\n");
        testing::internal::CaptureStderr();
        sd.getOSInfos(files);
        sd.getCPUInfos(files);
        sd.getDisplayInfos();
        stderrText = testing::internal::GetCapturedStderr();
    }

    SSystemData sd;
    std::string stderrText;
};

const char kMmxCpu[] = "processor : 0\nvendor_id : GenuineIntel\nmodel name : Test CPU\n"
                       "cpu MHz : 2399.5\ncpu cores : 4\nflags : fpu mmx\n";

// Construction and copying of the raw data.

TEST_F(SystemInquiry, StartsWithEverythingZeroAndEmpty)
{
    EXPECT_EQ(sd.displays, nullptr);
    EXPECT_EQ(sd.cpuMHz, 0);
    EXPECT_EQ(sd.reserved, 0);
    EXPECT_EQ(sd.cpuCount, 0);
    EXPECT_EQ(sd.hasSSE + sd.hasSSE2 + sd.hasMMX + sd.has3DNow + sd.osSupported, 0);
    EXPECT_STREQ(sd.cpuText.data, "");
    EXPECT_STREQ(sd.osText.data, "");
    EXPECT_FALSE(sd.Qualifies(false, false));
}

TEST_F(SystemInquiry, CopiesProcessorAndSystemData)
{
    Inquire(kMmxCpu, "2.6.32\n");
    EXPECT_EQ(sd.cpuMHz, 2400);
    EXPECT_EQ(sd.cpuCount, 4);
    EXPECT_EQ(sd.hasMMX, 1);
    EXPECT_EQ(sd.hasSSE + sd.hasSSE2 + sd.has3DNow, 0);
    EXPECT_EQ(sd.osSupported, 1);
    EXPECT_STREQ(sd.osText.data, "Linux\n2.6.32\n#1 SMP\n");
    EXPECT_STREQ(sd.cpuText.data, "CPU Type: GenuineIntel\nCPU Model: Test CPU\nCPU Count: 4");
    EXPECT_EQ(stderrText, "");
}

TEST_F(SystemInquiry, SetsEveryFeatureFlag)
{
    Inquire("processor : 2\nflags : mmx 3dnow sse2\n", "2.6\n");
    EXPECT_EQ(sd.hasMMX, 1);
    EXPECT_EQ(sd.has3DNow, 1);
    EXPECT_EQ(sd.hasSSE, 1);
    EXPECT_EQ(sd.hasSSE2, 1);
    EXPECT_STREQ(sd.cpuText.data, "CPU Type: \nCPU Model: \nCPU Count: 2");
}

TEST_F(SystemInquiry, RepeatedQueriesReplaceTheTexts)
{
    Inquire(kMmxCpu, "2.6.32\n");
    Inquire("processor : 1\nvendor_id : AuthenticAMD\n", "3.0\n");
    EXPECT_STREQ(sd.cpuText.data, "CPU Type: AuthenticAMD\nCPU Model: \nCPU Count: 1");
    EXPECT_STREQ(sd.osText.data, "Linux\n3.0\n#1 SMP\n");
    EXPECT_EQ(sd.hasMMX, 0);
}

// The requirements check.

TEST_F(SystemInquiry, MmxAndCurrentReleaseQualify)
{
    Inquire(kMmxCpu, "2.6.32\n");
    EXPECT_TRUE(sd.Qualifies(false, false));
    EXPECT_FALSE(sd.Qualifies(true, false));
    EXPECT_FALSE(sd.Qualifies(false, true));
}

TEST_F(SystemInquiry, OldReleaseRefusesWhateverTheProcessor)
{
    const std::string everything = "processor : 0\nflags : mmx sse sse2 3dnow\n";
    for (const char* release : {"2.4.37\n", "2.4"}) {
        Inquire(everything, release);
        EXPECT_FALSE(sd.Qualifies(false, false)) << release;
        EXPECT_FALSE(sd.Qualifies(true, true)) << release;
    }
}

TEST_F(SystemInquiry, MissingReleaseFileLeavesTheSystemAccepted)
{
    WriteCpuinfo(kMmxCpu);
    Write(ostypePath, "Linux\n");
    sd.getOSInfos(files);
    sd.getCPUInfos(files);
    EXPECT_EQ(sd.osSupported, 1);
    EXPECT_TRUE(sd.Qualifies(false, false));
}

TEST_F(SystemInquiry, MissingCpuinfoReportsAndRefuses)
{
    Inquire("", "2.6.32\n");
    EXPECT_EQ(stderrText, "Error: Reading /proc/cpuinfo failed (not found).");
    EXPECT_EQ(sd.hasMMX, 0);
    EXPECT_EQ(sd.cpuCount, 0);
    EXPECT_FALSE(sd.Qualifies(false, false));
}

TEST_F(SystemInquiry, SseRequirementsNeedTheirFeatures)
{
    Inquire("processor : 0\nflags : mmx sse\n", "2.6\n");
    EXPECT_TRUE(sd.Qualifies(true, false));
    EXPECT_FALSE(sd.Qualifies(true, true));
    EXPECT_FALSE(sd.Qualifies(false, true));
    Inquire("processor : 0\nflags : mmx sse2\n", "2.6\n");
    EXPECT_TRUE(sd.Qualifies(true, true));
    Inquire("processor : 0\nflags : sse sse2\n", "2.6\n");
    EXPECT_FALSE(sd.Qualifies(true, true));
}

TEST_F(SystemInquiry, EachRequirementLevelChecksEveryFlag)
{
    // Flags set by hand, so that SSE2 without SSE can be tried as well.
    struct Case {
        uint8_t os, mmx, sse, sse2;
        bool plain, withSse, withSse2;
    };
    const Case cases[] = {
        {1, 1, 1, 1, true, true, true},    {0, 1, 1, 1, false, false, false},
        {1, 0, 1, 1, false, false, false}, {1, 1, 0, 1, true, false, false},
        {1, 1, 1, 0, true, true, false},   {1, 1, 0, 0, true, false, false},
    };
    for (const Case& c : cases) {
        sd.osSupported = c.os;
        sd.hasMMX = c.mmx;
        sd.hasSSE = c.sse;
        sd.hasSSE2 = c.sse2;
        const int row = static_cast<int>(&c - cases);
        EXPECT_EQ(sd.Qualifies(false, false), c.plain) << row;
        EXPECT_EQ(sd.Qualifies(true, false), c.withSse) << row;
        EXPECT_EQ(sd.Qualifies(false, true), c.withSse2) << row;
        EXPECT_EQ(sd.Qualifies(true, true), c.withSse2) << row;
    }
}

// The deficiency report.

std::string ErrorHead()
{
    return std::string(kRule) + "\nE R R O R\n\n" + "This Computer doesn't meet\n" +
           "the following necessary reqs\n" + "to operate this software:\n";
}

TEST_F(SystemInquiry, ErrorMessageNamesMissingMmxOnly)
{
    Inquire("processor : 0\nflags : fpu\n", "2.6.32\n");
    const std::string expected = ErrorHead() + "\n" + "\nMMX: not available." + "\n" + kRule;
    EXPECT_EQ(std::string(sd.ErrorMessage(false, false).data), expected);
}

TEST_F(SystemInquiry, ErrorMessageAddsSseLinesWhenAskedFor)
{
    Inquire("processor : 0\nflags : fpu\n", "2.6.32\n");
    const std::string expected = ErrorHead() + "\n" + "\nMMX: not available." +
                                 "\nSSE: not available." + "\nSSE2: not available." + "\n" + kRule;
    EXPECT_EQ(std::string(sd.ErrorMessage(true, true).data), expected);
    const std::string sseOnly =
        ErrorHead() + "\n" + "\nMMX: not available." + "\nSSE: not available." + "\n" + kRule;
    EXPECT_EQ(std::string(sd.ErrorMessage(true, false).data), sseOnly);
}

TEST_F(SystemInquiry, ErrorMessageShowsTheRefusedSystem)
{
    Inquire(kMmxCpu, "2.4.37\n");
    const std::string expected = ErrorHead() + "Linux\n2.4.37\n#1 SMP\n" + "\n" + "\n" + kRule;
    EXPECT_EQ(std::string(sd.ErrorMessage(false, false).data), expected);
}

// The system report.

TEST_F(SystemInquiry, FeatureMessageLaysOutTheWholeSystem)
{
    Inquire("processor : 0\nvendor_id : GenuineIntel\nmodel name : Test CPU\n"
            "cpu cores : 4\nflags : mmx sse\n",
            "2.6.32\n");
    const std::string separator = "\n---------------------------------------\n";
    const std::string expected =
        std::string(kRule) + "\nS Y S T E M\n\n" + kRule + "Linux\n2.6.32\n#1 SMP\n" + separator +
        "CPU Type: GenuineIntel\nCPU Model: Test CPU\nCPU Count: 4" +
        "\n[ MMX: available ]\n[ SSE: available ]\n[ SSE2: not available ]" + separator +
        "Screensize: 0 x 0" + "\n" + kRule;
    EXPECT_EQ(std::string(sd.FeatureMessage().data), expected);
}

TEST_F(SystemInquiry, FeatureMessageOfAnEmptyInquiry)
{
    const std::string separator = "\n---------------------------------------\n";
    const std::string expected =
        std::string(kRule) + "\nS Y S T E M\n\n" + kRule + separator +
        "\n[ MMX: not available ]\n[ SSE: not available ]\n[ SSE2: not available ]" + separator +
        "Screensize: 0 x 0\n" + kRule;
    EXPECT_EQ(std::string(sd.FeatureMessage().data), expected);
}

// This machine, as the loader sees it.

TEST(SystemInquiryOfThisMachine, Qualifies)
{
    SSystemData sd;
    sd.getOSInfos();
    sd.getCPUInfos();
    sd.getDisplayInfos();
    EXPECT_EQ(sd.osSupported, 1) << sd.osText.data;
    EXPECT_EQ(sd.hasMMX, 1) << sd.cpuText.data;
    EXPECT_TRUE(sd.Qualifies(false, false));
    EXPECT_GE(sd.cpuCount, 1);
    EXPECT_EQ(std::string(sd.cpuText.data).rfind("CPU Type: ", 0), 0u);
    EXPECT_NE(std::string(sd.osText.data).find("Linux"), std::string::npos);
}

}  // namespace
