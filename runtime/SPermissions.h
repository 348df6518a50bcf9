// Permission flags of the toolkit's file layer and the file mode bits they
// stand for.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace kvor::security {

// Nine flags, one per mode bit: read, write and execute for the owner, the
// group and everyone else, in that order from the lowest bit.
class SPermissions {
public:
    enum Flag : uint32_t {
        kOwnerRead = 0x1,
        kOwnerWrite = 0x2,
        kOwnerExecute = 0x4,
        kGroupRead = 0x8,
        kGroupWrite = 0x10,
        kGroupExecute = 0x20,
        kOthersRead = 0x40,
        kOthersWrite = 0x80,
        kOthersExecute = 0x100,
        kAll = 0x1ff,
    };

    explicit SPermissions(uint32_t flags) : flags(flags) {}

    uint32_t Flags() const { return flags; }
    // Each flag becomes its own mode bit, so a folder asked for by its
    // owner alone is not opened to everyone; bits above the nine are
    // ignored.
    mode_t Mode() const;

private:
    uint32_t flags;
};

}  // namespace kvor::security
