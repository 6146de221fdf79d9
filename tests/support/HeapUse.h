#pragma once
// The bytes the process holds from the C heap, for tests that what a structure costs grows with
// what it holds. Sanitizer builds keep their own heap, which this does not see.

#include <malloc.h>

#include <cstddef>

/// False in a build whose allocator the C heap's figures do not describe.
inline bool HeapUseMeasurable()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

/// The heap's bytes in use by the calling thread's arena, blocks mapped on their own included.
inline size_t HeapBytesInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}
