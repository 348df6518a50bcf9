#include "gui/SGlobals.h"

#include "runtime/SFilePath.h"
#include "runtime/SThread.h"

#include <x86intrin.h>

#include <cstring>
#include <vector>

// Two instances created in the same millisecond must still name their
// windows differently, so the seed comes from the time-stamp counter read
// after a short sleep rather than from the clock.
SGlobals::SGlobals()
{
    kvor::threading::SThread::Sleep(3);
    randomGenerator.Seed(static_cast<uint32_t>(__rdtsc()));
}

// The parts are never longer than the path, so buffers of the path's length
// take any path whole: a long path is never cut into another one.
void SGlobals::SetBinaryData()
{
    if (pathSource == nullptr || *pathSource == nullptr)
        return;
    const char* path = *pathSource;
    const std::size_t size = std::strlen(path) + 1;
    std::vector<char> directory(size), name(size), extension(size);
    kvor::file::SFilePath::GetPathData(directory.data(), name.data(), extension.data(), path);

    binaryName.Clear(false);
    binaryName.Append(name.data());
    if (extension[0] != 0)
        binaryName.Append('.').Append(extension.data());
    binaryDirectory.Clear(false);
    binaryDirectory.Append(directory.data());
}
