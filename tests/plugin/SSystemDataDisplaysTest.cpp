// The system report's screen lines, made from the monitors the toolkit
// finds on a real X server, and when the inquiry reads them.
#include <gtest/gtest.h>

#include "gui/Connections.h"
#include "gui/SDisplay.h"
#include "plugin/SSystemData.h"
#include "tests/gui/ToolkitDisplay.h"

#include <string>
#include <vector>

namespace tarvenna::test {
namespace {

using Rects = std::vector<kvor::gui::SDisplay::Rect>;

// RandR answers Xinerama questions on its own, so both go.
const std::vector<std::string> kNoXinerama{"-extension", "XINERAMA", "-extension", "RANDR"};

TEST(DisplayInquiry, AWideScreenIsReportedAsTheGuessedMonitorsAndReadOnce)
{
    ToolkitDisplay server({"3840x1024x24"}, kNoXinerama);
    ASSERT_TRUE(server.ready()) << server.error();
    kvor::system::SSystemData sd;
    sd.getDisplayInfos();
    ASSERT_NE(sd.displays, nullptr);
    const std::string report = sd.FeatureMessage().data;
    EXPECT_NE(report.find("Screensize: 3840 x 1024\nestimation (due to lack of information): "
                          "\nDisplay 1: 1280 x 1024 @ [X=0, Y=0]"
                          "\nDisplay 2: 1280 x 1024 @ [X=1280, Y=0]"
                          "\nDisplay 3: 1280 x 1024 @ [X=2560, Y=0]\n"),
              std::string::npos)
        << report;
    kvor::gui::SDisplay* first = sd.displays;
    sd.getDisplayInfos();
    EXPECT_EQ(sd.displays, first) << "read once";
}

TEST(DisplayInquiry, AnOrdinaryScreenIsOneMonitor)
{
    ToolkitDisplay server({"1920x1080x24"}, kNoXinerama);
    ASSERT_TRUE(server.ready()) << server.error();
    kvor::system::SSystemData sd;
    sd.getDisplayInfos();
    ASSERT_NE(sd.displays, nullptr);
    EXPECT_EQ(sd.displays->Monitors(), (Rects{{0, 0, 1920, 1080}}));
    EXPECT_FALSE(sd.displays->Split());
    const std::string report = sd.FeatureMessage().data;
    EXPECT_NE(report.find("Screensize: 1920 x 1080\nDisplay 1: 1920 x 1080 @ [X=0, Y=0]\n"),
              std::string::npos)
        << report;
}

// The inquiry waits for a connection rather than keep an empty answer.
TEST(DisplayInquiry, WithoutAnXServerItAsksAgainOnceThereIsOne)
{
    Display* const loaded = dps;
    dps = nullptr;
    kvor::system::SSystemData sd;
    sd.getDisplayInfos();
    EXPECT_EQ(sd.displays, nullptr);
    EXPECT_NE(std::string(sd.FeatureMessage().data).find("Screensize: 0 x 0\n"), std::string::npos);
    dps = loaded;
    ToolkitDisplay server({"800x600x24"});
    ASSERT_TRUE(server.ready()) << server.error();
    sd.getDisplayInfos();
    ASSERT_NE(sd.displays, nullptr);
    EXPECT_EQ(sd.displays->Count(), 1);
}

}  // namespace
}  // namespace tarvenna::test
