// tarvenna-host: a small VST 2 host for trying Tarvenna from a shell.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host/cli/CommandLine.h"
#include "host/cli/Commands.h"

namespace {

using namespace tarvenna::host::cli;

const Command kCommands[] = {
    {"info", "info <module.so>", "load the module, create one instance and print what a host sees",
     RunInfo},
    {"relay", "relay <module.so> [--scene FILE.json]",
     "play a scene (the built-in one, or a file's) through several instances, print what "
     "each\n      hands its host and a table of what every instance got, handed and left "
     "sounding",
     RunRelay},
    {"editor", "editor <module.so>",
     "show an instance's editor in a window on $DISPLAY, optionally saving a screenshot",
     RunEditor},
};

void PrintUsage(std::ostream& out)
{
    out << "usage: tarvenna-host [options] <command> [arguments]\n\ncommands:\n";
    for (const Command& command : kCommands)
        out << "  " << command.synopsis << "\n      " << command.summary << '\n';
    out << "\noptions:\n  -h, --help                  show this text\n"
        << HostOptionsHelp() << RelayOptionsHelp() << EditorOptionsHelp();
}

const Command* FindCommand(const std::string& name)
{
    for (const Command& command : kCommands)
        if (name == command.name)
            return &command;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::cerr << "tarvenna-host: " << line.error << "\n";
        PrintUsage(std::cerr);
        return kExitUsage;
    }
    if (line.help) {
        PrintUsage(std::cout);
        return kExitOk;
    }
    const Command* command = FindCommand(line.command);
    if (!command) {
        if (!line.command.empty())
            std::cerr << "tarvenna-host: unknown command " << line.command << "\n";
        PrintUsage(std::cerr);
        return kExitUsage;
    }
    return command->run(line, std::cout, std::cerr);
}
