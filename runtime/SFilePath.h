#pragma once

namespace kvor::file {

// Splits paths into directory, name and extension. Paths are plain
// zero-terminated byte texts in which both '/' and '\\' separate components
// and the last '.' of the final component starts the extension. Results go
// into the caller's buffers, which must hold as many bytes as the path.
class SFilePath {
public:
    // A name (the final component without its extension) this long or
    // longer is not taken as a name at all.
    static constexpr int kNameLimit = 128;

    // The extension without its dot; empty when the final component has
    // none. extLength, when not null, receives its length.
    static void GetExtension(char* ext, const char* path, int* extLength);

    // Everything up to and including the separator before the final name.
    // extLength is the length of the path's extension, or negative to have
    // it found here.
    static void GetDir(char* dir, const char* path, int extLength);

    // The final component without its extension. When ext is given the
    // extension is written there; otherwise a non-negative extLength says
    // how long it is. Returns the name's length, 0 when no name was written.
    static int GetName(char* name, const char* path, char* ext, int extLength);

    // The three parts at once: the directory with its trailing separator,
    // the name without and the extension without its dot. dir and name are
    // emptied first, so each part is defined even where no part is found.
    // Nothing is written when any pointer is null; an empty path only
    // empties ext.
    static void GetPathData(char* dir, char* name, char* ext, const char* path);

    static bool ValidLength(int length, int extLength);

    // Where the module itself lies is not asked of the system here: the
    // buffer is left as it is.
    static void GetModulePath(int, char* buffer);
};

}  // namespace kvor::file
