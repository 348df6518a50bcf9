#include "plugin/SScreenSummary.h"

#include <gtest/gtest.h>

#include <string>

using kvor::system::AppendScreenReport;
using kvor::system::SScreenSummary;

namespace {

std::string Report(const SScreenSummary& screen)
{
    kvor::data::datastring<32, char> text;
    AppendScreenReport(text, screen);
    return text.data;
}

TEST(ScreenReport, NoDisplayReadsZeroByZero)
{
    EXPECT_EQ(Report(SScreenSummary()), "Screensize: 0 x 0");
}

TEST(ScreenReport, ListsEachMonitorNumberedFromOne)
{
    SScreenSummary screen;
    screen.width = 3200;
    screen.height = 1200;
    screen.monitors = {{0, 0, 1920, 1200}, {1920, 120, 1280, 1024}};
    EXPECT_EQ(Report(screen), "Screensize: 3200 x 1200"
                              "\nDisplay 1: 1920 x 1200 @ [X=0, Y=0]"
                              "\nDisplay 2: 1280 x 1024 @ [X=1920, Y=120]");
}

TEST(ScreenReport, EstimatedSizesAreFlagged)
{
    SScreenSummary screen;
    screen.width = 1024;
    screen.height = 768;
    screen.estimated = true;
    screen.monitors = {{-1024, 0, 1024, 768}};
    EXPECT_EQ(Report(screen), "Screensize: 1024 x 768"
                              "\nestimation (due to lack of information): "
                              "\nDisplay 1: 1024 x 768 @ [X=-1024, Y=0]");
}

}  // namespace
