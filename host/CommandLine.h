// The command line of tarvenna-host: a command, its arguments, and the
// options that set the host's answers (shared by every command).
#pragma once

#include <string>
#include <vector>

#include "host/HostConfig.h"

namespace tarvenna::host::cli {

struct CommandLine {
    std::string command;
    std::vector<std::string> arguments;
    HostConfig host;
    bool help = false;
    // Options of the editor command.
    std::string screenshot;
    bool displayZero = false;
    bool reparent = false;
    bool pair = false;
    int milliseconds = 1000;
    // Set when the line cannot be understood; the other fields are partial.
    std::string error;
};

CommandLine ParseCommandLine(const std::vector<std::string>& words);

// Help text for the editor command's options, one per line.
const char* EditorOptionsHelp();
// Help text for the host options, one per line.
const char* HostOptionsHelp();

}  // namespace tarvenna::host::cli
