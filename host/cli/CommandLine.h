// The command line of tarvenna-host: a command, its arguments, and the
// options that set the host's answers (shared by every command).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/HostConfig.h"

namespace tarvenna::host::cli {

struct CommandLine {
    std::string command;
    std::vector<std::string> arguments;
    HostConfig host;
    bool help = false;
    // The "--host-..." options as given, in order, to apply over answers
    // that come from elsewhere (a scene's).
    std::vector<std::pair<std::string, std::string>> hostOptions;
    // Options of the editor command (the relay takes the first two too).
    std::string screenshot;
    bool displayZero = false;
    bool reparent = false;
    bool pair = false;
    int milliseconds = 1000;
    // Options of the relay command.
    std::string scene;
    std::string midiOut;
    bool gui = false;
    bool realTime = false;
    bool quiet = false;
    bool waitStart = false;
    bool playOn = false;
    // Set when the line cannot be understood; the other fields are partial.
    std::string error;
};

CommandLine ParseCommandLine(const std::vector<std::string>& words);

// Applies the "--host-..." options of `line` to `host`.
void ApplyHostOptions(const CommandLine& line, HostConfig& host);

// Help text for the editor command's options, one per line.
const char* EditorOptionsHelp();
// Help text for the relay command's options, one per line.
const char* RelayOptionsHelp();
// Help text for the host options, one per line.
const char* HostOptionsHelp();

}  // namespace tarvenna::host::cli
