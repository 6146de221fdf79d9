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

} // namespace rtl
