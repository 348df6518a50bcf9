// The toolkit's rounding of scaled values: to the nearest integer, with an
// exact half going up.
#pragma once

#include <cmath>
#include <cstdint>

namespace kvor::gui {

// The nudge is far below a float's resolution; added in extended precision
// it tips an exact half over without moving any other value.
constexpr float kHalfwayNudge = 8.326e-17f;

inline int32_t RoundNudged(float value)
{
    return static_cast<int32_t>(std::lrintl(static_cast<long double>(value) + kHalfwayNudge));
}

}  // namespace kvor::gui
