#include "runtime/SDir.h"

#include "runtime/SPermissions.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace kvor::file {

namespace {

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// What a link points at; a link that points nowhere counts as an entry of
// its own.
bool StatusOf(int folder, const char* name, struct stat64& status)
{
    return fstatat64(folder, name, &status, 0) == 0 ||
           fstatat64(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0;
}

// Searches the open directory `folder` (which it closes) and the folders
// below it. Entries are reached relative to their folder's descriptor, so
// the depth of the tree is limited by nothing but open descriptors.
bool FindIn(DIR* folder, bool directories, const char* name)
{
    const int descriptor = dirfd(folder);
    bool found = false;
    while (!found) {
        const dirent64* entry = readdir64(folder);
        if (entry == nullptr)
            break;
        if (IsDotOrDotDot(entry->d_name))
            continue;
        struct stat64 status;
        if (!StatusOf(descriptor, entry->d_name, status))
            continue;
        const bool isDirectory = S_ISDIR(status.st_mode);
        if (isDirectory == directories && std::strcmp(entry->d_name, name) == 0) {
            found = true;
            break;
        }
        const int below =
            openat(descriptor, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (below < 0)
            continue;
        DIR* subfolder = fdopendir(below);
        if (subfolder == nullptr) {
            close(below);
            continue;
        }
        found = FindIn(subfolder, directories, name);
    }
    closedir(folder);
    return found;
}

}  // namespace

SDir::~SDir() { Close(); }

bool SDir::Open(const char* newPath)
{
    Close();
    path.Clear(true);
    if (newPath == nullptr)
        return false;
    path.Append(newPath);
    stream = opendir(newPath);
    return stream != nullptr;
}

bool SDir::Close()
{
    entry = nullptr;
    if (stream == nullptr)
        return true;
    const bool closed = closedir(stream) == 0;
    stream = nullptr;
    return closed;
}

void SDir::Rewind()
{
    entry = nullptr;
    if (stream != nullptr)
        rewinddir(stream);
}

bool SDir::Exists(const char* path)
{
    if (path == nullptr)
        return false;
    DIR* probe = opendir(path);
    if (probe == nullptr)
        return false;
    closedir(probe);
    return true;
}

bool SDir::Change(const char* path, bool up)
{
    if (up)
        return chdir("..") == 0;
    return path != nullptr && chdir(path) == 0;
}

bool SDir::ReadFirst(bool directories, Text& name)
{
    if (stream == nullptr && (path.length <= 1 || (stream = opendir(path.data)) == nullptr))
        return false;
    Rewind();
    return NextMatch(directories, name);
}

bool SDir::ReadNext(bool directories, Text& name)
{
    if (stream == nullptr)
        return false;
    return NextMatch(directories, name);
}

// The status comes from the entry's own folder, whatever the working
// directory is.
bool SDir::NextMatch(bool directories, Text& name)
{
    const int descriptor = dirfd(stream);
    while ((entry = readdir64(stream)) != nullptr) {
        if (IsDotOrDotDot(entry->d_name))
            continue;
        if (!StatusOf(descriptor, entry->d_name, status))
            continue;
        if (S_ISDIR(status.st_mode) != directories)
            continue;
        name.Clear(false);
        name.Append(entry->d_name);
        return true;
    }
    return false;
}

bool SDir::Find(bool directories, const char* path, const char* name)
{
    if (path == nullptr || name == nullptr || name[0] == 0)
        return false;
    DIR* top = opendir(path);
    if (top == nullptr)
        return false;
    return FindIn(top, directories, name);
}

std::unique_ptr<SDir> SDir::Create(const char* path, unsigned permissions)
{
    if (path == nullptr || path[0] == 0 || Exists(path))
        return nullptr;
    const security::SPermissions set(permissions);
    if (mkdir(path, set.Mode()) != 0)
        return nullptr;
    auto created = std::make_unique<SDir>();
    created->path.Append(path);
    return created;
}

}  // namespace kvor::file
