#include "host/CommandLine.h"

#include <cstdlib>

namespace tarvenna::host::cli {

namespace {

bool ParseNumber(const std::string& text, VstIntPtr& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (*end != '\0')
        return false;
    out = static_cast<VstIntPtr>(value);
    return true;
}

// Applies one "--host-..." option and its value; false when unknown or bad.
bool ApplyHostOption(const std::string& name, const std::string& value, HostConfig& host)
{
    if (name == "--host-vendor")
        host.vendor = value;
    else if (name == "--host-product")
        host.product = value;
    else if (name == "--host-directory")
        host.directory = value;
    else if (name == "--host-version")
        return ParseNumber(value, host.version);
    else if (name == "--host-vendor-version")
        return ParseNumber(value, host.vendorVersion);
    else
        return false;
    return true;
}

// Applies one option of the editor command; false when it is not one.
// `next` is the following word, taken when the option has a value.
bool ApplyEditorOption(const std::string& name, const std::string* next, bool& tookNext,
                       CommandLine& line)
{
    tookNext = false;
    if (name == "--display-zero")
        line.displayZero = true;
    else if (name == "--reparent")
        line.reparent = true;
    else if (name == "--pair")
        line.pair = true;
    else if ((name == "--screenshot" || name == "--milliseconds") && next != nullptr) {
        tookNext = true;
        if (name == "--screenshot") {
            line.screenshot = *next;
            return true;
        }
        VstIntPtr value = 0;
        if (!ParseNumber(*next, value) || value < 0)
            return false;
        line.milliseconds = static_cast<int>(value);
    } else
        return false;
    return true;
}

}  // namespace

const char* EditorOptionsHelp()
{
    return "  --screenshot FILE           editor: save the editor window as a PNG file\n"
           "  --display-zero              editor: open it with 0 for the display, as many hosts "
           "do\n"
           "  --reparent                  editor: learn its event procedure on ReparentNotify\n"
           "  --pair                      editor: a sender and a receiver with its node list\n"
           "  --milliseconds N            editor: how long it stays open (1000)\n";
}

const char* HostOptionsHelp()
{
    return "  --host-vendor TEXT          vendor string the host answers\n"
           "  --host-product TEXT         product string the host answers\n"
           "  --host-version N            host version (0 makes plug-ins refuse)\n"
           "  --host-vendor-version N     host vendor version\n"
           "  --host-directory PATH       directory answered (default: none)\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& words)
{
    CommandLine line;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--help" || word == "-h") {
            line.help = true;
        } else if (word.rfind("--host-", 0) == 0) {
            if (i + 1 == words.size()) {
                line.error = "option " + word + " needs a value";
                return line;
            }
            if (!ApplyHostOption(word, words[++i], line.host)) {
                line.error = "bad option " + word + " " + words[i];
                return line;
            }
        } else if (word.rfind("--", 0) == 0) {
            bool tookNext = false;
            const std::string* next = i + 1 < words.size() ? &words[i + 1] : nullptr;
            if (!ApplyEditorOption(word, next, tookNext, line)) {
                line.error = "unknown or incomplete option " + word;
                return line;
            }
            if (tookNext)
                ++i;
        } else if (line.command.empty()) {
            line.command = word;
        } else {
            line.arguments.push_back(word);
        }
    }
    return line;
}

}  // namespace tarvenna::host::cli
