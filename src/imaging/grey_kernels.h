// The vector loops behind MakeGrey, one per instruction set. Each turns the leading whole
// blocks of sixteen pixels of a 24-bit row grey and returns how many pixels it did; MakeGrey
// picks the best one the processor has once, and the tests run each of them.
#pragma once

#include <cstdint>

namespace orv::grey_kernels {

#if defined(__SSE2__)
int Sse2Blocks(std::uint8_t* row, int width);
// Only for processors that have SSSE3 (HaveSsse3 in imaging/processor_features.h).
int Ssse3Blocks(std::uint8_t* row, int width);
#endif

}  // namespace orv::grey_kernels
