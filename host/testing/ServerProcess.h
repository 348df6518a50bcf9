// The servers the host library starts for tests and benchmarks (Xvfb,
// jackd) are children of the test program, started and ended alike.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace tarvenna::host {

// Runs `words` (the program, then its arguments) as a child that ends with
// the test program, its output silenced, with `environment` set on top of
// ours. Returns its pid, or -1 when it could not be forked; a program that
// cannot be run ends at once with status 127.
pid_t StartServer(std::vector<std::string> words,
                  const std::vector<std::pair<std::string, std::string>>& environment = {});

// Ends the child with SIGTERM and reaps it; one still there after `grace`
// (stuck on its way out) is killed, with a line on standard error. Sets
// `pid` to -1. Does nothing when it is not positive.
void EndServer(pid_t& pid, std::chrono::milliseconds grace = std::chrono::seconds(10));

// Runs a tool as StartServer runs a server and waits for its end; true
// when it exited with 0.
bool RunToEnd(std::vector<std::string> words,
              const std::vector<std::pair<std::string, std::string>>& environment = {});

void SleepMs(long ms);

}  // namespace tarvenna::host
