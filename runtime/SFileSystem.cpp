#include "runtime/SFileSystem.h"

#include <sys/vfs.h>

#include <cstdlib>
#include <cstring>

namespace kvor::file {

namespace {

struct KnownType {
    unsigned long magic;
    const char* name;
};

// The type numbers Linux publishes for these file systems.
constexpr KnownType kKnownTypes[] = {
    {0x137f, "minix"},    {0x138f, "minix"},    {0x2468, "minix"},    {0x2478, "minix"},
    {0x4d5a, "minix"},    {0x4d44, "msdos"},    {0x517b, "smb"},      {0x564c, "ncp"},
    {0x6969, "nfs"},      {0x9660, "iso"},      {0x9fa0, "proc"},     {0xadff, "affs"},
    {0xef51, "ext2/3"},   {0xef53, "ext2/3"},   {0x00011954, "ufs"},  {0x012ff7b4, "sysv"},
    {0x012ff7b5, "sysv"}, {0x012ff7b6, "sysv"}, {0x012ff7b7, "sysv"}, {0x52654973, "reiserfs"},
    {0x5346544e, "ntfs"}, {0x58465342, "xfs"},  {0xf995e849, "hpfs"},
};

// The large-file form of the query: on 32-bit x86 the plain one fails with
// an overflow on any drive whose block counts pass 32 bits.
bool Query(const char* path, struct statfs64& status)
{
    return path != nullptr && statfs64(path, &status) == 0;
}

}  // namespace

void SFileSystem::Root(char* out)
{
    if (out != nullptr)
        std::strcpy(out, "/");
}

const char* SFileSystem::Home() { return std::getenv("HOME"); }

bool SFileSystem::GetDriveSpace(const char* path, long long& total, long long& available)
{
    total = 0;
    available = 0;
    struct statfs64 status;
    if (!Query(path, status))
        return false;
    const auto blockSize = static_cast<long long>(status.f_bsize);
    total = blockSize * static_cast<long long>(status.f_blocks);
    available = blockSize * static_cast<long long>(status.f_bavail);
    return true;
}

bool SFileSystem::GetFileSystem(const char* path, char* out)
{
    struct statfs64 status;
    const bool known = Query(path, status);
    const char* name =
        known ? NameOfType(static_cast<unsigned long>(status.f_type)) : "unknown (error)";
    if (out != nullptr)
        std::strcpy(out, name);
    return known;
}

const char* SFileSystem::NameOfType(unsigned long type)
{
    // The kernel reports the number in a signed word on 32-bit systems.
    const unsigned long magic = type & 0xffffffffUL;
    for (const KnownType& known : kKnownTypes) {
        if (known.magic == magic)
            return known.name;
    }
    return "unknown";
}

}  // namespace kvor::file
