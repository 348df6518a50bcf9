// The two readable summaries of the machine inquiry.

#include "gui/SDisplay.h"
#include "plugin/SScreenSummary.h"
#include "plugin/SSystemData.h"

namespace kvor::system {

namespace {

const char kRule[] = "========================================\n";
const char kSeparator[] = "\n---------------------------------------\n";
// Room for any 32-bit number written with "%i", sign included.
constexpr unsigned kNumberLimit = 16;

void AppendAvailability(SSystemData::Text& text, const char* feature, bool available)
{
    text.Append("\n[ ").Append(feature);
    text.Append(available ? ": available ]" : ": not available ]");
}

}  // namespace

void AppendScreenReport(kvor::data::datastring<32, char>& text, const SScreenSummary& screen)
{
    text.Append("Screensize: ").Append(kNumberLimit, "%i", screen.width);
    text.Append(" x ").Append(kNumberLimit, "%i", screen.height);
    if (screen.estimated)
        text.Append("\nestimation (due to lack of information): ");
    int number = 1;
    for (const SScreenSummary::Monitor& monitor : screen.monitors) {
        text.Append("\nDisplay ").Append(kNumberLimit, "%i", number++);
        text.Append(": ").Append(kNumberLimit, "%i", monitor.width);
        text.Append(" x ").Append(kNumberLimit, "%i", monitor.height);
        text.Append(" @ [X=").Append(kNumberLimit, "%i", monitor.left);
        text.Append(", Y=").Append(kNumberLimit, "%i", monitor.top).Append("]");
    }
}

namespace {

SScreenSummary SummaryOf(const kvor::gui::SDisplay* displays)
{
    SScreenSummary screen;
    if (displays == nullptr)
        return screen;
    const kvor::gui::SDisplay::Rect bounds = displays->Bounds();
    screen.width = bounds.Width();
    screen.height = bounds.Height();
    screen.estimated = displays->Split();
    for (const kvor::gui::SDisplay::Rect& monitor : displays->Monitors())
        screen.monitors.push_back({monitor.x1, monitor.y1, monitor.Width(), monitor.Height()});
    return screen;
}

}  // namespace

// Before getDisplayInfos (or without an X server) the screen reads 0 x 0.
void SSystemData::AppendScreen(Text& body) const { AppendScreenReport(body, SummaryOf(displays)); }

SSystemData::Text SSystemData::ErrorMessage(bool withSSE, bool withSSE2) const
{
    Text report;
    report.Initialize(512);
    report.Append(kRule).Append("\nE R R O R\n\n");
    report.Append("This Computer doesn't meet\n");
    report.Append("the following necessary reqs\n");
    report.Append("to operate this software:\n");
    Text body;
    body.Initialize(416);
    if (!osSupported && osText.length > 1)
        body.Append(osText.data);
    body.Append("\n");
    if (!hasMMX)
        body.Append("\nMMX: not available.");
    if (withSSE && !hasSSE)
        body.Append("\nSSE: not available.");
    if (withSSE2 && !hasSSE2)
        body.Append("\nSSE2: not available.");
    report.Append(body.data).Append("\n").Append(kRule);
    return report;
}

SSystemData::Text SSystemData::FeatureMessage() const
{
    Text report;
    report.Initialize(512);
    report.Append(kRule).Append("\nS Y S T E M\n\n").Append(kRule);
    Text body;
    body.Initialize(416);
    body.Append(osText.data).Append(kSeparator);
    body.Append(cpuText.data);
    AppendAvailability(body, "MMX", hasMMX);
    AppendAvailability(body, "SSE", hasSSE);
    AppendAvailability(body, "SSE2", hasSSE2);
    body.Append(kSeparator);
    AppendScreen(body);
    report.Append(body.data).Append("\n").Append(kRule);
    return report;
}

}  // namespace kvor::system
