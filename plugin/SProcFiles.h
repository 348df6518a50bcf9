// Where the machine inquiry reads the kernel's view of the machine. The
// paths are a value of their own so that tests can point the inquiry at
// files they write.
#pragma once

#include <cstddef>

namespace kvor::system {

struct SProcFiles {
    const char* cpuinfo = "/proc/cpuinfo";
    const char* ostype = "/proc/sys/kernel/ostype";
    const char* osrelease = "/proc/sys/kernel/osrelease";
    const char* version = "/proc/sys/kernel/version";
};

// Reads at most `limit` bytes of the file into `buffer`, which must hold
// `limit` + 1 bytes; the bytes read are zero-terminated. Returns how many
// bytes were read, or -1 when the file cannot be opened.
long ReadProcFile(const char* path, char* buffer, std::size_t limit);

// strtod as the C locale reads it: a host that switched the process to a
// locale with a decimal comma must not turn "2.6" into 2.
double ParseDecimal(const char* text);

}  // namespace kvor::system
