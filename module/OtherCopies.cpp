#include "module/OtherCopies.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

namespace {

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::vector<std::string> OtherCopiesOfThisModule()
{
    Dl_info self{};
    struct stat ours {};
    if (dladdr(reinterpret_cast<void*>(&OtherCopiesOfThisModule), &self) == 0 ||
        self.dli_fname == nullptr || stat(self.dli_fname, &ours) != 0)
        return {};
    const std::string name = FileName(self.dli_fname);
    std::vector<std::string> others;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos)
            continue;
        const std::string path = line.substr(slash);
        struct stat mapped {};
        if (FileName(path) != name || stat(path.c_str(), &mapped) != 0 || SameFile(mapped, ours) ||
            std::find(others.begin(), others.end(), path) != others.end())
            continue;
        others.push_back(path);
    }
    return others;
}

void ReportOtherCopies()
{
    static std::mutex reporting;
    static std::vector<std::string> reported;
    std::lock_guard<std::mutex> hold(reporting);
    for (const std::string& other : OtherCopiesOfThisModule()) {
        if (std::find(reported.begin(), reported.end(), other) != reported.end())
            continue;
        reported.push_back(other);
        Dl_info self{};
        dladdr(reinterpret_cast<void*>(&ReportOtherCopies), &self);
        std::fprintf(stderr,
                     "tarvenna: another copy of the module is loaded from %s; its instances and "
                     "those of %s do not reach each other (load one file in both formats)\n",
                     other.c_str(), self.dli_fname != nullptr ? self.dli_fname : "this one");
    }
}
