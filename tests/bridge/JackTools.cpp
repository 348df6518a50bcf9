#include "tests/bridge/JackTools.h"

#include "tests/host/Subprocess.h"
#include "tests/support/WaitUntil.h"

#include <sstream>

namespace tarvenna::host::test {

namespace {

// A JACK tool answers within milliseconds; one that hangs (a client open
// that a busy server never answers) is killed and asked again by the
// callers that wait.
constexpr auto kToolLimit = std::chrono::seconds(15);

ProgramResult RunTool(const std::vector<std::string>& arguments)
{
    return RunProgram("", arguments, kToolLimit);
}

}  // namespace

// A listing that failed is asked again rather than read as no ports.
std::string JackPorts()
{
    ProgramResult listing;
    for (int attempt = 0; attempt < 3; ++attempt) {
        listing = RunTool({"jack_lsp"});
        if (listing.exitCode == 0)
            break;
    }
    return listing.out;
}

bool HasJackPort(const std::string& port)
{
    std::istringstream lines(JackPorts());
    for (std::string line; std::getline(lines, line);)
        if (line == port)
            return true;
    return false;
}

bool WaitForJackPort(const std::string& port)
{
    return tarvenna::test::WaitUntil([&] { return HasJackPort(port); }, std::chrono::seconds(30));
}

bool JackConnect(const std::string& from, const std::string& to)
{
    return RunTool({"jack_connect", from, to}).exitCode == 0;
}

bool JackDisconnect(const std::string& from, const std::string& to)
{
    return RunTool({"jack_disconnect", from, to}).exitCode == 0;
}

// jack_lsp -c lists each port, then what it is connected to, indented.
bool JackConnected(const std::string& from, const std::string& to)
{
    std::istringstream lines(RunTool({"jack_lsp", "-c", from}).out);
    std::string line;
    if (!std::getline(lines, line) || line != from)
        return false;
    while (std::getline(lines, line))
        if (line.find_first_not_of(' ') != 0 && line.substr(line.find_first_not_of(' ')) == to)
            return true;
    return false;
}

// Lines such as " 563: 90 3c 64 note on  (channel  0): pitch  60, velocity 100".
std::string DumpedNotes(const std::string& dump)
{
    std::string notes;
    std::istringstream lines(dump);
    for (std::string line; std::getline(lines, line);) {
        const bool on = line.find("note on") != std::string::npos;
        const bool off = line.find("note off") != std::string::npos;
        const std::size_t pitch = line.find("pitch");
        const std::size_t velocity = line.find("velocity");
        if ((!on && !off) || pitch == std::string::npos || velocity == std::string::npos)
            continue;
        const int key = std::stoi(line.substr(pitch + 5));
        const bool sounding = on && std::stoi(line.substr(velocity + 8)) != 0;
        notes +=
            (notes.empty() ? "" : " ") + std::string(sounding ? "+" : "-") + std::to_string(key);
    }
    return notes;
}

}  // namespace tarvenna::host::test
