// A fresh folder under /tmp for one test, removed with all it holds.
#pragma once

#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarvenna::test {

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/tarvenna-XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            path = pattern;
    }
    // The large-file walk: on 32-bit x86 the plain one stops at inode
    // numbers that pass 32 bits.
    ~TempFolder()
    {
        if (!path.empty())
            nftw64(path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string operator/(const std::string& name) const { return path + "/" + name; }

private:
    static int RemoveOne(const char* entry, const struct stat64*, int, FTW*)
    {
        return std::remove(entry);
    }

    std::string path;
};

}  // namespace tarvenna::test
