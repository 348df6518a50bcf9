// Questions about the file systems themselves: the root, the home folder,
// the space on a drive and the kind of file system a path lies on.
#pragma once

namespace kvor::file {

class SFileSystem {
public:
    // Room that GetFileSystem's output needs, the longest answer included.
    static constexpr int kNameSize = 16;

    // Writes "/".
    static void Root(char* out);
    // The value of "HOME"; null when it is not set.
    static const char* Home();
    // The size of the file system holding path and the room left on it for
    // unprivileged users, in bytes; both 0 and false when it cannot be told.
    static bool GetDriveSpace(const char* path, long long& total, long long& available);
    // The kind of file system of path by its type number ("ext2/3", "xfs",
    // ..., "unknown") into out, which holds kNameSize bytes. A failed query
    // writes "unknown (error)" and returns false.
    static bool GetFileSystem(const char* path, char* out);
    // The name GetFileSystem gives a type number.
    static const char* NameOfType(unsigned long type);
};

}  // namespace kvor::file
