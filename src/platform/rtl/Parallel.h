#pragma once
// Work spread over the processors the program may use: a small pool of threads that lives as
// long as the program, started when first needed. One piece of work runs at a time; a call from
// inside a task runs its tasks on the calling thread.

#include "Processors.h"

#include <cstddef>
#include <functional>

namespace rtl {

/// Runs task(i) for every i in [0, count) on at most `threads` threads, the calling thread being
/// one of them (0 means UsableProcessors()); tasks are handed out in index order as threads
/// become free. Returns when every task has ended. When tasks throw, every task still runs and
/// the exception of the lowest index is rethrown.
void ParallelFor(size_t count, unsigned threads, const std::function<void(size_t)> &task);

/// Runs task(begin, end) over consecutive stretches that cover [0, count), each of at least
/// `leastPerStretch` indices (but one when count is smaller), on at most `threads` threads
/// (0 means UsableProcessors()).
void ParallelForStretches(size_t count, size_t leastPerStretch, unsigned threads,
                          const std::function<void(size_t begin, size_t end)> &task);

} // namespace rtl
