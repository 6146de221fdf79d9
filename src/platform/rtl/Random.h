#pragma once
// The program-wide pseudo-random generator: seed := seed * 134775813 + 1 (mod 2^32),
// value = seed / 2^32. One generator serves the whole run, like the run-time's.

#include <cstdint>

namespace rtl {

/// The generator's state; settable so that a test can replay a sequence.
uint32_t RandSeed();
void SetRandSeed(uint32_t seed);

/// Seeds the generator from a high-resolution clock.
void Randomize();

/// The next value in [0, 1).
double Random();

/// The next integer in [0, range) for range > 0 (the high 32 bits of seed * range).
uint32_t RandomInt(uint32_t range);

/// The state the generator reaches from `seed` after `steps` draws, in O(log steps): the steps
/// compose to one affine map seed * a + c (mod 2^32).
uint32_t SeedAfter(uint32_t seed, uint64_t steps);

/// A private copy of the generator's sequence, for drawing part of it away from the program-wide
/// state (on another thread, say): started at SeedAfter(seed, k) it yields draws k + 1, k + 2, ...
/// of the sequence that starts at `seed`, value for value.
class TRandomSequence
{
public:
    explicit TRandomSequence(uint32_t seed) : m_seed(seed) {}
    double Next()
    {
        m_seed = m_seed * 134775813u + 1u;
        return m_seed * (1.0 / 4294967296.0);
    }
    uint32_t Seed() const { return m_seed; }

private:
    uint32_t m_seed;
};

} // namespace rtl
