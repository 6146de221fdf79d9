#include "Random.h"

#include <chrono>

namespace rtl {

namespace {
uint32_t g_seed = 0;

uint32_t step()
{
    g_seed = g_seed * 134775813u + 1u;
    return g_seed;
}
} // namespace

uint32_t RandSeed() { return g_seed; }

void SetRandSeed(uint32_t seed) { g_seed = seed; }

void Randomize()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    g_seed = uint32_t(uint64_t(ticks) ^ (uint64_t(ticks) >> 32));
}

double Random() { return step() * (1.0 / 4294967296.0); }

uint32_t RandomInt(uint32_t range) { return uint32_t((uint64_t(step()) * range) >> 32); }

} // namespace rtl
