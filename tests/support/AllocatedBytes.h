#pragma once
// The bytes requested from operator new since the program started, counted by a replacement of
// the global operator new that links in with this library: for tests that the work of a routine
// grows with its input as it should, where timing it would not be reliable.

#include <cstddef>

/// Bytes requested so far through operator new (all threads), freed ones included.
size_t AllocatedBytes();
