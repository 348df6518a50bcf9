// A node's saved settings. The records are the chunks the host stores, byte
// for byte, so their layouts are fixed and identical on both targets.
#pragma once

#include "runtime/datastring.h"

#include <cstddef>
#include <cstdint>

struct VSTPluginProgram {
    static constexpr int32_t kNameSize = 48;  // at most 47 characters

    char name[kNameSize];
    int8_t mode;   // 0 Send, 1 Receive
    int8_t port;   // 0 to 7
    uint8_t thru;  // 0 off, 1 on
    uint8_t reserved[9];

    // "(default)", Send, port 0, Thru off.
    void Reset();
    // Copies at most 47 characters of text; text itself is left as it is.
    void SetName(const char* text);
    // Takes a stored record. A mode or port byte out of range keeps this
    // record's value for that field, and a name without a terminator is cut
    // to 47 characters; a well-formed record is taken byte for byte.
    void Load(const void* bytes);
};

class VSTPluginProgramBank {
public:
    static constexpr int32_t kProgramCount = 1;

    VSTPluginProgram programs[kProgramCount];
    uint8_t extra;  // the bank chunk's last byte; carries no setting

    VSTPluginProgramBank();

    // 1 when the block was taken, 0 when it was refused. A block longer than
    // the record is taken as written by a newer version and the user is told
    // that settings beyond the known ones are lost.
    int readBank(void* data, long size);
    int readProgram(void* data, long size, int program);
};

constexpr long kProgramChunkSize = 60;
constexpr long kBankChunkSize = 61;

static_assert(sizeof(VSTPluginProgram) == kProgramChunkSize, "program chunk is 60 bytes");
static_assert(offsetof(VSTPluginProgram, name) == 0, "name at 0");
static_assert(offsetof(VSTPluginProgram, mode) == 48, "mode at 48");
static_assert(offsetof(VSTPluginProgram, port) == 49, "port at 49");
static_assert(offsetof(VSTPluginProgram, thru) == 50, "thru at 50");
static_assert(offsetof(VSTPluginProgram, reserved) == 51, "reserved from 51");
static_assert(sizeof(VSTPluginProgramBank) == kBankChunkSize, "bank chunk is 61 bytes");
static_assert(offsetof(VSTPluginProgramBank, programs) == 0, "program 0 at 0");
static_assert(offsetof(VSTPluginProgramBank, extra) == 60, "extra byte at 60");

// The text shown when a chunk is longer than this version writes; what is
// "bank" or "program".
void ComposeNewerVersionMessage(kvor::data::datastring<32, char>& text, const char* what);
