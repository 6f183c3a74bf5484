#include "imaging/grey_kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <tmmintrin.h>

namespace orv::grey_kernels {

// Sixteen pixels fill three vectors exactly. The sum of each pixel is taken around its middle
// byte (the bytes at positions 1, 4, 7, ... of the block): sixteen-bit lanes hold byte pairs,
// so the three-byte sums at odd and at even positions are two lane additions each. The grey
// values of the middle bytes are then copied to the bytes on either side.
int Sse2Blocks(std::uint8_t* p, int width) {
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
  const auto spread = [](__m128i g) {
    return _mm_or_si128(g, _mm_or_si128(_mm_srli_si128(g, 1), _mm_slli_si128(g, 1)));
  };
  const __m128i zero = _mm_setzero_si128();
  int x = 0;
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
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                     _mm_or_si128(spread(greyA), _mm_slli_si128(greyB, 15)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), spread(greyB));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32),
                     _mm_or_si128(spread(greyC), _mm_srli_si128(greyB, 15)));
  }
  return x;
}

// Sums of the first four pixels of `v`, one per 32-bit lane.
__attribute__((target("ssse3"))) inline __m128i PixelSums(__m128i v) {
  const __m128i toLanes = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i lanes = _mm_shuffle_epi8(v, toLanes);
  return _mm_madd_epi16(_mm_maddubs_epi16(lanes, _mm_set1_epi8(1)), _mm_set1_epi16(1));
}

// With byte shuffles the block is simply taken apart: four pixels at a time go into 32-bit
// lanes, two multiply-adds sum each lane, and the sixteen grey bytes are shuffled back out to
// three bytes each.
__attribute__((target("ssse3"))) int Ssse3Blocks(std::uint8_t* p, int width) {
  const __m128i third = _mm_set1_epi16(0x5556);  // (s * 0x5556) >> 16 == s / 3 for s <= 765
  const __m128i outA = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
  const __m128i outB = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
  const __m128i outC =
      _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
  int x = 0;
  for (; x + 16 <= width; x += 16, p += 48) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    const __m128i sum0to7 = _mm_packs_epi32(PixelSums(a), PixelSums(_mm_alignr_epi8(b, a, 12)));
    const __m128i sum8to15 =
        _mm_packs_epi32(PixelSums(_mm_alignr_epi8(c, b, 8)), PixelSums(_mm_srli_si128(c, 4)));
    const __m128i grey =
        _mm_packus_epi16(_mm_mulhi_epu16(sum0to7, third), _mm_mulhi_epu16(sum8to15, third));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_shuffle_epi8(grey, outA));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), _mm_shuffle_epi8(grey, outB));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), _mm_shuffle_epi8(grey, outC));
  }
  return x;
}

}  // namespace orv::grey_kernels

#endif
