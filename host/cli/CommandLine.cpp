#include "host/cli/CommandLine.h"

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

// Options without a value; false when `name` is none of them.
bool ApplySwitch(const std::string& name, CommandLine& line)
{
    bool* const switches[] = {&line.displayZero, &line.reparent, &line.pair,      &line.gui,
                              &line.realTime,    &line.quiet,    &line.waitStart, &line.playOn};
    const char* const names[] = {"--display-zero", "--reparent", "--pair",       "--gui",
                                 "--realtime",     "--quiet",    "--wait-start", "--play-on"};
    for (std::size_t i = 0; i < sizeof names / sizeof names[0]; ++i)
        if (name == names[i]) {
            *switches[i] = true;
            return true;
        }
    return false;
}

// Applies one option of the editor or relay command; false when it is not
// one. `next` is the following word, taken when the option has a value.
bool ApplyCommandOption(const std::string& name, const std::string* next, bool& tookNext,
                        CommandLine& line)
{
    tookNext = false;
    if (ApplySwitch(name, line))
        return true;
    std::string* const texts[] = {&line.screenshot, &line.scene, &line.midiOut};
    const char* const names[] = {"--screenshot", "--scene", "--midi-out"};
    if (next == nullptr)
        return false;
    tookNext = true;
    for (std::size_t i = 0; i < sizeof names / sizeof names[0]; ++i)
        if (name == names[i]) {
            *texts[i] = *next;
            return true;
        }
    VstIntPtr value = 0;
    if (name != "--milliseconds" || !ParseNumber(*next, value) || value < 0)
        return false;
    line.milliseconds = static_cast<int>(value);
    return true;
}

}  // namespace

const char* EditorOptionsHelp()
{
    return "  --screenshot FILE           editor: save the editor window as a PNG file\n"
           "  --display-zero              editor, relay: open editors with 0 for the display, "
           "as\n"
           "                              many hosts do\n"
           "  --reparent                  editor: learn its event procedure on ReparentNotify\n"
           "  --pair                      editor: a sender and a receiver with its node list\n"
           "  --milliseconds N            editor: how long it stays open; relay: how long "
           "the\n"
           "                              editors settle before the screenshot (1000)\n";
}

const char* RelayOptionsHelp()
{
    return "  --scene FILE.json           relay: play this scene instead of the built-in one\n"
           "  --quiet                     relay: only the summary table, no block lines\n"
           "  --midi-out DIR              relay: each instance's output as DIR/instance-N.mid\n"
           "  --gui                       relay: the editors side by side on $DISPLAY, the "
           "scene in\n"
           "                              real time, until the window is closed\n"
           "  --realtime                  relay: blocks at the pace of the sample rate\n"
           "  --wait-start                relay, real time: the nodes play silent blocks until "
           "the\n"
           "                              process gets SIGUSR1, then the scene starts\n"
           "  --play-on                   relay, real time: after the scene the nodes play "
           "silent\n"
           "                              blocks until SIGINT or SIGTERM, then the summary\n"
           "  --screenshot FILE           relay: save the editors' window as PNG at the end\n";
}

void ApplyHostOptions(const CommandLine& line, HostConfig& host)
{
    for (const auto& [name, value] : line.hostOptions)
        ApplyHostOption(name, value, host);
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
            line.hostOptions.emplace_back(word, words[i]);
        } else if (word.rfind("--", 0) == 0) {
            bool tookNext = false;
            const std::string* next = i + 1 < words.size() ? &words[i + 1] : nullptr;
            if (!ApplyCommandOption(word, next, tookNext, line)) {
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
