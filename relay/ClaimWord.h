// The claim handshake on `randomCheck` that joining and leaving run before
// they touch the tables. It is not a lock (the registry lock guards the
// tables); it keeps its rhythm of 10 ms of quiet, and after a
// failed claim each contender waits a random, growing while, so that
// contenders that failed together do not fail together again.
#pragma once

#include "runtime/SRandom.h"

#include <cstdint>

constexpr unsigned kClaimQuietMs = 10;

// Each costs at least 20 ms (joining) or 10 ms (leaving): the word must
// survive that long untouched by anyone else. Joining draws tokens until one
// survives and returns it; leaving writes the token it already has until it
// survives. Called with no lock held.
int32_t WinClaimWord();
void RewinClaimWord(int32_t token);

// The wait after a failed claim: up to 20 ms after the first failure, 40
// after the second, 80 after any later one.
class ClaimBackoff {
public:
    ClaimBackoff();
    void Wait();

private:
    static constexpr unsigned kDoublings = 3;
    kvor::math::random::generator::SRandomMarsaglia generator;
    unsigned failures;
};
