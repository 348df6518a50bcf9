// Counting the process's threads, for tests that check that workers are
// started once and leave again.
#pragma once

#include <dirent.h>

#include <chrono>
#include <thread>

namespace tarvenna::test {

// The threads the process has now; -1 when /proc cannot be read.
inline int ThreadsOfProcess()
{
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr)
        return -1;
    int count = 0;
    while (dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    closedir(tasks);
    return count;
}

// Polls until the condition holds or the limit passes. The limit is generous
// because the 32-bit tests run under an emulator.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace tarvenna::test
