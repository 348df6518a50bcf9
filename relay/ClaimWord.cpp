#include "relay/ClaimWord.h"

#include "relay/Registry.h"
#include "runtime/SThread.h"

#include <x86intrin.h>

// Seeded from the time-stamp counter so that instances that start in the
// same millisecond still draw different tokens and different waits.
ClaimBackoff::ClaimBackoff() : failures(0) { generator.Seed(static_cast<uint32_t>(__rdtsc())); }

// Without the wait, two nodes that fail together keep overwriting each
// other in step: their 10 ms rhythms only drift apart after seconds.
void ClaimBackoff::Wait()
{
    if (failures < kDoublings)
        ++failures;
    const uint32_t window = kClaimQuietMs << failures;
    kvor::threading::SThread::Sleep(generator.Integer() % window);
}

int32_t WinClaimWord()
{
    kvor::math::random::generator::SRandomMarsaglia generator;
    generator.Seed(static_cast<uint32_t>(__rdtsc()));
    ClaimBackoff backoff;
    for (;;) {
        const int32_t token = static_cast<int32_t>(generator.Integer());
        kvor::threading::SThread::Sleep(kClaimQuietMs);
        randomCheck.store(token);
        kvor::threading::SThread::Sleep(kClaimQuietMs);
        if (randomCheck.load() == token)
            return token;
        backoff.Wait();
    }
}

void RewinClaimWord(int32_t token)
{
    ClaimBackoff backoff;
    for (;;) {
        randomCheck.store(token);
        kvor::threading::SThread::Sleep(kClaimQuietMs);
        if (randomCheck.load() == token)
            return;
        backoff.Wait();
    }
}
