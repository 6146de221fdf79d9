#include "AllocatedBytes.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> g_allocated{0};

void *allocate(size_t size) noexcept
{
    g_allocated.fetch_add(size, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
} // namespace

size_t AllocatedBytes() { return g_allocated.load(std::memory_order_relaxed); }

// Every form that a sanitizer's own new would serve is replaced (the aligned ones aside), so that
// each block is a pair of malloc and free.
void *operator new(size_t size)
{
    if (void *block = allocate(size))
        return block;
    throw std::bad_alloc();
}
void *operator new[](size_t size) { return operator new(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept { return allocate(size); }
void *operator new[](size_t size, const std::nothrow_t &) noexcept { return allocate(size); }
void operator delete(void *block) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete(void *block, size_t) noexcept { std::free(block); }
void operator delete[](void *block, size_t) noexcept { std::free(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { std::free(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { std::free(block); }
