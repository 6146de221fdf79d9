#include "Random.h"

#include <chrono>

namespace rtl {

namespace {
TRandomSequence g_sequence(0);
} // namespace

uint32_t RandSeed() { return g_sequence.Seed(); }

void SetRandSeed(uint32_t seed) { g_sequence = TRandomSequence(seed); }

void Randomize()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    SetRandSeed(uint32_t(uint64_t(ticks) ^ (uint64_t(ticks) >> 32)));
}

double Random() { return g_sequence.Next(); }

uint32_t RandomInt(uint32_t range)
{
    g_sequence.Next();
    return uint32_t((uint64_t(g_sequence.Seed()) * range) >> 32);
}

uint32_t SeedAfter(uint32_t seed, uint64_t steps)
{
    // (a, c) is the map of 2^i steps while squaring; (A, C) collects the bits of `steps`.
    uint32_t a = 134775813u, c = 1u;
    uint32_t A = 1u, C = 0u;
    for (; steps != 0; steps >>= 1) {
        if (steps & 1u) {
            A = A * a;
            C = C * a + c;
        }
        c = c * a + c;
        a = a * a;
    }
    return seed * A + C;
}

} // namespace rtl
