// tarvenna-host: a small VST 2 host for trying Tarvenna from a shell.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host/CommandLine.h"
#include "host/Commands.h"

namespace {

using namespace tarvenna::host::cli;

const Command kCommands[] = {
    {"info", "info <module.so>", "load the module, create one instance and print what a host sees",
     runInfo},
    {"relay", "relay <module.so>",
     "play MIDI through several instances and print what each hands its host", runRelay},
};

void printUsage(std::ostream& out)
{
    out << "usage: tarvenna-host [options] <command> [arguments]\n\ncommands:\n";
    for (const Command& command : kCommands)
        out << "  " << command.synopsis << "\n      " << command.summary << '\n';
    out << "\noptions:\n  -h, --help                  show this text\n" << hostOptionsHelp();
}

const Command* findCommand(const std::string& name)
{
    for (const Command& command : kCommands)
        if (name == command.name)
            return &command;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    const CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::cerr << "tarvenna-host: " << line.error << "\n";
        printUsage(std::cerr);
        return kExitUsage;
    }
    if (line.help) {
        printUsage(std::cout);
        return kExitOk;
    }
    const Command* command = findCommand(line.command);
    if (!command) {
        if (!line.command.empty())
            std::cerr << "tarvenna-host: unknown command " << line.command << "\n";
        printUsage(std::cerr);
        return kExitUsage;
    }
    return command->run(line, std::cout, std::cerr);
}
