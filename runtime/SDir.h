// A directory of the toolkit's file layer: its entries one by one, a search
// through its subdirectories, and creating one.
#pragma once

#include "runtime/datastring.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace kvor::file {

// Entries are listed and searched by path: a plug-in shares the working
// directory with the host it runs in, so nothing here but Change moves it.
// Entries are read in their large-file form: on 32-bit x86 the plain one
// fails on any file system whose inode numbers pass 32 bits.
class SDir {
public:
    using Text = data::datastring<32, char>;

    SDir() = default;
    SDir(const SDir&) = delete;
    SDir& operator=(const SDir&) = delete;
    ~SDir();

    // Closes what is open, remembers path and opens it; true when it opened.
    bool Open(const char* path);
    // True when the directory was closed here or none was open.
    bool Close();
    void Rewind();

    static bool Exists(const char* path);
    // The process's working directory becomes path, or its parent when up
    // is set; true on success.
    static bool Change(const char* path, bool up);

    // The first entry other than "." and "..": a subdirectory when
    // directories is set, anything else otherwise. Its name replaces name;
    // false when there is none. Opens the remembered path when needed.
    bool ReadFirst(bool directories, Text& name);
    // The same from the entry after the last one found.
    bool ReadNext(bool directories, Text& name);

    // Whether path or one of the folders below it holds an entry called
    // name: a directory when directories is set, anything else otherwise.
    // Links to directories are not followed into, so a link that points
    // back up cannot make the search go round.
    static bool Find(bool directories, const char* path, const char* name);

    // Creates path with the mode that SPermissions makes of permissions,
    // when it is not a directory yet; the directory object when it was
    // created, else null.
    static std::unique_ptr<SDir> Create(const char* path, unsigned permissions);

    const Text& Path() const { return path; }
    // The status of the entry found last.
    const struct stat64& Status() const { return status; }

private:
    bool NextMatch(bool directories, Text& name);

    Text path;
    DIR* stream = nullptr;
    dirent64* entry = nullptr;
    struct stat64 status = {};
};

}  // namespace kvor::file
