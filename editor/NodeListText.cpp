#include "editor/NodeListText.h"

namespace {

void AppendTwoDigits(kvor::data::datastring<32, char>& text, int number)
{
    if (number <= 9)
        text.Append('0');
    text.Append(16, "%i", number);
}

}  // namespace

void AppendNodeIdText(kvor::data::datastring<32, char>& text, int nodeId)
{
    text.Append("ID:  ");
    AppendTwoDigits(text, nodeId);
}

void AppendNodeListLine(kvor::data::datastring<32, char>& text, int port, int nodeId, bool sends)
{
    text.Append("Port ").Append(8, "%i", port).Append(":   ID: ");
    AppendTwoDigits(text, nodeId);
    text.Append(sends ? " (S)" : " (R)");
}
