#include "plugin/SOperatingSystemData.h"

#include <cstring>

namespace kvor::system {

namespace {

// A kernel file that fills this whole buffer is not what we expect to read
// and is left out rather than cut.
constexpr std::size_t kFileLimit = 4096;

}  // namespace

SOperatingSystemData::SOperatingSystemData() : text{}, releaseAccepted(0), queried(0) {}

bool ReleaseTooOld(const char* release)
{
    const double minimum = static_cast<double>(2.4f);
    return ParseDecimal(release) < minimum;
}

void SOperatingSystemData::AppendText(const char* contents)
{
    const std::size_t used = std::strlen(text);
    const std::size_t room = kTextSize - 1 - used;
    const std::size_t count = strnlen(contents, room);
    std::memcpy(text + used, contents, count);
    text[used + count] = 0;
}

void SOperatingSystemData::Query(const SProcFiles& files)
{
    releaseAccepted = 1;
    queried = 1;
    text[0] = 0;
    const char* const paths[] = {files.ostype, files.osrelease, files.version};
    const unsigned releaseIndex = 1;
    for (unsigned i = 0; i < 3; ++i) {
        char contents[kFileLimit + 1];
        const long count = ReadProcFile(paths[i], contents, kFileLimit);
        if (count < 1 || count >= static_cast<long>(kFileLimit))
            continue;
        AppendText(contents);
        // Only a release that could be read can refuse the system.
        if (i == releaseIndex && ReleaseTooOld(contents))
            releaseAccepted = 0;
    }
}

}  // namespace kvor::system
