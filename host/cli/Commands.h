// The commands of tarvenna-host. A new command is one function here, its
// own source file, and one row in the table in main.cpp.
#pragma once

#include <ostream>

#include "host/cli/CommandLine.h"

namespace tarvenna::host::cli {

// Exit codes shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using CommandProc = int (*)(const CommandLine& line, std::ostream& out, std::ostream& err);

struct Command {
    const char* name;
    const char* synopsis;
    const char* summary;
    CommandProc run;
};

// info <module.so>: loads the module, creates one instance, prints what a
// host sees of it, closes it and unloads.
int RunInfo(const CommandLine& line, std::ostream& out, std::ostream& err);

// relay <module.so> [--scene FILE.json]: plays a scene (the built-in one
// by default) through instances of the module, prints what each hands its
// host block by block and a summary table; exit code 1 when a note hangs
// or a silent node got MIDI, 2 for a bad scene.
int RunRelay(const CommandLine& line, std::ostream& out, std::ostream& err);

// editor <module.so>: opens an instance's editor in a window on $DISPLAY,
// delivers its events for a while, optionally saves a screenshot.
int RunEditor(const CommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace tarvenna::host::cli
