// The two readable summaries of the machine inquiry.

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

void SSystemData::AppendScreen(Text& body) const
{
    // The geometry is read from `displays` once the toolkit's display object
    // exists; until then it is always null and the screen reads 0 x 0.
    AppendScreenReport(body, SScreenSummary());
}

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
