#include "AllocatedBytes.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> g_allocated{0};
}

size_t AllocatedBytes() { return g_allocated.load(std::memory_order_relaxed); }

// The other forms of new and delete call these; blocks stay a pair of malloc and free.
void *operator new(size_t size)
{
    g_allocated.fetch_add(size, std::memory_order_relaxed);
    if (void *block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}
void operator delete(void *block) noexcept { std::free(block); }
void operator delete(void *block, size_t) noexcept { std::free(block); }
