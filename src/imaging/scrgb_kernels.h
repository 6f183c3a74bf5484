// The loops behind ConvertScRgb, one per instruction set, and the pixel rule they share. Each
// converts `width` half-float pixels (red, green, blue, alpha) into blue, green, red bytes;
// ConvertScRgb picks the best one the processor has once. They give the same bytes, which the
// tests hold them to.
#pragma once

#include <cstdint>
#include <vector>

namespace orv::scrgb_kernels {

// Whether a channel is SDR content: a half float from 0 (not -0) to the SDR white.
bool IsSdr(std::uint16_t half, float scale);

// One pixel of three half floats (red, green, blue), with `scale` = 1 / the SDR white.
void ConvertPixel(const std::uint16_t* rgb, float scale, std::uint8_t* bgr);

// A float rounded to the nearest half float, ties to even, as F16C's conversion does.
std::uint16_t HalfOf(float value);

// What the loops need for one SDR white. SDR content makes up most of a desktop: the codes of its
// channels are looked up by their half floats.
struct Conversion {
  explicit Conversion(float scale);

  float scale;
  std::uint16_t largestSdr = 0;     // the largest half float that IsSdr
  std::vector<std::uint8_t> codes;  // by half float up to largestSdr, then three spare bytes
};

void ConvertRowPortably(const Conversion& conversion, const std::uint8_t* halves, int width,
                        std::uint8_t* bgr);

#if defined(__SSE2__)
// Only for processors that have AVX2 and F16C (HaveAvx2 and HaveF16c).
void ConvertRowWithAvx2(const Conversion& conversion, const std::uint8_t* halves, int width,
                        std::uint8_t* bgr);
#endif

}  // namespace orv::scrgb_kernels
