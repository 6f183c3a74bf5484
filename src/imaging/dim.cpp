#include "imaging/dim.h"

#include <array>
#include <cstddef>

#include "imaging/processor_features.h"

#if defined(__SSE2__)
#include <tmmintrin.h>
#endif

namespace orv {

namespace {

constexpr std::array<std::uint8_t, 256> MakeDimTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<std::uint8_t>((c * 127 + 128 * 128) / 255);
  return table;
}
constexpr std::array<std::uint8_t, 256> kDimmed = MakeDimTable();

#if defined(__SSE2__)
// A table lookup per byte runs at a third of memory speed. In bytes the blend is
// (c + 128) div 2, one less for an even c above 128: the rounded average of c and 127 with a
// correction, six byte operations for sixteen channels.
inline __m128i Dim16(__m128i c) {
  const __m128i above128 =
      _mm_cmpgt_epi8(_mm_xor_si128(c, _mm_set1_epi8(-128)), _mm_setzero_si128());
  const __m128i evenAbove128 = _mm_and_si128(_mm_andnot_si128(c, above128), _mm_set1_epi8(1));
  return _mm_sub_epi8(_mm_avg_epu8(c, _mm_set1_epi8(127)), evenAbove128);
}

// Sixteen pixels at a time: 48 bytes in, each pixel's three bytes spread into a 32-bit lane with
// a zero fourth byte, 64 bytes out. Reads exactly the pixels' bytes.
template <bool kDim>
__attribute__((target("ssse3"))) int WidenBlocks(const std::uint8_t* in, std::uint8_t* out,
                                                 int width) {
  const __m128i toLanes = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int x = 0;
  for (; x + 16 <= width; x += 16, in += 48, out += 64) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
    if constexpr (kDim) {
      a = Dim16(a);
      b = Dim16(b);
      c = Dim16(c);
    }
    auto* o = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(o, _mm_shuffle_epi8(a, toLanes));
    _mm_storeu_si128(o + 1, _mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), toLanes));
    _mm_storeu_si128(o + 2, _mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), toLanes));
    _mm_storeu_si128(o + 3, _mm_shuffle_epi8(_mm_srli_si128(c, 4), toLanes));
  }
  return x;
}
#endif

void DimRow(const std::uint8_t* in, std::uint8_t* out, int width) {
  const std::ptrdiff_t bytes = std::ptrdiff_t{3} * width;
  std::ptrdiff_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= bytes; i += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     Dim16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i))));
  }
#endif
  for (; i < bytes; ++i) out[i] = kDimmed[in[i]];
}

}  // namespace

void WidenRow(const std::uint8_t* in, std::uint8_t* out, int width, bool dim) {
  int x = 0;
#if defined(__SSE2__)
  if (HaveSsse3()) x = dim ? WidenBlocks<true>(in, out, width) : WidenBlocks<false>(in, out, width);
#endif
  for (in += 3 * x, out += 4 * x; x < width; ++x, in += 3, out += 4) {
    out[0] = dim ? kDimmed[in[0]] : in[0];
    out[1] = dim ? kDimmed[in[1]] : in[1];
    out[2] = dim ? kDimmed[in[2]] : in[2];
    out[3] = 0;
  }
}

void DimHalfwayToGrey(MutableImageView image) {
  DimHalfwayToGrey(image, image);
}

bool DimHalfwayToGrey(const ImageView& src, MutableImageView dst) {
  if (src.bitsPerPixel != 24 || (dst.bitsPerPixel != 24 && dst.bitsPerPixel != 32) ||
      src.width != dst.width || src.height != dst.height) {
    return false;
  }
  for (int y = 0; y < src.height; ++y) {
    if (dst.bitsPerPixel == 32) {
      WidenRow(src.Row(y), dst.Row(y), src.width, true);
    } else {
      DimRow(src.Row(y), dst.Row(y), src.width);
    }
  }
  return true;
}

}  // namespace orv
