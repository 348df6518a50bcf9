#include "runtime/SFilePath.h"

#include <cstring>

namespace kvor::file {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

int TextLength(const char* text) { return static_cast<int>(std::strlen(text)); }

// Length of the extension of the final component: the run after its last
// dot. A trailing separator, a final component without a dot, or a text that
// is one long name without any dot all mean no extension.
int ExtensionLength(const char* path)
{
    const int length = TextLength(path);
    if (length < 2 || IsSeparator(path[length - 1]))
        return 0;
    for (int i = length - 1; i >= 0; --i) {
        if (path[i] == '.')
            return length - 1 - i;
        if (IsSeparator(path[i]))
            return 0;
    }
    return 0;
}

// Finds the separator in front of the final name, whose last character sits
// at `last`. Returns its position, or -1 when the name is missing, runs to
// the start of the text, or is too long to be a name.
int SeparatorBeforeName(const char* path, int last)
{
    if (path[last] == 0 || IsSeparator(path[last]))
        return -1;
    for (int i = last; i >= 0; --i) {
        if (IsSeparator(path[i]))
            return i;
        if (last - i + 1 >= SFilePath::kNameLimit)
            return -1;
    }
    return -1;
}

// Position of the final name's last character: before the dot when there is
// an extension.
int LastOfName(int length, int extLength)
{
    return extLength > 0 ? length - extLength - 2 : length - 1;
}

}  // namespace

void SFilePath::GetExtension(char* ext, const char* path, int* extLength)
{
    if (ext == nullptr || path == nullptr)
        return;
    const int count = ExtensionLength(path);
    std::memcpy(ext, path + TextLength(path) - count, count);
    ext[count] = 0;
    if (extLength != nullptr)
        *extLength = count;
}

void SFilePath::GetDir(char* dir, const char* path, int extLength)
{
    if (dir == nullptr || path == nullptr || path[0] == 0)
        return;
    if (extLength < 0)
        extLength = ExtensionLength(path);
    const int length = TextLength(path);
    if (length < extLength + 2)
        return;
    if (extLength == 0 && IsSeparator(path[length - 1])) {
        std::memcpy(dir, path, length + 1);
        return;
    }
    const int separator = SeparatorBeforeName(path, LastOfName(length, extLength));
    const int count = separator < 0 ? 0 : separator + 1;
    std::memcpy(dir, path, count);
    dir[count] = 0;
}

int SFilePath::GetName(char* name, const char* path, char* ext, int extLength)
{
    if (name == nullptr || path == nullptr || path[0] == 0)
        return 0;
    if (ext != nullptr)
        GetExtension(ext, path, &extLength);
    else if (extLength < 0)
        extLength = ExtensionLength(path);
    const int length = TextLength(path);
    if (length < extLength + 2)
        return 0;
    const int last = LastOfName(length, extLength);
    const int separator = SeparatorBeforeName(path, last);
    const int count = separator < 0 ? 0 : last - separator;
    std::memcpy(name, path + separator + 1, count);
    name[count] = 0;
    return count;
}

void SFilePath::GetPathData(char* dir, char* name, char* ext, const char* path)
{
    if (dir == nullptr || name == nullptr || ext == nullptr || path == nullptr)
        return;
    ext[0] = 0;
    if (path[0] == 0)
        return;
    dir[0] = 0;
    name[0] = 0;
    int extLength = 0;
    GetExtension(ext, path, &extLength);
    GetDir(dir, path, extLength);
    GetName(name, path, nullptr, extLength);
}

bool SFilePath::ValidLength(int length, int extLength)
{
    return length > 0 && length >= extLength + 2;
}

void SFilePath::GetModulePath(int, char*) {}

}  // namespace kvor::file
