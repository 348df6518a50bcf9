// One file of the toolkit's file layer, read and written through stdio.
#pragma once

#include "runtime/datastring.h"

#include <cstdio>

namespace kvor::file {

// One open file at a time. Open remembers the path and its parts; every
// operation on a closed file answers 0, -1 or false. Positions and sizes are
// 64-bit on every target, and the descriptor is closed in programs the
// process starts.
class SFile {
public:
    using Text = data::datastring<32, char>;

    // Open flags; the first of read, write and append that is set picks the
    // access, binary and update are added to it.
    enum Flag : unsigned {
        kRead = 1,
        kWrite = 2,
        kAppend = 4,
        kBinary = 8,
        kUpdate = 16,
    };

    SFile() = default;
    SFile(const SFile&) = delete;
    SFile& operator=(const SFile&) = delete;
    ~SFile();

    // Closes what is open first. False when no access flag is given or the
    // file cannot be opened; the remembered path then stays empty.
    bool Open(const char* path, unsigned flags);
    void Close();
    bool IsOpen() const { return stream != nullptr; }

    static bool Exists(const char* path);
    // size gets the file's size, 0 when it cannot be opened; true when the
    // file is not empty and its first byte can be read.
    static bool Readable(const char* path, long long& size);

    unsigned Read(char* buffer, unsigned count);
    unsigned Read(Text& text, unsigned count);
    // The next byte, or -1 at the end or without a file.
    int ReadChar();
    // Copies up to and including the next newline, at most size - 2 bytes,
    // and a terminating zero when terminate is set. Returns the bytes copied.
    unsigned ReadLine(char* buffer, unsigned size, bool terminate);
    // Appends the next line with its newline; false at the end of the file.
    bool ReadLine(Text& text);
    // Appends everything that is left; returns how many bytes that was.
    unsigned ReadAll(Text& text);

    // Writes and flushes; returns the bytes written.
    unsigned Write(const char* buffer, unsigned count);
    unsigned Write(const Text& text);
    bool WriteChar(char c);
    bool WriteLine(const char* text);

    // Moves to offset from the start when that lies within the file
    // (its end included); otherwise stays where it is.
    bool Seek(long long offset);
    bool SeekBegin();
    bool SeekLast();
    // Moves by offset from the current position (back when negative).
    bool SeekNext(long long offset);
    // The position from the start, -1 without a file.
    long long Position() const;
    // The size of the open file, -1 without one.
    long long GetSize() const;

    const Text& Path() const { return path; }
    const Text& Directory() const { return directory; }
    const Text& Name() const { return name; }
    const Text& Extension() const { return extension; }
    // The stdio mode of the last Open ("wb", "r+", ...).
    const char* Mode() const { return mode; }

private:
    void Remember(const char* fullPath);
    void Forget();

    Text path;
    Text directory;
    Text name;
    Text extension;
    std::FILE* stream = nullptr;
    char mode[8] = {};
};

}  // namespace kvor::file
