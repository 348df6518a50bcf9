// Counting the process's threads, for tests that check that workers are
// started once and leave again (wait for them with WaitUntil.h).
#pragma once

#include <dirent.h>

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

}  // namespace tarvenna::test
