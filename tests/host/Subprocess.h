// Runs a program and collects its exit code and output, for the tests of
// the command-line front end.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace tarvenna::host::test {

struct ProgramResult {
    int exitCode = -1;  // -1 when it could not run or died of a signal
    std::string out;
    std::string err;
};

// Long enough for any program the tests run under an emulator on a loaded
// machine; a program still running then is killed and its result says so.
constexpr std::chrono::milliseconds kProgramLimit = std::chrono::seconds(100);

// `launcher` is split at spaces and put in front of the arguments (an
// emulator such as "qemu-i386 -L /"; empty runs the program directly).
ProgramResult RunProgram(const std::string& launcher, const std::vector<std::string>& arguments,
                         std::chrono::milliseconds limit = kProgramLimit);

// The same in two steps, for a test that acts on the program while it runs
// (its output is collected by Finish; it must not fill the pipes first).
struct RunningProgram {
    int pid = -1;
    int out = -1;
    int err = -1;
};
RunningProgram StartProgram(const std::string& launcher, const std::vector<std::string>& arguments);
ProgramResult FinishProgram(RunningProgram& program,
                            std::chrono::milliseconds limit = kProgramLimit);

}  // namespace tarvenna::host::test
