#include "VectorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace rtl {

#if defined(__x86_64__) || defined(__i386__)

namespace {

__attribute__((target("avx"))) void zeroUpperHalves() { _mm256_zeroupper(); }

bool hasAvx()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return has;
}

} // namespace

void ClearUpperVectorState()
{
    if (hasAvx())
        zeroUpperHalves();
}

#else

void ClearUpperVectorState() {}

#endif

} // namespace rtl
