#include "imaging/colour_filters.h"

#include <cstddef>
#include <cstdint>

#include "imaging/grey_kernels.h"
#include "imaging/processor_features.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

namespace {

void MakeRowGrey(std::uint8_t* p, int width) {
  int x = 0;
#if defined(__SSE2__)
  static const auto blocks = HaveSsse3() ? grey_kernels::Ssse3Blocks : grey_kernels::Sse2Blocks;
  x = blocks(p, width);
  p += std::ptrdiff_t{3} * x;
#endif
  for (; x < width; ++x, p += 3) {
    const auto grey = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
    p[0] = p[1] = p[2] = grey;
  }
}

void MakeRowNegative(std::uint8_t* p, int width) {
  const std::ptrdiff_t bytes = std::ptrdiff_t{3} * width;
  std::ptrdiff_t i = 0;
#if defined(__SSE2__)
  const __m128i ones = _mm_set1_epi8(-1);
  for (; i + 16 <= bytes; i += 16) {
    auto* at = reinterpret_cast<__m128i*>(p + i);
    _mm_storeu_si128(at, _mm_xor_si128(_mm_loadu_si128(at), ones));
  }
#endif
  for (; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(255 - p[i]);
}

}  // namespace

void MakeGrey(MutableImageView image) {
  if (image.bitsPerPixel != 24) return;
  for (int y = 0; y < image.height; ++y) MakeRowGrey(image.Row(y), image.width);
}

void MakeNegative(MutableImageView image) {
  if (image.bitsPerPixel != 24) return;
  for (int y = 0; y < image.height; ++y) MakeRowNegative(image.Row(y), image.width);
}

}  // namespace orv
