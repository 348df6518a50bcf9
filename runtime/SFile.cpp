#include "runtime/SFile.h"

#include "runtime/SFilePath.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace kvor::file {

// The build sets _FILE_OFFSET_BITS=64 for every target: a 32-bit off_t would
// make every file of 2 GiB or more unreachable on i386.
static_assert(sizeof(off_t) == 8, "stdio's offsets must be 64-bit on every target");

namespace {

// Reads for a text go through a buffer of this size, whatever the count.
constexpr unsigned kPiece = 4096;

// The stdio mode for the flags; empty when no access flag is set.
void BuildMode(unsigned flags, char* mode)
{
    int at = 0;
    if ((flags & SFile::kRead) != 0)
        mode[at++] = 'r';
    else if ((flags & SFile::kWrite) != 0)
        mode[at++] = 'w';
    else if ((flags & SFile::kAppend) != 0)
        mode[at++] = 'a';
    if (at != 0 && (flags & SFile::kBinary) != 0)
        mode[at++] = 'b';
    if (at != 0 && (flags & SFile::kUpdate) != 0)
        mode[at++] = '+';
    mode[at] = 0;
}

// The size of the open file, -1 when it cannot be told.
long long SizeOf(std::FILE* stream)
{
    struct stat status;
    if (fstat(fileno(stream), &status) != 0)
        return -1;
    return static_cast<long long>(status.st_size);
}

// The stdio mode with "e": the descriptor must not leak into a program
// the host starts.
std::FILE* OpenClosedOnExec(const char* path, const char* mode)
{
    char closing[12];
    std::snprintf(closing, sizeof closing, "%.8se", mode);
    return std::fopen(path, closing);
}

}  // namespace

SFile::~SFile() { Close(); }

bool SFile::Open(const char* fullPath, unsigned flags)
{
    Close();
    Forget();
    BuildMode(flags, mode);
    if (fullPath == nullptr || mode[0] == 0)
        return false;
    stream = OpenClosedOnExec(fullPath, mode);
    if (stream == nullptr)
        return false;
    Remember(fullPath);
    return true;
}

// The parts are never longer than the path, however long that is.
void SFile::Remember(const char* fullPath)
{
    const std::size_t size = std::strlen(fullPath) + 1;
    std::vector<char> dirPart(size), namePart(size), extPart(size);
    SFilePath::GetPathData(dirPart.data(), namePart.data(), extPart.data(), fullPath);
    path.Append(fullPath);
    directory.Append(dirPart.data());
    name.Append(namePart.data());
    extension.Append(extPart.data());
}

void SFile::Forget()
{
    path.Clear(true);
    directory.Clear(true);
    name.Clear(true);
    extension.Clear(true);
}

void SFile::Close()
{
    if (stream != nullptr)
        std::fclose(stream);
    stream = nullptr;
}

bool SFile::Exists(const char* fullPath)
{
    if (fullPath == nullptr)
        return false;
    std::FILE* probe = OpenClosedOnExec(fullPath, "r");
    if (probe == nullptr)
        return false;
    std::fclose(probe);
    return true;
}

bool SFile::Readable(const char* fullPath, long long& size)
{
    size = 0;
    if (fullPath == nullptr)
        return false;
    std::FILE* probe = OpenClosedOnExec(fullPath, "rb");
    if (probe == nullptr)
        return false;
    size = std::max(SizeOf(probe), 0LL);
    const bool readable = size > 0 && std::fgetc(probe) != EOF;
    std::fclose(probe);
    return readable;
}

unsigned SFile::Read(char* buffer, unsigned count)
{
    if (stream == nullptr || buffer == nullptr)
        return 0;
    return static_cast<unsigned>(std::fread(buffer, 1, count, stream));
}

unsigned SFile::Read(Text& text, unsigned count)
{
    if (stream == nullptr)
        return 0;
    char piece[kPiece + 1];
    unsigned total = 0;
    while (total < count) {
        const unsigned want = count - total < kPiece ? count - total : kPiece;
        const unsigned got = static_cast<unsigned>(std::fread(piece, 1, want, stream));
        piece[got] = 0;
        text.Append(piece);
        total += got;
        if (got < want)
            break;
    }
    return total;
}

int SFile::ReadChar()
{
    if (stream == nullptr)
        return -1;
    const int c = std::fgetc(stream);
    return c == EOF ? -1 : c;
}

unsigned SFile::ReadLine(char* buffer, unsigned size, bool terminate)
{
    if (stream == nullptr || buffer == nullptr || size < 2)
        return 0;
    unsigned count = 0;
    while (count < size - 2) {
        const int c = std::fgetc(stream);
        if (c == EOF)
            break;
        buffer[count++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    if (terminate)
        buffer[count] = 0;
    return count;
}

bool SFile::ReadLine(Text& text)
{
    if (stream == nullptr)
        return false;
    bool any = false;
    int c;
    while ((c = std::fgetc(stream)) != EOF) {
        any = true;
        text.Append(static_cast<char>(c));
        if (c == '\n')
            break;
    }
    return any;
}

unsigned SFile::ReadAll(Text& text) { return Read(text, UINT_MAX); }

unsigned SFile::Write(const char* buffer, unsigned count)
{
    if (stream == nullptr || buffer == nullptr)
        return 0;
    const unsigned written = static_cast<unsigned>(std::fwrite(buffer, 1, count, stream));
    std::fflush(stream);
    return written;
}

unsigned SFile::Write(const Text& text) { return Write(text.data, text.length - 1); }

bool SFile::WriteChar(char c)
{
    if (stream == nullptr)
        return false;
    const bool written = std::fputc(static_cast<unsigned char>(c), stream) != EOF;
    std::fflush(stream);
    return written;
}

bool SFile::WriteLine(const char* text)
{
    if (stream == nullptr || text == nullptr)
        return false;
    const bool written = std::fputs(text, stream) != EOF && std::fputc('\n', stream) != EOF;
    return std::fflush(stream) == 0 && written;
}

bool SFile::Seek(long long offset)
{
    if (stream == nullptr)
        return false;
    std::fflush(stream);
    const long long size = SizeOf(stream);
    if (size < 0 || offset < 0 || offset > size)
        return false;
    return fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool SFile::SeekBegin() { return stream != nullptr && fseeko(stream, 0, SEEK_SET) == 0; }

bool SFile::SeekLast() { return stream != nullptr && fseeko(stream, 0, SEEK_END) == 0; }

bool SFile::SeekNext(long long offset)
{
    return stream != nullptr && fseeko(stream, static_cast<off_t>(offset), SEEK_CUR) == 0;
}

long long SFile::Position() const
{
    if (stream == nullptr)
        return -1;
    return static_cast<long long>(ftello(stream));
}

long long SFile::GetSize() const
{
    if (stream == nullptr)
        return -1;
    std::fflush(stream);
    return SizeOf(stream);
}

}  // namespace kvor::file
