#include "runtime/SPermissions.h"

namespace kvor::security {

namespace {

// Flag bit i stands for the mode bit that is i places below owner read.
constexpr mode_t kOwnerReadMode = 0400;
constexpr int kFlagCount = 9;

}  // namespace

mode_t SPermissions::Mode() const
{
    mode_t mode = 0;
    for (int i = 0; i < kFlagCount; ++i) {
        if ((flags & (1u << i)) != 0)
            mode |= kOwnerReadMode >> i;
    }
    return mode;
}

}  // namespace kvor::security
