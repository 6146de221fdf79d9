#pragma once
// The bytes asked of operator new so far (freed ones included), counted by the replacement of
// the global operator new that this library brings: for tests that a routine's work grows with
// its input as it should, where timing it would not be reliable.

#include <cstddef>

size_t AllocatedBytes();
