#include "plugin/SOperatingSystemData.h"

#include "ProcFilesFixture.h"

#include <cstring>
#include <string>

using kvor::system::SOperatingSystemData;

namespace {

class OperatingSystemQuery : public ProcFilesFixture {
protected:
    SOperatingSystemData Query()
    {
        SOperatingSystemData os;
        os.Query(files);
        return os;
    }
};

TEST_F(OperatingSystemQuery, StartsEmptyAndUnqueried)
{
    SOperatingSystemData os;
    EXPECT_STREQ(os.text, "");
    EXPECT_EQ(os.releaseAccepted, 0);
    EXPECT_EQ(os.queried, 0);
}

TEST_F(OperatingSystemQuery, JoinsTheThreeFilesInOrderAsTheyAre)
{
    WriteKernel("Linux\n", "2.6.32\n", "#1 SMP Tue Jan 1\n");
    SOperatingSystemData os = Query();
    EXPECT_STREQ(os.text, "Linux\n2.6.32\n#1 SMP Tue Jan 1\n");
    EXPECT_EQ(os.queried, 1);
    EXPECT_EQ(os.releaseAccepted, 1);
}

TEST_F(OperatingSystemQuery, ReleasesFromTwoPointSixOnAreAccepted)
{
    // Compared as numbers: 10.2 is newer than 2.6, and 2.41 just above 2.4.
    for (const char* release : {"2.6.32\n", "2.41", "3.0", "6.1.0-13-amd64\n", "10.2"}) {
        WriteRelease(release);
        EXPECT_EQ(Query().releaseAccepted, 1) << release;
    }
}

TEST_F(OperatingSystemQuery, ReleasesUpToTwoPointFourAreRefused)
{
    // 2.4 itself reads as less than 2.4 held in single precision.
    for (const char* release : {"2.4.37\n", "2.4", "2.4\n", "2.2.20", "1.0"}) {
        WriteRelease(release);
        EXPECT_EQ(Query().releaseAccepted, 0) << release;
    }
}

TEST_F(OperatingSystemQuery, ReleaseThatIsNoNumberIsRefused)
{
    // strtod reads nothing, giving 0.
    WriteRelease("unknown\n");
    EXPECT_EQ(Query().releaseAccepted, 0);
}

TEST_F(OperatingSystemQuery, MissingFilesAddNothingAndKeepTheReleaseAccepted)
{
    Write(ostypePath, "Linux\n");
    SOperatingSystemData os = Query();
    EXPECT_STREQ(os.text, "Linux\n");
    EXPECT_EQ(os.releaseAccepted, 1);
    EXPECT_EQ(os.queried, 1);
}

TEST_F(OperatingSystemQuery, EmptyReleaseFileAddsNothingAndIsAccepted)
{
    WriteKernel("Linux\n", "", "#1\n");
    SOperatingSystemData os = Query();
    EXPECT_STREQ(os.text, "Linux\n#1\n");
    EXPECT_EQ(os.releaseAccepted, 1);
}

TEST_F(OperatingSystemQuery, FileFillingTheWholeBufferIsLeftOut)
{
    // A release file of 4096 bytes is neither shown nor judged.
    WriteKernel("Linux\n", "2.0" + std::string(4093, ' '), "#1\n");
    SOperatingSystemData os = Query();
    EXPECT_STREQ(os.text, "Linux\n#1\n");
    EXPECT_EQ(os.releaseAccepted, 1);
}

TEST_F(OperatingSystemQuery, FileJustBelowTheLimitIsTakenAndCut)
{
    WriteKernel("Linux\n", "2.0" + std::string(4092, 'r'), "#1\n");
    SOperatingSystemData os = Query();
    EXPECT_EQ(os.releaseAccepted, 0);
    EXPECT_EQ(std::strlen(os.text), SOperatingSystemData::kTextSize - 1);
    EXPECT_EQ(std::string(os.text, 9), "Linux\n2.0");
}

TEST_F(OperatingSystemQuery, TextIsCutAt255Characters)
{
    WriteKernel("Linux\n", "2.6.32\n", std::string(300, 'v'));
    SOperatingSystemData os = Query();
    const std::string expected = "Linux\n2.6.32\n" + std::string(255 - 13, 'v');
    EXPECT_EQ(std::string(os.text), expected);
}

TEST_F(OperatingSystemQuery, RepeatedQueryStartsAfresh)
{
    WriteKernel("Linux\n", "2.4.37\n", "#1\n");
    SOperatingSystemData os;
    os.Query(files);
    WriteRelease("2.6.32\n");
    os.Query(files);
    EXPECT_STREQ(os.text, "Linux\n2.6.32\n#1\n");
    EXPECT_EQ(os.releaseAccepted, 1);
}

}  // namespace
