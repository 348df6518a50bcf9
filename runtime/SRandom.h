#pragma once

#include <cstdint>

namespace kvor::math::random::generator {

// Interface of the toolkit's pseudo-random generators. The state is public:
// the instances' start-up handshake inspects it.
class SRandom {
public:
    uint32_t last = 0;  // the last value produced, or the seed
    uint32_t seed = 0;

    virtual ~SRandom() = default;
    virtual uint32_t Integer() = 0;
    virtual float Float() = 0;
    virtual void Seed(unsigned s);
};

// Marsaglia's subtract-with-borrow generator modulo 2^32 - 18. Cheap, with
// no allocation and no system calls, so it is fit for any thread; it is not
// meant for anything that needs secrecy.
class SRandomMarsaglia : public SRandom {
public:
    static constexpr uint32_t kDefaultSeed = 314159265;

    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t z = 0;
    uint32_t w = 0;
    int32_t carry = 0;  // the borrow, 0 or 1

    SRandomMarsaglia();
    uint32_t Integer() override;
    float Float() override;  // in [-0.5, 0.5]
    void Seed(unsigned s) override;
};

}  // namespace kvor::math::random::generator
