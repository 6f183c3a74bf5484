// The loops behind ConvertScRgb, one per instruction set, and the pixel rule they share. Each
// converts `width` half-float pixels (red, green, blue, alpha) into blue, green, red bytes, with
// `scale` = 1 / the SDR white; ConvertScRgb picks the best one the processor has once. They give
// the same bytes, which the tests hold them to.
#pragma once

#include <cstdint>

namespace orv::scrgb_kernels {

// One pixel from its three channels as stored (before scaling).
void ConvertPixel(float red, float green, float blue, float scale, std::uint8_t* bgr);

void ConvertRowPortably(const std::uint8_t* halves, int width, float scale, std::uint8_t* bgr);

#if defined(__SSE2__)
// Only for processors that have AVX2 and F16C (HaveAvx2 and HaveF16c).
void ConvertRowWithAvx2(const std::uint8_t* halves, int width, float scale, std::uint8_t* bgr);
#endif

}  // namespace orv::scrgb_kernels
