#include "plugin/LoadFailure.h"

const char* const kProductTitle = "Tarvenna";
const char* const kSupportAddress = "support@tarvenna.example";

void ComposeLoadFailure(kvor::data::datastring<32, char>& text, int code, const char* hostName)
{
    text.Append("Failed to load plugin");
    text.Append("\n(Reason: ");
    switch (code) {
    case kLoadMachineRefused:
        text.Append("System not supported");
        text.Append("\nPlease check the requirements");
        text.Append(")");
        break;
    case kLoadHostRefused:
        text.Append("Host not supported (");
        text.Append(hostName);
        text.Append(")");
        text.Append(")");
        break;
    default:
        text.Append("Internal Error");
        text.Append("\nPlease report to \n");
        text.Append(kSupportAddress);
        text.Append(")");
        break;
    }
}
