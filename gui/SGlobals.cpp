#include "gui/SGlobals.h"

#include "runtime/SFilePath.h"
#include "runtime/SThread.h"

#include <x86intrin.h>

#include <cstring>

namespace {

// Large enough for any part of a path once the path is cut to fit it.
constexpr int kPathBuffer = 512;

}  // namespace

// Two instances created in the same millisecond must still name their
// windows differently, so the seed comes from the time-stamp counter read
// after a short sleep rather than from the clock.
SGlobals::SGlobals()
{
    kvor::threading::SThread::Sleep(3);
    randomGenerator.Seed(static_cast<uint32_t>(__rdtsc()));
}

void SGlobals::SetBinaryData()
{
    if (pathSource == nullptr || *pathSource == nullptr)
        return;
    char path[kPathBuffer] = {};
    std::strncpy(path, *pathSource, kPathBuffer - 1);

    char name[kPathBuffer] = {};
    char extension[kPathBuffer] = {};
    char directory[kPathBuffer] = {};
    kvor::file::SFilePath::GetName(name, path, extension, -1);
    kvor::file::SFilePath::GetDir(directory, path, -1);

    binaryName.Clear(false);
    binaryName.Append(name);
    if (extension[0] != 0)
        binaryName.Append('.').Append(extension);
    binaryDirectory.Clear(false);
    binaryDirectory.Append(directory);
}
