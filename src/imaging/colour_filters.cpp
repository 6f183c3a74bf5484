#include "imaging/colour_filters.h"

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

namespace {

void MakeRowGrey(std::uint8_t* p, int width) {
  int x = 0;
#if defined(__SSE2__)
  // Sixteen pixels fill three vectors exactly. The sum of each pixel is taken around its middle
  // byte (the bytes at positions 1, 4, 7, ... of the block): sixteen-bit lanes hold byte pairs,
  // so the three-byte sums at odd and at even positions are two lane additions each. The grey
  // values of the middle bytes are then copied to the bytes on either side.
  const __m128i lowBytes = _mm_set1_epi16(0x00ff);
  const __m128i third = _mm_set1_epi16(0x5556);  // (s * 0x5556) >> 16 == s / 3 for s <= 765
  const __m128i middleA = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0);
  const __m128i middleB = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1);
  const __m128i middleC = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
  // Grey of the three bytes centred on every position, given the bytes just before and after
  // the vector in lane 0 of `before` and lane 7 of `after`.
  const auto centredGrey = [&](__m128i v, __m128i before, __m128i after) {
    const __m128i even = _mm_and_si128(v, lowBytes);
    const __m128i odd = _mm_srli_epi16(v, 8);
    const __m128i pairs = _mm_add_epi16(even, odd);
    const __m128i nextEven = _mm_or_si128(_mm_srli_si128(even, 2), after);
    const __m128i previousOdd = _mm_or_si128(_mm_slli_si128(odd, 2), before);
    const __m128i greyOdd = _mm_mulhi_epu16(_mm_add_epi16(pairs, nextEven), third);
    const __m128i greyEven = _mm_mulhi_epu16(_mm_add_epi16(pairs, previousOdd), third);
    return _mm_or_si128(greyEven, _mm_slli_epi16(greyOdd, 8));
  };
  const __m128i zero = _mm_setzero_si128();
  for (; x + 16 <= width; x += 16, p += 48) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    // Only the middle bytes of b's first and last pixels reach into the neighbouring vectors.
    const __m128i beforeB = _mm_srli_si128(_mm_srli_epi16(a, 8), 14);
    const __m128i afterB = _mm_slli_si128(_mm_and_si128(c, lowBytes), 14);
    const __m128i greyA = _mm_and_si128(centredGrey(a, zero, zero), middleA);
    const __m128i greyB = _mm_and_si128(centredGrey(b, beforeB, afterB), middleB);
    const __m128i greyC = _mm_and_si128(centredGrey(c, zero, zero), middleC);
    const auto spread = [](__m128i g) {
      return _mm_or_si128(g, _mm_or_si128(_mm_srli_si128(g, 1), _mm_slli_si128(g, 1)));
    };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                     _mm_or_si128(spread(greyA), _mm_slli_si128(greyB, 15)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), spread(greyB));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32),
                     _mm_or_si128(spread(greyC), _mm_srli_si128(greyB, 15)));
  }
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
