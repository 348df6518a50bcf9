#include "plugin/SProcFiles.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace kvor::system {

long ReadProcFile(const char* path, char* buffer, std::size_t limit)
{
    std::FILE* file = path ? std::fopen(path, "rbe") : nullptr;
    if (!file)
        return -1;
    // fread keeps reading until the limit or the end, so short reads of
    // /proc files do not cut the text.
    const std::size_t count = std::fread(buffer, 1, limit, file);
    std::fclose(file);
    buffer[count] = 0;
    return static_cast<long>(count);
}

namespace {

// Freed again at unload, so a host that loads and unloads the module many
// times does not collect locale objects.
struct CNumericLocale {
    locale_t handle = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    ~CNumericLocale()
    {
        if (handle != static_cast<locale_t>(0))
            freelocale(handle);
    }
};

}  // namespace

double ParseDecimal(const char* text)
{
    static const CNumericLocale cLocale;
    if (cLocale.handle == static_cast<locale_t>(0))
        return std::strtod(text, nullptr);
    return strtod_l(text, nullptr, cLocale.handle);
}

}  // namespace kvor::system
