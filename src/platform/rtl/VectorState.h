#pragma once
// The state of the processor's vector registers between pieces of floating-point work.
//
// Qt's string hashing (qHashBits, behind every QHash or QSet keyed by a string of more than a
// few characters) takes a 256-bit AES path on processors with VAES and returns without clearing
// the upper halves of the YMM registers. Until something clears them, every SSE instruction of
// code built for plain x86-64 (ours, and libm's log10) pays for that state: loops of arithmetic
// and logarithms run two to twenty times slower. Hot loops therefore start from a clean state.

namespace rtl {

/// Clears the upper halves of the vector registers (VZEROUPPER) on a processor that has them;
/// does nothing elsewhere. Costs about a cycle: call it before each stretch of floating-point
/// work that follows calls into Qt.
void ClearUpperVectorState();

} // namespace rtl
