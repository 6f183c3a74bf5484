#include "imaging/dim.h"

#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

namespace {

constexpr std::array<std::uint8_t, 256> MakeDimTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<std::uint8_t>((c * 127 + 128 * 128) / 255);
  return table;
}
constexpr std::array<std::uint8_t, 256> kDimmed = MakeDimTable();

void DimRow(const std::uint8_t* in, std::uint8_t* out, int width) {
  const std::ptrdiff_t bytes = std::ptrdiff_t{3} * width;
  std::ptrdiff_t i = 0;
#if defined(__SSE2__)
  // A table lookup per byte runs at a third of memory speed. In bytes the blend is
  // (c + 128) div 2, one less for an even c above 128: the rounded average of c and 127 with a
  // correction, six byte operations for sixteen channels.
  const __m128i signBit = _mm_set1_epi8(-128);
  const __m128i halfGrey = _mm_set1_epi8(127);
  const __m128i one = _mm_set1_epi8(1);
  for (; i + 16 <= bytes; i += 16) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i above128 = _mm_cmpgt_epi8(_mm_xor_si128(c, signBit), _mm_setzero_si128());
    const __m128i evenAbove128 = _mm_and_si128(_mm_andnot_si128(c, above128), one);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_sub_epi8(_mm_avg_epu8(c, halfGrey), evenAbove128));
  }
#endif
  for (; i < bytes; ++i) out[i] = kDimmed[in[i]];
}

}  // namespace

void DimHalfwayToGrey(MutableImageView image) {
  DimHalfwayToGrey(image, image);
}

bool DimHalfwayToGrey(const ImageView& src, MutableImageView dst) {
  if (src.bitsPerPixel != 24 || dst.bitsPerPixel != 24 || src.width != dst.width ||
      src.height != dst.height) {
    return false;
  }
  for (int y = 0; y < src.height; ++y) DimRow(src.Row(y), dst.Row(y), src.width);
  return true;
}

}  // namespace orv
